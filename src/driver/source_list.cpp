#include "driver/source_list.h"

#include <unordered_map>

#include "files/path_pattern.h"
#include "files/vtfile.h"
#include "files/vtfile_error.h"
#include "files/vtfile_path.h"
#include "project/toc_project.h"

namespace {

vtstring pattern_error(path_pattern::result why, std::string_view pattern,
                       const std::string& start) {
    if (why == path_pattern::result::foreign_link)
        return vtfile_error_message(vtfile_error::foreign_link, start);
    vtstring message(why == path_pattern::result::unclosed_bracket ? "Unclosed [ in pattern: "
                                                                   : "No file matches pattern: ");
    message.append(pattern);
    return message;
}

std::string in_folder(const std::string& folder, std::string_view path) {
    if (folder.empty() || path.empty() || path[0] == '/') return std::string(path);
    return folder + "/" + std::string(path);
}

// The absolute, normal form of page, a relative one taken from here (the
// current folder, asked once for the whole list).
std::string normal_path(const std::string& here, const std::string& page) {
    if (page.starts_with('/') || page.starts_with('\\')) return vtfile_normal_path(page);
    return vtfile_normal_path(here + "/" + page);
}

}  // namespace

std::string source_folder(const toc_project&) {
    return {};
}

std::vector<listed_source> list_sources(const toc_project& project) {
    const std::string folder = source_folder(project);
    // Each page listed so far, by its normal path: true when a pattern
    // listed it.
    std::unordered_map<std::string, bool> listed;
    const std::string here(project.source_glob.empty() ? std::string_view()
                                                       : vtfile_current_folder().view());
    std::vector<listed_source> lines;
    for (const source_line& line : project.source_lines()) {
        listed_source& out = lines.emplace_back();
        out.line = line.text;
        out.is_pattern = line.is_pattern;
        if (!line.is_pattern) {
            std::string page = in_folder(folder, line.text);
            // Without patterns nothing is left out. An empty entry (a
            // single-file project's first) is no page to compare.
            if (!project.source_glob.empty() && !page.empty()) {
                const auto [seen, added] = listed.emplace(normal_path(here, page), false);
                if (!added && seen->second) continue;
            }
            out.pages.push_back(std::move(page));
            continue;
        }
        path_pattern pattern;
        std::vector<std::string> matches;
        std::string start;
        path_pattern::result why = pattern.compile(line.text);
        if (why == path_pattern::result::ok) why = pattern.expand(folder, matches, &start);
        if (why != path_pattern::result::ok) {
            out.error = pattern_error(why, line.text, start);
            continue;
        }
        for (std::string& page : matches)
            if (listed.emplace(normal_path(here, page), true).second)
                out.pages.push_back(std::move(page));
    }
    return lines;
}

std::vector<std::string> expanded_sources(const toc_project& project, vtstring& error) {
    std::vector<std::string> pages;
    for (listed_source& line : list_sources(project)) {
        if (error.empty()) error = line.error;
        for (std::string& page : line.pages) pages.push_back(std::move(page));
    }
    return pages;
}
