#include "gui/project_folder.h"

#include "core/vtval.h"
#include "files/path_pattern.h"
#include "project/toc_project.h"

namespace {

vtval resolved_value(const vtval& path, std::string_view folder) {
    return vtval(resolved_path(path.text(), folder));
}

}  // namespace

std::string resolved_path(std::string_view path, std::string_view folder) {
    if (path.empty() || path.front() == '/' || folder.empty()) return std::string(path);
    std::string full(folder);
    if (full.back() != '/') full += '/';
    return full.append(path);
}

toc_project resolved_project(const toc_project& project, std::string_view folder) {
    toc_project copy = project;
    if (folder.empty()) return copy;
    copy.source.clear();
    for (const vtval& source : project.source)
        copy.source.push_back(resolved_value(source, folder));
    for (source_pattern& p : copy.source_glob)
        p.pattern = vtval(path_pattern_in_folder(folder, p.pattern.text()));
    copy.destination = resolved_value(project.destination, folder);
    copy.template_file = resolved_value(project.template_file, folder);
    return copy;
}

std::string folder_of(std::string_view project_file) {
    const size_t slash = project_file.rfind('/');
    if (slash == std::string_view::npos) return project_file.empty() ? std::string() : ".";
    return std::string(project_file.substr(0, slash == 0 ? 1 : slash));
}

bool same_settings(const toc_project& a, const toc_project& b) {
    const vtval toc_project::*const fields[] = {
        &toc_project::is_single,       &toc_project::is_dest_as_source,
        &toc_project::destination,     &toc_project::range_from,
        &toc_project::range_to,        &toc_project::named_anchor_attributes,
        &toc_project::process_title,   &toc_project::process_numbering,
        &toc_project::template_file,   &toc_project::indent,
        &toc_project::insert_local_toc};
    for (const auto field : fields)
        if ((a.*field).text() != (b.*field).text()) return false;
    if (a.source.count() != b.source.count()) return false;
    for (int32_t i = 0; i < a.source.count(); ++i)
        if (a.source[i].text() != b.source[i].text()) return false;
    if (a.source_glob.size() != b.source_glob.size()) return false;
    for (size_t i = 0; i < a.source_glob.size(); ++i)
        if (a.source_glob[i].pattern.text() != b.source_glob[i].pattern.text() ||
            a.source_glob[i].place != b.source_glob[i].place)
            return false;
    return true;
}
