#include "files/path_pattern.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "core/natural_order.h"
#include "files/vtfile_path.h"

namespace {

// Natural path order of two paths below the starting folder: name by name,
// and where one path ends in a file and the other goes on into a folder, the
// file first.
bool path_before(std::string_view a, std::string_view b) {
    for (;;) {
        const size_t slash_a = a.find('/'), slash_b = b.find('/');
        const bool file_a = slash_a == std::string_view::npos;
        const bool file_b = slash_b == std::string_view::npos;
        if (file_a != file_b) return file_a;
        const int c = natural_compare(a.substr(0, slash_a), b.substr(0, slash_b));
        if (c != 0 || file_a) return c < 0;
        a.remove_prefix(slash_a + 1);
        b.remove_prefix(slash_b + 1);
    }
}

struct folder_entry {
    std::string name;
    unsigned char type;  // d_type
};

// The entries of a folder but "." and "..", in the order the folder keeps.
bool read_folder(const std::string& path, std::vector<folder_entry>& entries) {
    DIR* d = opendir(path.empty() ? "." : path.c_str());
    if (!d) return false;
    while (const dirent* e = readdir(d)) {
        const std::string_view name = e->d_name;
        if (name != "." && name != "..") entries.push_back({std::string(name), e->d_type});
    }
    closedir(d);
    return true;
}

struct entry_kind {
    enum { none, file, folder } kind = none;
    dev_t device = 0;
    ino_t inode = 0;
};

// What the entry at path is for the walk, after a symlink of the user or
// root; another user's symlink is nothing. type is the listing's d_type
// (DT_UNKNOWN when there was no listing).
entry_kind kind_of(const std::string& path, unsigned char type) {
    if (type == DT_REG) return {entry_kind::file};
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return {};
    if (S_ISLNK(st.st_mode)) {
        if (st.st_uid != geteuid() && st.st_uid != 0) return {};
        if (stat(path.c_str(), &st) != 0) return {};
    }
    if (S_ISREG(st.st_mode)) return {entry_kind::file};
    if (S_ISDIR(st.st_mode)) return {entry_kind::folder, st.st_dev, st.st_ino};
    return {};
}

// One walk of a pattern's names over the folders below its start. Paths are
// kept relative to the start ("" or ending in "/" for a folder).
class pattern_walk {
  public:
    template <class Step>
    pattern_walk(const std::vector<Step>& steps, std::string start) : start_(std::move(start)) {
        for (const Step& s : steps) steps_.push_back({&s.name, s.any_depth});
    }

    // Walks from the start; false when the start is no folder.
    bool run() {
        const entry_kind start = kind_of(start_.empty() ? "." : start_, DT_UNKNOWN);
        if (start.kind != entry_kind::folder) return false;
        enter("", start, 0);
        return true;
    }

    std::vector<std::string> found;

  private:
    struct walk_step {
        const name_pattern* name;
        bool any_depth;
    };

    // Each folder is walked once for each step, whatever names lead to it.
    void enter(const std::string& folder, const entry_kind& kind, size_t k) {
        if (entered_.emplace(kind.device, kind.inode, k).second) walk(folder, k);
    }

    // Takes the entry found as a match of step k (or of a "**" at k).
    void take(const std::string& path, const entry_kind& kind, size_t k, bool last) {
        if (last && kind.kind == entry_kind::file) found.push_back(path);
        if (!last && kind.kind == entry_kind::folder) enter(path + "/", kind, k + 1);
    }

    void walk(const std::string& folder, size_t k) {
        const walk_step& s = steps_[k];
        const bool last = k + 1 == steps_.size();
        if (!s.any_depth && s.name->is_literal()) {
            const std::string path = folder + std::string(s.name->literal());
            take(path, kind_of(start_ + path, DT_UNKNOWN), k, last);
            return;
        }
        // "**" stands for no folder, too.
        if (s.any_depth && !last) walk(folder, k + 1);
        std::vector<folder_entry> entries;
        if (!read_folder(start_ + folder, entries)) return;
        // Folders are entered in natural order, so that a walk that meets
        // one folder by two names always keeps the same one.
        if (s.any_depth || !last)
            std::sort(entries.begin(), entries.end(),
                      [](const folder_entry& a, const folder_entry& b) {
                          return natural_compare(a.name, b.name) < 0;
                      });
        for (const folder_entry& e : entries) {
            const bool hidden = e.name[0] == '.';
            if (s.any_depth ? hidden
                            : (hidden && !s.name->names_hidden()) || !s.name->matches(e.name))
                continue;
            const std::string path = folder + e.name;
            const entry_kind kind = kind_of(start_ + path, e.type);
            if (s.any_depth && kind.kind == entry_kind::folder)
                enter(path + "/", kind, k);
            else if (!s.any_depth || last)
                take(path, kind, k, last);
        }
    }

    std::string start_;
    std::vector<walk_step> steps_;
    std::set<std::tuple<dev_t, ino_t, size_t>> entered_;
};

}  // namespace

path_pattern::result path_pattern::compile(std::string_view text) {
    steps_.clear();
    start_.clear();
    const std::string path = vtfile_path(text);
    for (size_t at = 0; at <= path.size();) {
        size_t slash = path.find('/', at);
        if (slash == std::string::npos) slash = path.size();
        const std::string_view name = std::string_view(path).substr(at, slash - at);
        at = slash + 1;
        if (name.empty()) continue;
        step s;
        s.any_depth = name == "**";
        // Two "**" in a row stand for no more than one.
        if (s.any_depth && !steps_.empty() && steps_.back().any_depth) continue;
        if (!s.any_depth && !s.name.compile(name)) {
            steps_.clear();
            return result::unclosed_bracket;
        }
        steps_.push_back(std::move(s));
    }
    // The plain names in front (not the last, the file's) are the folder the
    // walk starts in.
    size_t plain = 0;
    while (plain + 1 < steps_.size() && !steps_[plain].any_depth && steps_[plain].name.is_literal())
        start_.append(steps_[plain++].name.literal()).push_back('/');
    steps_.erase(steps_.begin(), steps_.begin() + static_cast<std::ptrdiff_t>(plain));
    if (path.starts_with('/')) start_.insert(0, "/");
    return result::ok;
}

path_pattern::result path_pattern::expand(std::string_view folder, std::vector<std::string>& pages,
                                          std::string* start) const {
    if (steps_.empty()) return result::no_match;
    std::string from = start_;
    if (!folder.empty() && !from.starts_with('/')) {
        std::string base = vtfile_path(folder);
        if (!base.ends_with('/')) base.push_back('/');
        from.insert(0, base);
    }
    // The start is reached as a page would be: another user's link on the
    // way refuses it.
    std::string resolved;
    const std::string start_folder = from.empty() ? "." : from;
    if (vtfile_resolve_links(start_folder, resolved, true) == link_walk::foreign_link) {
        if (start) *start = from.size() > 1 ? from.substr(0, from.size() - 1) : start_folder;
        return result::foreign_link;
    }
    pattern_walk walk(steps_, from);
    if (!walk.run() || walk.found.empty()) return result::no_match;
    std::sort(walk.found.begin(), walk.found.end(), path_before);
    walk.found.erase(std::unique(walk.found.begin(), walk.found.end()), walk.found.end());
    for (const std::string& path : walk.found) pages.push_back(from + path);
    return result::ok;
}

std::string path_pattern_in_folder(std::string_view folder, std::string_view pattern) {
    if (pattern.empty() || pattern[0] == '/' || pattern[0] == '\\' || folder.empty())
        return std::string(pattern);
    std::string full = name_pattern_escape(vtfile_path(folder));
    if (!full.ends_with('/')) full.push_back('/');
    return full.append(pattern);
}
