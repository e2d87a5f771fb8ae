#include "driver/link_check.h"

#include <string_view>
#include <unordered_map>

#include "driver/build_settings.h"
#include "driver/memory_guard.h"
#include "driver/source_check.h"
#include "files/vtfile.h"
#include "files/vtfile_error.h"
#include "files/vtfile_handle.h"
#include "files/vtfile_path.h"
#include "html/vthtml.h"
#include "project/toc_project.h"
#include "toc/page_link_scan.h"

namespace {

struct site_page {
    std::string_view name;  // as the project names it
    std::string path;       // normal
    page_link_scan scan;
};

bool url_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

// The href as a URL parser takes it: blanks at both ends dropped, tabs and
// line ends inside dropped, backslashes read as slashes.
std::string url_text(std::string_view href) {
    while (!href.empty() && url_blank(href.front())) href.remove_prefix(1);
    while (!href.empty() && url_blank(href.back())) href.remove_suffix(1);
    std::string text;
    for (const char c : href)
        if (c != '\t' && c != '\n' && c != '\r') text += c == '\\' ? '/' : c;
    return text;
}

bool is_alpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A scheme ("http:", "mailto:") or another host ("//host/"): not followed.
bool leaves_this_machine(std::string_view url) {
    if (url.starts_with("//")) return true;
    if (url.empty() || !is_alpha(url[0])) return false;
    for (const char c : url.substr(1)) {
        if (c == ':') return true;
        if (!is_alpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return false;
    }
    return false;
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string percent_decoded(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hex_value(s[i + 1]) >= 0 &&
            hex_value(s[i + 2]) >= 0) {
            out += static_cast<char>(hex_value(s[i + 1]) * 16 + hex_value(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// A fragment as the URL keeps it: controls, blanks, quotes, angle brackets,
// backquotes and bytes past ASCII %-escaped.
std::string fragment_encoded(std::string_view s) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : s) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '"' || c == '<' || c == '>' || c == '`') {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

bool names_the_top(std::string_view fragment) {
    if (fragment.size() != 3) return false;
    std::string lower(fragment);
    for (char& c : lower) c = static_cast<char>(c | 0x20);
    return lower == "top";
}

// The file a path of a URL leads to from the file `from` (a normal path).
std::string file_of(std::string_view url_path, std::string_view from) {
    const std::string decoded = percent_decoded(url_path);
    if (decoded.starts_with('/')) return vtfile_normal_path(decoded);
    return vtfile_normal_path(vtfile_folder_of(from) + "/" + decoded);
}

class link_checker {
  public:
    explicit link_checker(std::vector<site_page>& pages) : pages_(pages) {
        for (size_t i = 0; i < pages_.size(); ++i) index_.emplace(pages_[i].path, i);
    }

    // Whether the link href of page leads nowhere.
    bool dead(const site_page& page, std::string_view href) const {
        std::string document = page.path;
        if (!page.scan.base.empty()) {
            // Links are taken from the base; one on another host or scheme
            // takes every link of the page there.
            const std::string base = url_text(page.scan.base);
            if (leaves_this_machine(base)) return false;
            const std::string_view base_path =
                std::string_view(base).substr(0, base.find_first_of("?#"));
            if (!base_path.empty()) document = file_of(base_path, page.path);
            if (base_path.ends_with('/')) document += "/";
        }
        const std::string url = url_text(href);
        if (leaves_this_machine(url)) return false;
        const size_t hash = url.find('#');
        const std::string_view before_hash = std::string_view(url).substr(0, hash);
        const std::string_view path = before_hash.substr(0, before_hash.find('?'));
        const std::string target = path.empty() ? document : file_of(path, document);
        const auto found = index_.find(target);
        if (found == index_.end()) {
            vtfile_node info;
            return !vtfile_info(target, info);
        }
        if (hash == std::string::npos) return false;
        const std::string fragment = fragment_encoded(std::string_view(url).substr(hash + 1));
        const std::string decoded = percent_decoded(fragment);
        const auto& targets = pages_[found->second].scan.targets;
        return !fragment.empty() && !targets.contains(fragment) && !targets.contains(decoded) &&
               !names_the_top(decoded);
    }

  private:
    std::vector<site_page>& pages_;
    std::unordered_map<std::string, size_t> index_;
};

// Reads a page without settling anything a build left beside it (a backup
// of an interrupted write stays for the next build): the check writes
// nothing. Links of other users are not followed, as in a build.
bool read_page(std::string_view name, xml_tree& document, vtstring& error) {
    std::string resolved;
    switch (vtfile_resolve_links(name, resolved, true)) {
        case link_walk::foreign_link:
            error = vtfile_error_message(vtfile_error::foreign_link, name);
            return false;
        case link_walk::loop:
            error = vtfile_error_message(vtfile_error::cannot_read, name);
            return false;
        case link_walk::ok:
            break;
    }
    const vtfile_handle file = vtfile_handle::open(resolved, "r");
    if (!file.is_open()) {
        error = vtfile_error_message(vtfile_error::cannot_read, name);
        return false;
    }
    return read_html(file, name, document, error, {}) == 0;
}

// The pages of the project in order, each once; false with error set when a
// source is missing or a page cannot be read.
bool read_pages(const build_settings& settings, std::vector<site_page>& pages, vtstring& error) {
    std::vector<std::string_view> names;
    if (settings.single) {
        names.push_back(settings.single_source());
        if (!settings.overwrite_source) names.push_back(settings.destination);
    } else {
        if (!check_sources(settings, error, nullptr)) return false;
        names.assign(settings.sources.begin(), settings.sources.end());
        names.push_back(settings.destination);
    }
    std::unordered_map<std::string, bool> seen;
    for (const std::string_view name : names) {
        const bool destination = name == settings.destination && name != settings.single_source();
        vtfile_node info;
        if (destination && !vtfile_info(name, info)) continue;  // not built yet
        std::string path = vtfile_normal_path(name);
        if (!seen.emplace(path, true).second) continue;
        xml_tree document;
        document.add_leading_empty_node();
        if (!read_page(name, document, error)) return false;
        pages.push_back({name, std::move(path), scan_page_links(document)});
    }
    return true;
}

}  // namespace

int check_links(toc_project& project, std::vector<std::string>& problems) {
    return run_guarded(project, [&] {
        const build_settings settings = build_settings::of(project);
        std::vector<site_page> pages;
        vtstring error;
        if (!read_pages(settings, pages, error)) {
            project.error_message = std::move(error);
            return 1;
        }
        const link_checker checker(pages);
        for (const site_page& page : pages)
            for (const page_link_scan::item& item : page.scan.items) {
                if (item.duplicate_id)
                    problems.push_back("Duplicate id: " + std::string(page.name) + ": " +
                                       item.written);
                else if (checker.dead(page, item.value))
                    problems.push_back("Dead link: " + std::string(page.name) + ": " +
                                       item.written);
            }
        return 0;
    });
}
