#include "app/name_list_report.h"

#include "app/batch.h"
#include "app/terminal_text.h"
#include "core/product_title.h"
#include "project/toc_project.h"

vtstring name_list_report(int result, const toc_project& project,
                          const std::vector<std::string>& names, std::string_view none_line,
                          std::string_view count_tail, int& exit_code) {
    vtstring report(kProductTitle);
    report += "\r\n";
    if (result != 0) {
        report += "Error occurred: ";
        report += project.error_message.view();
        exit_code = BATCH_PARAMETER_ERROR;
        return report;
    }
    for (const std::string& name : names) {
        report.append(printable_name(name));
        report += "\r\n";
    }
    if (names.empty()) {
        report += none_line;
        exit_code = BATCH_OK;
    } else {
        report += std::to_string(names.size()).c_str();
        report += count_tail;
        exit_code = BATCH_FAILED;
    }
    return report;
}
