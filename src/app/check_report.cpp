#include "app/check_report.h"

#include <string>
#include <vector>

#include "app/batch.h"
#include "app/progress_line.h"
#include "app/project_trust.h"
#include "app/terminal_text.h"
#include "driver/build_project.h"
#include "project/toc_project.h"

vtstring check_report(std::string_view project_file, int& exit_code, progress_line* line,
                      bool trusted, int jobs) {
    toc_project project;
    std::vector<std::string> changed;
    int result = load_batch_project(project, project_file, trusted);
    if (result == 0) {
        if (line) line->set_total(batch_file_count(project));
        result = check_project(project, changed, line ? &progress_line::on_progress : nullptr, line,
                               line ? &progress_line::on_page : nullptr, jobs);
        if (line) line->finish();
    }
    vtstring report(kProductTitle);
    report += "\r\n";
    if (result != 0) {
        report += "Error occurred: ";
        report += project.error_message.view();
        exit_code = BATCH_PARAMETER_ERROR;
        return report;
    }
    // One name a line, shown as the progress line shows it: a name holding
    // a line feed or an escape sequence can neither split the list nor act
    // on the terminal that reads it.
    for (const std::string& file : changed) {
        report.append(printable_name(file));
        report += "\r\n";
    }
    if (changed.empty()) {
        report += "TOC is up to date.\r\n";
        exit_code = BATCH_OK;
    } else {
        report += std::to_string(changed.size()).c_str();
        report += " file(s) would change.\r\n";
        exit_code = BATCH_FAILED;
    }
    return report;
}
