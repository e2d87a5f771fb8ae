#include "app/links_report.h"

#include <string>
#include <vector>

#include "app/batch.h"
#include "driver/link_check.h"
#include "driver/memory_guard.h"
#include "project/toc_project.h"

namespace {

// A line as a terminal may show it: C0 and C1 controls and bytes that are
// no UTF-8 become '?', so a page cannot move the cursor or end the line.
std::string shown(std::string_view line) {
    std::string out;
    for (size_t i = 0; i < line.size();) {
        const auto byte = static_cast<unsigned char>(line[i]);
        size_t length = byte < 0x80                    ? 1
                        : byte >= 0xC2 && byte <= 0xDF ? 2
                        : byte >= 0xE0 && byte <= 0xEF ? 3
                        : byte >= 0xF0 && byte <= 0xF4 ? 4
                                                       : 0;
        for (size_t k = 1; k < length; ++k)
            if (i + k >= line.size() || (static_cast<unsigned char>(line[i + k]) & 0xC0) != 0x80)
                length = 0;
        const bool control =
            byte < 0x20 || byte == 0x7F ||
            (byte == 0xC2 && length == 2 && static_cast<unsigned char>(line[i + 1]) < 0xA0);
        if (!length || control) {
            out += '?';
            i += length ? length : 1;
        } else {
            out.append(line.substr(i, length));
            i += length;
        }
    }
    return out;
}

}  // namespace

vtstring links_report(std::string_view project_file, int& exit_code) {
    toc_project project;
    std::vector<std::string> problems;
    int result = run_guarded(project, [&] { return project.load(project_file); });
    if (result == 0) result = check_links(project, problems);
    vtstring report(kProductTitle);
    report += "\r\n";
    if (result != 0) {
        report += "Error occurred: ";
        report += project.error_message.view();
        exit_code = BATCH_PARAMETER_ERROR;
        return report;
    }
    for (const std::string& problem : problems) {
        report.append(shown(problem));
        report += "\r\n";
    }
    if (problems.empty()) {
        report += "Links are fine.\r\n";
        exit_code = BATCH_OK;
    } else {
        report += std::to_string(problems.size()).c_str();
        report += " problem(s) found.\r\n";
        exit_code = BATCH_FAILED;
    }
    return report;
}
