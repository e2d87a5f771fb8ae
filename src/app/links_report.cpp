#include "app/links_report.h"

#include <string>
#include <vector>

#include "app/batch.h"
#include "app/project_trust.h"
#include "app/terminal_text.h"
#include "driver/link_check.h"
#include "driver/memory_guard.h"
#include "project/toc_project.h"

vtstring links_report(std::string_view project_file, int& exit_code, bool trusted) {
    toc_project project;
    std::vector<std::string> problems;
    int result = load_batch_project(project, project_file, trusted);
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
        report.append(printable_name(problem));
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
