// File layer over POSIX: descriptors are the handles, st_mode the attribute
// bits, statvfs the free space. Paths are copied with backslashes turned into
// slashes before use.
#include "files/vtfile.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "files/atomic_file.h"
#include "files/file_state.h"
#include "files/lock_wait.h"
#include "files/page_backup.h"
#include "files/page_ref.h"
#include "files/vtfile_path.h"

namespace {

vtval size_value(int64_t size, int64_t limit) {
    if (size < limit) return vtval(static_cast<int32_t>(size));
    return vtval::make_real(static_cast<double>(size));
}

// Open flags of a mode text; false for a mode that opens nothing.
struct open_mode {
    int flags = O_PATH;
    bool at_end = false;
    bool folders = false;
};

open_mode parse_mode(std::string_view mode) {
    open_mode m;
    if (mode.empty()) {
        m.folders = true;
        return m;
    }
    bool plus = mode.size() > 1 && mode[1] == '+';
    switch (vt_lower(mode[0])) {
        case 'r':
            m.flags = plus ? O_RDWR : O_RDONLY;
            break;
        case 'w':
            m.flags = (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
            break;
        case 'a':
            m.flags = (plus ? O_RDWR : O_WRONLY) | O_CREAT;
            m.at_end = true;
            break;
        default:
            break;  // no data access
    }
    return m;
}

int32_t read_error_code(int err) {
    switch (err) {
        case EAGAIN:
            return VTFILE_ERR_PENDING;
        case EPIPE:
            return VTFILE_ERR_BROKEN_PIPE;
        case EFAULT:
            return VTFILE_ERR_BAD_BUFFER;
        case ENOMEM:
            return VTFILE_ERR_NO_MEMORY;
        case ECANCELED:
            return VTFILE_ERR_ABORTED;
        default:
            return VTFILE_ERR_OTHER;
    }
}

int open_checked(const std::string& path, int flags, bool folders, struct stat& st,
                 bool* plain = nullptr) {
    // Non-blocking only while opening: a named pipe without a writer would
    // otherwise hold the program for ever.
    int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) return VTFILE_INVALID;
    // Only the empty mode opens folders (read-only opens would succeed);
    // pipes and sockets are never files.
    if (!(plain ? stat_plain(fd, "", st, *plain) : fstat(fd, &st) == 0) || S_ISFIFO(st.st_mode) ||
        S_ISSOCK(st.st_mode) || (!folders && S_ISDIR(st.st_mode))) {
        ::close(fd);
        return VTFILE_INVALID;
    }
    // A regular file ignores the flag; a device would not.
    if (!S_ISREG(st.st_mode)) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

int open_checked(const std::string& path, int flags, bool folders) {
    struct stat st;
    return open_checked(path, flags, folders, st);
}

}  // namespace

int vtfile_open(std::string_view path, std::string_view mode) {
    std::string p = vtfile_path(path);
    if (p.empty()) return VTFILE_INVALID;
    open_mode m = parse_mode(mode);
    int fd = open_checked(p, m.flags, m.folders);
    if (fd >= 0 && m.at_end) lseek(fd, 0, SEEK_END);
    return fd;
}

namespace {
std::atomic<void (*)(std::string_view, bool)> g_restore_teller{nullptr};
}  // namespace

void vtfile_set_restore_teller(void (*tell)(std::string_view path, bool done)) {
    g_restore_teller.store(tell);
}

void vtfile_tell_restored(std::string_view path, bool done) {
    if (void (*tell)(std::string_view, bool) = g_restore_teller.load()) tell(path, done);
}

namespace {

bool vtfile_settled(backup_check settled) {
    return settled == backup_check::none || settled == backup_check::restored ||
           settled == backup_check::would_restore;
}

// Settles the backup of the file open as file (named resolved without
// symlinks, path as the caller names it) and tells of a restore; why says
// why a file that vtfile_settled refuses may not be read.
backup_check settle_opened(vtfile_handle& file, const std::string& resolved, std::string_view path,
                           vtfile_handle* old_bytes, vtfile_error& why, backup_hint hint) {
    int old = -1;
    const backup_check settled =
        page_settle_backup(file.get(), resolved, path, old_bytes ? &old : nullptr, hint);
    switch (settled) {
        case backup_check::refused:
            why = vtfile_error::bad_backup;
            return settled;
        case backup_check::stale:
            why = vtfile_error::stale_backup;
            return settled;
        case backup_check::held:
            why = vtfile_error::held;
            return settled;
        case backup_check::would_restore:
            old_bytes->reset(old);
            [[fallthrough]];
        case backup_check::restored:
            if (const vtfile_thread_tellers* own = vtfile_thread_tellers_now();
                own && own->restored)
                own->restored(path, settled == backup_check::restored);
            else
                vtfile_tell_restored(path, settled == backup_check::restored);
            break;
        case backup_check::none:
            break;
    }
    why = vtfile_error::none;
    return settled;
}

}  // namespace

vtfile_handle vtfile_open_rewritten(std::string_view path, vtfile_links links, vtfile_error& why,
                                    std::string* resolved_path, vtfile_handle* old_bytes) {
    std::string resolved;
    why = vtfile_error::cannot_read;
    if (path.empty()) return {};
    switch (vtfile_resolve_links(path, resolved, links == vtfile_links::trusted)) {
        case link_walk::foreign_link:
            why = vtfile_error::foreign_link;
            return {};
        case link_walk::loop:
            return {};
        case link_walk::ok:
            break;
    }
    // No link is left to follow; one put there since is not followed.
    vtfile_handle file(open_checked(resolved, O_RDONLY | O_NOFOLLOW, false));
    if (!file.is_open() || !vtfile_settled(settle_opened(file, resolved, path, old_bytes, why, {})))
        return {};
    if (resolved_path) *resolved_path = std::move(resolved);
    return file;
}

vtfile_handle vtfile_open_rewritten(const page_ref& ref, vtfile_error& why, struct stat& st,
                                    bool& plain, std::string* resolved_path,
                                    vtfile_handle* old_bytes, bool* at_start) {
    why = ref.walk == link_walk::foreign_link ? vtfile_error::foreign_link
                                              : vtfile_error::cannot_read;
    plain = false;
    if (ref.written.empty() || ref.walk != link_walk::ok) return {};
    const bool start = at_start && *at_start && ref.exists && S_ISREG(ref.st.st_mode);
    if (at_start) *at_start = false;
    vtfile_handle file;
    if (start) {
        // A regular file when the run began: opened without looking again,
        // non-blocking for good (whatever is at the name now, reading it
        // never waits). A file that failed to open is walked to again.
        file.reset(::open(ref.resolved.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        st = ref.st;
        plain = ref.plain;
    } else {
        file.reset(open_checked(ref.resolved, O_RDONLY | O_NOFOLLOW, false, st, &plain));
    }
    // Another file at the name than the one the run found when it began (a
    // page saved by rename, a folder on the way replaced): its path is
    // walked again.
    if (!file.is_open() || !ref.exists || st.st_dev != ref.st.st_dev ||
        st.st_ino != ref.st.st_ino) {
        file = vtfile_open_rewritten(ref.written, vtfile_links::trusted, why, resolved_path,
                                     old_bytes);
        plain = false;
        if (file.is_open() && fstat(file.get(), &st) != 0) file.reset();
        return file;
    }
    const backup_hint hint{.none_beside = ref.folder_held && ref.backups_known && !ref.backup_found,
                           .one_name = st.st_nlink == 1};
    const backup_check settled =
        settle_opened(file, ref.resolved, ref.written, old_bytes, why, hint);
    if (!vtfile_settled(settled)) return {};
    // A file restored from its backup changed.
    if (settled == backup_check::restored && fstat(file.get(), &st) != 0) {
        why = vtfile_error::cannot_read;
        return {};
    }
    if (at_start) *at_start = start && settled != backup_check::restored;
    if (resolved_path) *resolved_path = ref.resolved;
    return file;
}

vtfile_handle vtfile_handle::open(std::string_view path, std::string_view mode) {
    return vtfile_handle(vtfile_open(path, mode));
}

int32_t vtfile_handle::read(vtstring& buffer, int32_t count) const {
    return vtfile_read(handle_, buffer, count);
}

int32_t vtfile_handle::read(char* into, int32_t count) const {
    return vtfile_read(handle_, into, count);
}

vtval vtfile_handle::size() const {
    return vtfile_size(handle_);
}

void vtfile_handle::reset(int handle) noexcept {
    vtfile_close(std::exchange(handle_, handle));
}

bool vtfile_close(int handle) {
    if (handle < 0) return true;
    return ::close(handle) == 0;
}

int32_t vtfile_read(int handle, vtstring& buffer, int32_t count) {
    buffer.clear();
    if (handle < 0 || count <= 0) return 0;
    buffer.reserve(count);
    const int32_t n = vtfile_read(handle, buffer.data(), count);
    if (n > 0) buffer.set_length(n);
    return n;
}

int32_t vtfile_read(int handle, char* into, int32_t count) {
    if (handle < 0 || count <= 0) return 0;
    ssize_t n;
    do {
        n = ::read(handle, into, static_cast<size_t>(count));
    } while (n < 0 && errno == EINTR);
    if (n < 0) return read_error_code(errno);
    return static_cast<int32_t>(n);
}

int32_t vtfile_write(int handle, std::string_view bytes) {
    if (handle < 0) return 0;
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(handle, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return 0;
        done += static_cast<size_t>(n);
    }
    return static_cast<int32_t>(done);
}

int64_t vtfile_seek(int handle, int64_t distance, vtfile_origin origin) {
    if (handle < 0) return -1;
    int whence = origin == VTFILE_END ? SEEK_END : origin == VTFILE_CURRENT ? SEEK_CUR : SEEK_SET;
    off_t pos = lseek(handle, static_cast<off_t>(distance), whence);
    return pos < 0 ? -1 : static_cast<int64_t>(pos);
}

vtval vtfile_size(int handle) {
    struct stat st;
    if (handle < 0 || fstat(handle, &st) != 0) return vtval(-1);
    return size_value(st.st_size, VTFILE_HANDLE_SIZE_LIMIT);
}

vtval vtfile_size_of(std::string_view path) {
    return vtfile_handle::open(path, "").size();
}

bool vtfile_read_all(std::string_view path, vtstring& buffer) {
    const vtfile_handle file = vtfile_handle::open(path, "r");
    if (!file.is_open()) return false;
    const int fd = file.get();
    off_t size = lseek(fd, 0, SEEK_END);
    bool ok = size >= 0 && size <= INT32_MAX && lseek(fd, 0, SEEK_SET) == 0;
    if (ok && size > 0) {
        buffer.set_length(static_cast<int32_t>(size));
        off_t done = 0;
        while (done < size) {
            ssize_t n = ::read(fd, buffer.data() + done, static_cast<size_t>(size - done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += n;
        }
        ok = done == size;
    }
    return ok;
}

bool vtfile_info(std::string_view path, vtfile_node& node) {
    std::string p = vtfile_path(path);
    if (p.empty()) return false;
    std::string search = p;
    if (search.size() > 1 && search.back() == '/') search.pop_back();
    struct stat st;
    if (stat(search.c_str(), &st) != 0) return false;
    node.path = p;
    node.is_directory = S_ISDIR(st.st_mode) ? 1 : 0;
    if (!node.is_directory) node.size = size_value(st.st_size, VTFILE_NAME_SIZE_LIMIT);
    node.mtime = static_cast<int64_t>(st.st_mtim.tv_sec);
    node.attributes = st.st_mode;
    return true;
}

namespace {

// Set by vtfile_set_exe_path: the path that stands for the executable's own.
std::string& exe_path_override() {
    static std::string path;
    return path;
}

}  // namespace

void vtfile_set_exe_path(std::string_view path) {
    exe_path_override() = path;
}

vtstring vtfile_exe_path() {
    if (!exe_path_override().empty()) return vtstring(exe_path_override());
    char buf[1025];
    ssize_t n = readlink("/proc/self/exe", buf, 1024);
    if (n <= 0) return {};
    return vtstring(buf, static_cast<int32_t>(n));
}

vtstring vtfile_program_folder() {
    vtstring exe = vtfile_exe_path();
    int32_t slash = exe.find_last('/');
    if (slash < 0) return vtstring("./");
    exe.set_length(slash + 1);
    return exe;
}

bool vtfile_set_current_folder(std::string_view path) {
    std::string p = vtfile_path(path);
    const bool changed = !p.empty() && chdir(p.c_str()) == 0;
    vtfile_forget_current_folder();
    return changed;
}

bool vtfile_create_folder(std::string_view path) {
    std::string p = vtfile_path(path);
    return !p.empty() && mkdir(p.c_str(), 0777) == 0;
}

bool vtfile_delete(std::string_view path) {
    std::string p = vtfile_path(path);
    return !p.empty() && unlink(p.c_str()) == 0;
}

bool vtfile_copy(std::string_view source, std::string_view target, bool overwrite) {
    std::string from = vtfile_path(source);
    std::string to = vtfile_path(target);
    struct stat st;
    if (from.empty() || to.empty()) return false;
    if (!overwrite && lstat(to.c_str(), &st) == 0) return false;
    const vtfile_handle in = vtfile_handle::open(from, "r");
    if (!in.is_open()) return false;
    atomic_file out;
    bool ok = fstat(in.get(), &st) == 0 && out.open(to);
    if (ok) out.set_permissions(st.st_mode & 07777);
    vtstring chunk;
    while (ok) {
        int32_t n = in.read(chunk, 1 << 20);
        if (n < 0) ok = false;
        if (n <= 0) break;
        ok = out.write(chunk.view());
    }
    return ok && out.commit();
}

bool vtfile_move(std::string_view source, std::string_view target) {
    std::string from = vtfile_path(source);
    std::string to = vtfile_path(target);
    if (from.empty() || to.empty()) return false;
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    struct stat st;
    if (errno == EINVAL && lstat(to.c_str(), &st) != 0) {
        // A file system without the no-replace flag.
        return rename(from.c_str(), to.c_str()) == 0;
    }
    if (errno == EXDEV && lstat(from.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        return vtfile_copy(from, to, false) && unlink(from.c_str()) == 0;
    }
    return false;
}

bool vtfile_free_space(std::string_view path, vtval& bytes) {
    std::string p = vtfile_path(path);
    struct statvfs vfs;
    if (p.empty() || statvfs(p.c_str(), &vfs) != 0) {
        bytes = vtval(0);
        return false;
    }
    bytes = vtval::make_real(static_cast<double>(vfs.f_bavail) * static_cast<double>(vfs.f_frsize));
    return true;
}

int64_t vtfile_now() {
    return static_cast<int64_t>(time(nullptr));
}

bool vtfile_list(std::string_view folder, vtfile_tree& tree, vtfile_node* parent, bool skip_dots,
                 std::string_view pattern) {
    std::string dir = vtfile_path(folder);
    if (dir.empty()) return false;
    DIR* d = opendir(dir.c_str());
    if (!d) return false;
    // "*.*" means every entry, as it always has for file patterns.
    std::string pat(pattern.empty() || pattern == "*.*" ? std::string_view("*") : pattern);
    std::vector<std::string> names;
    bool found = false;
    while (dirent* e = readdir(d)) {
        std::string_view name = e->d_name;
        bool dots = name == "." || name == "..";
        if (fnmatch(pat.c_str(), e->d_name, 0) != 0) continue;
        if (!dots) found = true;
        if (!(dots && skip_dots)) names.emplace_back(name);
    }
    std::sort(names.begin(), names.end());
    int dfd = dirfd(d);
    for (const std::string& name : names) {
        struct stat st;
        if (fstatat(dfd, name.c_str(), &st, 0) != 0 &&
            fstatat(dfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        vtfile_node* node = tree.make();
        node->path = name;
        node->is_directory = S_ISDIR(st.st_mode) ? 1 : 0;
        if (!node->is_directory) node->size = size_value(st.st_size, VTFILE_NAME_SIZE_LIMIT);
        node->mtime = static_cast<int64_t>(st.st_mtim.tv_sec);
        node->attributes = st.st_mode;
        if (parent)
            tree.append_child(node, parent);
        else
            tree.append_top(node);
    }
    closedir(d);
    return found;
}

bool vtfile_deepest_folder(std::string_view path, vtstring& result) {
    std::string p = vtfile_path(path);
    std::vector<std::string_view> parts;
    for (size_t start = 0;;) {
        const size_t slash = p.find('/', start);
        parts.push_back(std::string_view(p).substr(start, slash - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    result.clear();
    vtval free_bytes;
    if (!vtfile_free_space(std::string(parts[0]) + "/", free_bytes)) return false;
    std::string prefix(parts[0]);
    bool whole = true;
    for (size_t i = 1; i < parts.size(); ++i) {
        std::string candidate = prefix + "/" + std::string(parts[i]);
        vtfile_node node;
        if (!vtfile_info(candidate, node)) {
            whole = false;
            break;
        }
        prefix = candidate;
        if (!node.is_directory) {
            whole = false;
            break;
        }
    }
    result = whole ? std::string_view(p) : std::string_view(prefix);
    // The root alone keeps its separator, as a bare drive did.
    if (result.view() == parts[0]) result += '/';
    return true;
}
