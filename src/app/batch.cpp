#include "app/batch.h"

#include "project/toc_project.h"
#include "toc/build_project.h"
#include "toc/clear_project.h"
#include "toc/memory_guard.h"

vtstring batch_report(std::string_view project_file, bool clear, int& exit_code) {
    toc_project project;
    int result = run_guarded(project, [&] { return project.load(project_file); });
    if (result == 0) {
        result = clear ? clear_project(project, nullptr, nullptr)
                       : build_project(project, nullptr, nullptr);
    }
    vtstring report(kProductTitle);
    if (result != 0) {
        report += "\r\nError occurred: ";
        report += project.error_message.view();
        exit_code = BATCH_FAILED;
    } else {
        report += clear ? "\r\nClearance is done\r\n" : "\r\nBuild is complete.\r\n";
        exit_code = BATCH_OK;
    }
    return report;
}
