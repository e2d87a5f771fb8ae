#include "toc/source_check.h"

#include "core/vtfile.h"
#include "core/vtfile_error.h"
#include "project/toc_project.h"

bool check_sources(toc_project& project, std::vector<double>* sizes) {
    if (project.source.empty()) {
        project.error_message = "At least one source file must be specified";
        return false;
    }
    for (const vtval& s : project.source) {
        vtfile_node info;
        if (!vtfile_info(s.text(), info) || info.is_directory) {
            project.error_message = "File doesn't exist: ";
            project.error_message.append(s.text());
            return false;
        }
        if (sizes) sizes->push_back(info.size.to_real());
    }
    return true;
}

bool check_destination(toc_project& project, bool& exists) {
    vtfile_node info;
    exists = vtfile_info(project.destination.text(), info);
    if (exists && info.is_directory) {
        project.error_message =
            vtfile_error_message(vtfile_error::cannot_write, project.destination.text());
        return false;
    }
    return true;
}
