#include "gui/folder_pages.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool is_page_name(std::string_view name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return false;
    std::string extension;
    for (char c : name.substr(dot + 1)) extension += lower(c);
    return extension == "html" || extension == "htm";
}

// -1, 0 or 1 as a reads before, with or after b: one name, digits by value.
int compare_name(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (is_digit(a[i]) && is_digit(b[j])) {
            size_t ei = i;
            size_t ej = j;
            while (ei < a.size() && is_digit(a[ei])) ++ei;
            while (ej < b.size() && is_digit(b[ej])) ++ej;
            std::string_view x = a.substr(i, ei - i);
            std::string_view y = b.substr(j, ej - j);
            while (x.size() > 1 && x.front() == '0') x.remove_prefix(1);
            while (y.size() > 1 && y.front() == '0') y.remove_prefix(1);
            if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
            if (x != y) return x < y ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        if (lower(a[i]) != lower(b[j])) return lower(a[i]) < lower(b[j]) ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size()) return i < a.size() ? 1 : -1;
    return 0;
}

void walk(const std::string& folder, std::vector<std::string>& pages) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) return;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name.empty() || name.front() == '.') continue;
        const std::string path = folder + "/" + std::string(name);
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0) continue;
        if (S_ISDIR(info.st_mode)) {
            walk(path, pages);
        } else if (is_page_name(name) &&
                   (S_ISREG(info.st_mode) ||
                    (S_ISLNK(info.st_mode) && stat(path.c_str(), &info) == 0 &&
                     S_ISREG(info.st_mode)))) {
            pages.push_back(path);
        }
    }
}

}  // namespace

bool natural_less(std::string_view a, std::string_view b) {
    while (!a.empty() && !b.empty()) {
        const size_t ea = std::min(a.find('/'), a.size());
        const size_t eb = std::min(b.find('/'), b.size());
        if (const int order = compare_name(a.substr(0, ea), b.substr(0, eb))) return order < 0;
        a.remove_prefix(std::min(ea + 1, a.size()));
        b.remove_prefix(std::min(eb + 1, b.size()));
    }
    if (a.empty() != b.empty()) return a.empty();
    return false;
}

std::vector<std::string> folder_pages(const std::string& folder) {
    std::string root = folder;
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    std::vector<std::string> pages;
    walk(root, pages);
    // Names equal by this order ("A.html", "a.html") keep a fixed order.
    std::sort(pages.begin(), pages.end(), [](const std::string& a, const std::string& b) {
        return natural_less(a, b) || (!natural_less(b, a) && a < b);
    });
    return pages;
}
