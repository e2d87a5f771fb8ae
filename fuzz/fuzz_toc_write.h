// Shared by the fuzz targets of the heading scan: a scanned page written out
// with a stand-in TOC (the two markers alone) where the scan placed it.
#pragma once

#include <string>

#include "toc/html_toc.h"
#include "toc/toc_writer.h"

inline std::string fuzz_written_with_stand_in_toc(const xml_tree& document, const html_toc& scan) {
    vtarr pieces;
    pieces.push_back(vtval(toc_start_text));
    pieces.push_back(vtval(toc_end_text));
    vtstring out;
    write_with_toc(
        document,
        {scan.toc_start_marker, scan.toc_end_marker, scan.insertion_point, scan.after_subtree},
        &pieces, out);
    return out.str();
}
