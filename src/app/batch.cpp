#include "app/batch.h"

#include "app/progress_line.h"
#include "app/project_trust.h"
#include "driver/build_project.h"
#include "driver/clear_project.h"
#include "driver/memory_guard.h"
#include "project/project_paths.h"
#include "project/toc_project.h"

int32_t batch_file_count(const toc_project& project) {
    if (project.single()) return 1;
    return project.source_glob.empty() ? project.source.count() + 1 : 0;
}

int load_batch_project(toc_project& project, std::string_view project_file, bool trusted) {
    return run_guarded(project, [&] {
        const int loaded =
            trusted ? project.load(project_file) : project.load(project_file, [&](int descriptor) {
                return project_distrust(descriptor, project_file);
            });
        if (loaded != 0) return 1;
        resolve_from_project_file(project, project_file);
        return 0;
    });
}

vtstring batch_report(std::string_view project_file, bool clear, int& exit_code,
                      progress_line* line, bool trusted, int jobs, bool cache) {
    toc_project project;
    int result = load_batch_project(project, project_file, trusted);
    if (result == 0) {
        if (line) line->set_total(batch_file_count(project));
        const progress_fn progress = line ? &progress_line::on_progress : nullptr;
        const page_fn pages = line ? &progress_line::on_page : nullptr;
        result = clear ? clear_project(project, progress, line, pages, nullptr, jobs)
                       : build_project(project, progress, line, pages, nullptr, jobs,
                                       cache ? project_file : std::string_view());
        if (line) line->finish();
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
