// What "vorn1 --help" and "vorn1 --version" print. Both are written for a
// terminal, so their lines end in LF (the batch reports keep CR LF).
#pragma once

#include <string_view>

inline constexpr std::string_view kVersionText = "Orvane 1.0b\n";

// Keep in step with the manual page man/vorn1.1 and the project keys: a test
// checks that every key a saved project holds is named here.
inline constexpr std::string_view kHelpText =
    "Orvane 1.0b: tables of contents for HTML pages\n"
    "\n"
    "Usage:\n"
    "  vorn1                        open the window\n"
    "  vorn1 page.html              open the window with page.html as the source\n"
    "  vorn1 -command project.txt   build the TOC of a saved project, no window\n"
    "  vorn1 -clear project.txt     take TOCs, anchors and numbers out again\n"
    "  vorn1 -check project.txt     list the files a build would change, writing\n"
    "                               nothing (also --check)\n"
    "  vorn1 -h, --help             show this text\n"
    "  vorn1 --version              show the version\n"
    "\n"
    "Switches may be written in capitals. Batch runs need no display; their report\n"
    "goes to standard output. A run that takes longer than a second shows its\n"
    "progress on standard error when that is a terminal.\n"
    "\n"
    "Exit codes:\n"
    "  0  done\n"
    "  1  the project could not be read, or the build or clearing failed\n"
    "  2  parameter error: no project named, the name is not a file,\n"
    "     or an unknown switch\n"
    "  -check: 0 the TOC is up to date, 1 a file would change,\n"
    "     2 parameter error or the build failed\n"
    "\n"
    "A build or clearing run changes every file it must or none: a failure leaves\n"
    "each file as it was, and a file whose bytes stay the same is not written.\n"
    "\n"
    "Project file: one <key>value</key> line per setting; relative paths are taken\n"
    "from the current folder.\n"
    "  is_single                1: one page; 0: several pages and a destination page\n"
    "  is_dest_as_source        one page: 1 writes the result back into the page,\n"
    "                           0 into destination\n"
    "  source                   a page; one line per page, in TOC order\n"
    "  source_glob              pages by a pattern (*, ?, [a-z]; ** any folders),\n"
    "                           in natural order, in the place of the line\n"
    "  destination              the page that receives the TOC of all pages\n"
    "  range_from, range_to     the heading levels that enter the TOC, 1 to 6\n"
    "  process_numbering        1: renumber headings (\"1.4.2.\")\n"
    "  process_title            several pages: each page's <title> becomes an entry\n"
    "  insert_local_toc         several pages: each page also gets a TOC of its own\n"
    "  named_anchor_attributes  extra attribute text for every inserted anchor\n"
    "  anchor_ids               1: link headings by id: their own, else a readable\n"
    "                           one written into the heading (any other value: 0)\n"
    "  skip_class               headings with this class are left out of the TOC\n"
    "  template_file            the TOC template\n"
    "  indent                   an indentation unit that templates may use\n"
    "\n"
    "Files:\n"
    "  vtdata/                  the templates, beside the program or in\n"
    "                           ../share/orvane/ (the package: /usr/share/orvane/)\n"
    "  ~/.config/VELT/ORV1/     the window's settings ($XDG_CONFIG_HOME/VELT/ORV1/)\n"
    "\n"
    "See vorn1(1) for the project file format and examples.\n";
