#include "app/check_report.h"

#include <string>
#include <vector>

#include "app/batch.h"
#include "app/name_list_report.h"
#include "app/progress_line.h"
#include "driver/build_project.h"
#include "project/toc_project.h"

vtstring check_report(std::string_view project_file, int& exit_code, progress_line* line,
                      bool trusted, int jobs, bool cache) {
    toc_project project;
    std::vector<std::string> changed;
    int result = load_batch_project(project, project_file, trusted);
    if (result == 0) {
        if (line) line->set_total(batch_file_count(project));
        result = check_project(project, changed, line ? &progress_line::on_progress : nullptr, line,
                               line ? &progress_line::on_page : nullptr, jobs,
                               cache ? project_file : std::string_view());
        if (line) line->finish();
    }
    return name_list_report(result, project, changed, "TOC is up to date.\r\n",
                            " file(s) would change.\r\n", exit_code);
}
