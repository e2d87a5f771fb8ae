#include "app/links_report.h"

#include <string>
#include <vector>

#include "app/batch.h"
#include "app/name_list_report.h"
#include "driver/link_check.h"
#include "driver/memory_guard.h"
#include "project/toc_project.h"

vtstring links_report(std::string_view project_file, int& exit_code, bool trusted) {
    toc_project project;
    std::vector<std::string> problems;
    int result = load_batch_project(project, project_file, trusted);
    if (result == 0) result = check_links(project, problems);
    return name_list_report(result, project, problems, "Links are fine.\r\n",
                            " problem(s) found.\r\n", exit_code);
}
