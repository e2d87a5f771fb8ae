#include "project/project_paths.h"

#include "core/vtval.h"
#include "files/path_pattern.h"
#include "files/vtfile_path.h"
#include "project/toc_project.h"

namespace {

// Applies change to every path the project names.
template <class Change>
void for_each_path(toc_project& project, Change change) {
    for (int32_t i = 0; i < project.source.count(); ++i)
        project.source.at(i) = vtval(change(project.source[i].text()));
    project.destination = vtval(change(project.destination.text()));
    project.template_file = vtval(change(project.template_file.text()));
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
    for_each_path(copy, [&](std::string_view path) { return resolved_path(path, folder); });
    // The folder's own wildcards stand for themselves in a pattern.
    for (source_pattern& p : copy.source_glob)
        p.pattern = vtval(path_pattern_in_folder(folder, p.pattern.text()));
    return copy;
}

std::string project_folder_of(std::string_view project_file) {
    if (project_file.empty()) return {};
    return vtfile_folder_of(vtfile_normal_path(project_file));
}

void resolve_from_project_file(toc_project& project, std::string_view project_file) {
    if (project.relative_to_project())
        project = resolved_project(project, project_folder_of(project_file));
}

std::string path_for_project(std::string_view path, std::string_view base,
                             std::string_view folder) {
    if (path.empty()) return {};
    const std::string full = vtfile_normal_path(resolved_path(path, base));
    std::string inside(folder);
    if (inside.empty() || inside.back() != '/') inside += '/';
    if (full.size() > inside.size() && full.compare(0, inside.size(), inside) == 0)
        return full.substr(inside.size());
    return full;
}

std::string pattern_for_project(std::string_view pattern, std::string_view base,
                                std::string_view folder) {
    if (pattern.empty() || pattern.front() == '/' || base == folder) return std::string(pattern);
    const std::string full = path_pattern_in_folder(base, pattern);
    std::string inside = path_pattern_in_folder(folder, "x");
    inside.pop_back();
    if (full.size() > inside.size() && full.compare(0, inside.size(), inside) == 0)
        return full.substr(inside.size());
    return full;
}

void rebase_project(toc_project& project, std::string_view base, std::string_view folder) {
    for_each_path(project,
                  [&](std::string_view path) { return path_for_project(path, base, folder); });
    for (source_pattern& p : project.source_glob)
        p.pattern = vtval(pattern_for_project(p.pattern.text(), base, folder));
}
