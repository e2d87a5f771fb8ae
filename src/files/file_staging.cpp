#include "files/file_staging.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <tuple>
#include <unordered_set>

#include "files/file_attributes.h"
#include "files/file_io.h"
#include "files/temp_name.h"
#include "files/temp_registry.h"
#include "files/vtfile.h"
#include "files/vtfile_path.h"

file_staging::~file_staging() {
    abort();
}

bool file_staging::lock_against_other_runs(const std::vector<std::string_view>& outputs,
                                           std::string_view& held, vtfile_error& why) {
    struct folder {
        file_id id;
        std::string path;
        vtfile_handle fd;
    };
    std::vector<folder> folders;
    std::unordered_set<file_id, file_id_hash> seen;
    // A site's pages share a few folders: each path is opened once.
    std::unordered_set<std::string> opened;
    for (std::string_view output : outputs) {
        std::string target;
        if (output.empty() || vtfile_resolve_links(output, target, true) != link_walk::ok) continue;
        std::string path = vtfile_normal_path(vtfile_folder_of(target));
        if (!opened.insert(path).second) continue;
        // O_PATH: a folder its writers may not list (0733) is locked too.
        vtfile_handle fd(::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat st;
        if (!fd.is_open() || fstat(fd.get(), &st) != 0 ||
            !seen.insert({st.st_dev, st.st_ino}).second)
            continue;
        folders.push_back({{st.st_dev, st.st_ino}, std::move(path), std::move(fd)});
    }
    std::sort(folders.begin(), folders.end(), [](const folder& a, const folder& b) {
        return std::tie(a.id.device, a.id.inode) < std::tie(b.id.device, b.id.inode);
    });
    for (folder& f : folders) {
        folder_lock& lock = locks_.emplace_back();
        switch (lock.take(std::move(f.fd), f.path, policy_ == write_policy::commit)) {
            case folder_lock::outcome::taken:
            case folder_lock::outcome::unlocked:
                continue;
            case folder_lock::outcome::held:
                why = vtfile_error::held;
                held_ = f.path;
                break;
            case folder_lock::outcome::refused:
                why = vtfile_error::bad_lock;
                held_ = folder_lock::path_in(f.path);
                break;
        }
        held = held_;
        return false;
    }
    return true;
}

void file_staging::remove_leftovers(const std::vector<std::string_view>& files,
                                    const std::vector<std::string_view>& listed) const {
    if (policy_ == write_policy::check) return;
    std::unordered_set<file_id, file_id_hash> kept;
    for (std::string_view f : listed) {
        struct stat st;
        if (!f.empty() && stat(vtfile_path(f).c_str(), &st) == 0)
            kept.insert({st.st_dev, st.st_ino});
    }
    std::unordered_map<std::string, std::unordered_set<std::string>> stems;
    for (std::string_view f : files) {
        std::string target;
        if (vtfile_resolve_links(f, target, true) != link_walk::ok) continue;
        const size_t slash = target.find_last_of('/');
        stems[vtfile_folder_of(target)].insert(
            atomic_temp_stem(slash == std::string::npos ? target : target.substr(slash + 1)));
    }
    for (const auto& [folder, names] : stems) {
        DIR* d = opendir(folder.c_str());
        if (!d) continue;
        while (const dirent* e = readdir(d)) {
            std::string_view stem;
            struct stat st;
            if (atomic_temp_parse(e->d_name, stem) && names.count(std::string(stem)) &&
                fstatat(dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISREG(st.st_mode) && !kept.count({st.st_dev, st.st_ino}))
                unlinkat(dirfd(d), e->d_name, 0);
        }
        closedir(d);
    }
}

void file_staging::expect_reads(const std::vector<std::string_view>& paths) {
    if (policy_ != write_policy::check) return;
    for (std::string_view p : paths) {
        struct stat st;
        if (stat(vtfile_path(p).c_str(), &st) == 0) ++reads_expected_[{st.st_dev, st.st_ino}];
    }
}

bool file_staging::open_page(std::string_view path, page_source& source, vtfile_error& why) {
    reached_page page;
    return reach_page(path, page, why) && take_page(page, source, why);
}

bool file_staging::reach_page(std::string_view path, reached_page& page, vtfile_error& why) const {
    // A check writes nothing: a file that a build would restore from its
    // backup first is read as restored.
    page.file = vtfile_open_rewritten(path, vtfile_links::trusted, why, &page.resolved,
                                      policy_ == write_policy::check ? &page.restored : nullptr);
    return page.file.is_open();
}

bool file_staging::take_page(reached_page& page, page_source& source, vtfile_error& why) {
    vtfile_handle& file = page.file;
    vtfile_handle& restored = page.restored;
    const std::string& resolved = page.resolved;
    const timespec clock = file_state::clock();
    struct stat st;
    why = vtfile_error::cannot_read;
    if (fstat(file.get(), &st) != 0) return false;
    const file_id id{st.st_dev, st.st_ino};
    if (const auto staged = staged_by_id_.find(id); staged != staged_by_id_.end()) {
        const entry& e = entries_[staged->second];
        if (e.memory >= 0) {
            source.file = vtfile_handle(dup(e.memory));
            if (source.file.is_open() && lseek(source.file.get(), 0, SEEK_SET) != 0)
                source.file.reset();
        } else if (!e.temp.empty()) {
            source.file = vtfile_handle(::open(e.temp.c_str(), O_RDONLY | O_CLOEXEC));
        }
        if (e.memory >= 0 || !e.temp.empty()) return source.file.is_open();
    }
    why = vtfile_error::none;
    if (!restored.is_open()) source.size = st.st_size;
    source.file = restored.is_open() ? std::move(restored) : std::move(file);
    if (!seen_by_id_.count(id)) {
        file_state& s = seen_.emplace_back(file_state::of(st, clock));
        seen_by_id_[id] = &s;
        seen_by_path_.emplace(vtfile_normal_path(resolved), &s);
        if (s.racy) source.hash = &s.hash;
    }
    return true;
}

const file_state* file_staging::state_for(const write_target& target, int current) {
    if (const auto by_path = seen_by_path_.find(vtfile_normal_path(target.path));
        by_path != seen_by_path_.end())
        return by_path->second;
    const file_id id{target.st.st_dev, target.st.st_ino};
    if (target.exists)
        if (const auto by_id = seen_by_id_.find(id); by_id != seen_by_id_.end())
            return by_id->second;
    file_state& s = seen_.emplace_back();
    if (target.exists) {
        s = current >= 0 ? file_state::of(current) : file_state::of(target.st, file_state::clock());
        // Bytes that cannot be read cannot be compared: the stamps decide.
        if (current < 0) s.racy = false;
        seen_by_id_[id] = &s;
    }
    seen_by_path_.emplace(vtfile_normal_path(target.path), &s);
    return &s;
}

bool file_staging::open(std::string_view path, staged_file& out) {
    out.close_all();
    out.error_ = vtfile_error::none;
    write_target target;
    if (!find_write_target(path, policy_ == write_policy::commit, target, &writable_folders_))
        return out.fail(target.error);
    if (target.exists && !S_ISREG(target.st.st_mode)) return out.fail();
    const int current =
        target.exists ? ::open(target.path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)
                      : -1;
    const file_state* seen = state_for(target, current);
    staged_file::sink to = staged_file::sink::temp_file;
    if (policy_ == write_policy::check) {
        const auto reads = reads_expected_.find({target.st.st_dev, target.st.st_ino});
        to = target.exists && reads != reads_expected_.end() && reads->second > 1
                 ? staged_file::sink::memory
                 : staged_file::sink::none;
    }
    const int64_t size = target.st.st_size;
    out.start(std::move(target), current, size, to);
    out.normal_ = vtfile_normal_path(out.target_.path);
    out.seen_ = seen;
    return true;
}

file_staging::entry* file_staging::staged_for(const write_target& target,
                                              const std::string& normal) {
    if (target.exists) {
        const auto it = staged_by_id_.find({target.st.st_dev, target.st.st_ino});
        return it == staged_by_id_.end() ? nullptr : &entries_[it->second];
    }
    const auto it = staged_by_path_.find(normal);
    return it == staged_by_path_.end() ? nullptr : &entries_[it->second];
}

void file_staging::drop(entry& e) {
    if (!e.temp.empty()) unlink(e.temp.c_str());
    e.temp.clear();
    temp_registry_remove(e.slot);
    e.slot = -1;
    if (e.memory >= 0) ::close(e.memory);
    e.memory = -1;
    e.live = false;
}

// The staged bytes of out become e's. A file that must keep its inode is
// marked for a rewrite in place; a new file gets the usual permission bits.
bool file_staging::stage(staged_file& out, entry& e) {
    const write_target& t = out.target_;
    e.size = out.total_;
    e.seen = out.seen_;
    if (policy_ == write_policy::check) {
        e.memory = std::exchange(out.out_, -1);
        return true;
    }
    const int fd = out.out_;
    if (!t.exists && fchmod(fd, static_cast<mode_t>(vtfile_default_mode())) != 0) {
        // the new file keeps the temporary file's 0600
    }
    e.in_place = t.exists && (t.st.st_nlink != 1 ||
                              !vtfile_take_attributes(fd, t.path, t.st, t.st.st_mode & 07777));
    // Write-back starts now, while the run goes on with the next file.
    sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    e.temp = std::move(out.temp_);
    out.temp_.clear();
    e.slot = std::exchange(out.slot_, -1);
    return ::close(std::exchange(out.out_, -1)) == 0;
}

bool file_staging::finish(staged_file& out, std::string_view shown) {
    if (!out.finish()) return false;
    entry* e = staged_for(out.target_, out.normal_);
    if (!out.differs()) {
        if (e) drop(*e);
        out.close_all();
        return true;
    }
    if (e) {
        drop(*e);
        e->live = true;
    } else {
        if (out.target_.exists)
            staged_by_id_[{out.target_.st.st_dev, out.target_.st.st_ino}] = entries_.size();
        else
            staged_by_path_[out.normal_] = entries_.size();
        e = &entries_.emplace_back();
        e->target = out.target_.path;
        e->shown = shown;
    }
    const bool ok = stage(out, *e);
    out.close_all();
    if (!ok) {
        drop(*e);
        return out.fail();
    }
    return true;
}

std::vector<std::string_view> file_staging::changed() const {
    std::vector<std::string_view> names;
    for (const entry& e : entries_)
        if (e.live) names.push_back(e.shown);
    return names;
}

void file_staging::abort() {
    for (entry& e : entries_) drop(e);
    entries_.clear();
    staged_by_id_.clear();
    staged_by_path_.clear();
}
