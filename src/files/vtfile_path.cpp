// Path algorithms that work on the text alone, and the walk over a path's
// symlinks.
#include "files/vtfile_path.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <string>
#include <vector>

namespace {

bool same_text(std::string_view a, std::string_view b, bool ignore_case) {
    if (a.size() != b.size()) return false;
    if (!ignore_case) return a == b;
    for (size_t i = 0; i < a.size(); ++i)
        if (vt_lower(a[i]) != vt_lower(b[i])) return false;
    return true;
}

// resolved with one more component; resolved holds no symlink, so ".."
// may take off its last component by the text alone.
void step(std::string& resolved, std::string_view name) {
    if (name == "..") {
        const size_t slash = resolved.find_last_of('/');
        const std::string_view last = slash == std::string::npos
                                          ? std::string_view(resolved)
                                          : std::string_view(resolved).substr(slash + 1);
        if (resolved == "/") return;
        if (!resolved.empty() && last != "..") {
            resolved.resize(slash == std::string::npos ? 0 : slash == 0 ? 1 : slash);
            return;
        }
    }
    if (!resolved.empty() && resolved.back() != '/') resolved += '/';
    resolved += name;
}

// True when the kernel finds path without passing a symlink: one walk
// instead of one lstat per component. False also when it cannot tell (no
// such file yet, a kernel without openat2).
bool has_no_links(const std::string& path) {
    open_how how{};
    how.flags = O_PATH | O_CLOEXEC;
    how.resolve = RESOLVE_NO_SYMLINKS;
    const long fd = syscall(SYS_openat2, AT_FDCWD, path.c_str(), &how, sizeof how);
    if (fd < 0) return false;
    close(static_cast<int>(fd));
    return true;
}

bool read_link(const std::string& path, std::string& target) {
    target.resize(256);
    for (;;) {
        const ssize_t n = readlink(path.c_str(), target.data(), target.size());
        if (n <= 0) return false;
        if (static_cast<size_t>(n) < target.size()) {
            target.resize(static_cast<size_t>(n));
            return true;
        }
        target.resize(target.size() * 2);
    }
}

}  // namespace

std::string vtfile_path(std::string_view path) {
    std::string p(path);
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
}

std::string vtfile_folder_of(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string_view::npos) return ".";
    if (slash == 0) return "/";
    return std::string(path.substr(0, slash));
}

link_walk vtfile_resolve_links(std::string_view path, std::string& resolved, bool own_links_only) {
    std::string rest = vtfile_path(path);
    if (!rest.empty() && has_no_links(rest)) {
        resolved = std::move(rest);
        return link_walk::ok;
    }
    resolved.clear();
    if (!rest.empty() && rest[0] == '/') resolved.push_back('/');
    const uid_t me = geteuid();
    int links = 0;
    size_t at = 0;
    while (at < rest.size()) {
        size_t end = rest.find('/', at);
        if (end == std::string::npos) end = rest.size();
        const std::string name = rest.substr(at, end - at);
        at = end + 1;
        if (name.empty() || name == ".") continue;
        const size_t before = resolved.size();
        step(resolved, name);
        struct stat st;
        if (name == ".." || lstat(resolved.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) continue;
        if (own_links_only && st.st_uid != me && st.st_uid != 0) return link_walk::foreign_link;
        std::string target;
        if (++links > 40 || !read_link(resolved, target)) return link_walk::loop;
        // The link's text takes its place; a relative one starts from the
        // link's own folder.
        resolved.resize(before);
        if (target[0] == '/') resolved.assign(1, '/');
        rest = at < rest.size() ? target + "/" + rest.substr(at) : target;
        at = 0;
    }
    if (resolved.empty()) resolved.push_back('.');
    return link_walk::ok;
}

vtstring vtfile_relative_path(std::string_view base, std::string_view target, bool ignore_case) {
    const std::string from = vtfile_path(base);
    const std::string to = vtfile_path(target);
    vtstring result;
    if (same_text(from, to, ignore_case)) return result;
    // The parts both share from the front; at the end, at the start of the
    // first part of target's that follows them (npos when none does).
    size_t common = 0;
    size_t b = 0;
    size_t t = 0;
    for (;;) {
        const size_t b_end = std::min(from.find('/', b), from.size());
        const size_t t_end = std::min(to.find('/', t), to.size());
        if (!same_text(std::string_view(from).substr(b, b_end - b),
                       std::string_view(to).substr(t, t_end - t), ignore_case))
            break;
        ++common;
        b = b_end + 1;
        t = t_end == to.size() ? std::string::npos : t_end + 1;
        if (b_end == from.size() || t == std::string::npos) break;
    }
    // The base's own file name is not a folder to climb out of.
    const size_t base_parts = static_cast<size_t>(std::count(from.begin(), from.end(), '/')) + 1;
    for (size_t i = common + 1; i < base_parts; ++i) result += "../";
    if (t != std::string::npos) result += std::string_view(to).substr(t);
    if (result.empty()) result = ".";
    return result;
}

vtstring vtfile_short_path(std::string_view path, int32_t width) {
    if (width < 6 || path.size() <= static_cast<size_t>(width) || path[0] != '/') return path;
    vtstring shortened("/...");
    shortened += path.substr(path.size() - static_cast<size_t>(width - 4));
    return shortened;
}

namespace {

// Appends the parts of text to normal ("/a/b"), as a walk of them would go:
// empty parts and "." stay out, ".." takes the last part off.
void append_normal(std::string& normal, std::string_view text) {
    for (size_t start = 0; start <= text.size();) {
        size_t slash = text.find('/', start);
        if (slash == std::string_view::npos) slash = text.size();
        const std::string_view part = text.substr(start, slash - start);
        if (part == "..") {
            if (const size_t last = normal.rfind('/'); last != std::string::npos)
                normal.resize(last);
        } else if (!part.empty() && part != ".") {
            (normal += '/') += part;
        }
        start = slash + 1;
    }
}

}  // namespace

std::string vtfile_normal_path(std::string_view path) {
    const std::string whole = vtfile_path(path);
    std::string normal;
    if (!whole.starts_with('/')) append_normal(normal, vtfile_current_folder().view());
    append_normal(normal, whole);
    return normal.empty() ? "/" : normal;
}

namespace {

std::mutex g_current_folder_mutex;
std::string g_current_folder;  // empty: not asked yet, or the kernel failed

}  // namespace

vtstring vtfile_current_folder() {
    const std::lock_guard<std::mutex> lock(g_current_folder_mutex);
    if (g_current_folder.empty()) {
        std::vector<char> buf(4096);
        while (!getcwd(buf.data(), buf.size())) {
            if (errno != ERANGE) return {};
            buf.resize(buf.size() * 2);
        }
        g_current_folder = buf.data();
    }
    return vtstring(g_current_folder);
}

void vtfile_forget_current_folder() {
    const std::lock_guard<std::mutex> lock(g_current_folder_mutex);
    g_current_folder.clear();
}
