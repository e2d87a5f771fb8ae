#include "files/file_staging.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <tuple>
#include <unordered_set>

#include "files/file_io.h"
#include "files/page_backup.h"
#include "files/temp_name.h"
#include "files/vtfile.h"
#include "files/vtfile_path.h"

namespace {

// The file systems on which the kernel alone decides who may write a file,
// by its mode, owner and ACL (not a server, as on NFS).
bool local_file_system(const struct statfs& fs) {
    switch (static_cast<unsigned long>(fs.f_type)) {
        case EXT4_SUPER_MAGIC:
        case BTRFS_SUPER_MAGIC:
        case XFS_SUPER_MAGIC:
        case TMPFS_MAGIC:
        case F2FS_SUPER_MAGIC:
            return true;
        default:
            return false;
    }
}

}  // namespace

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
    // A site's pages share a few folders: each is opened once.
    std::unordered_map<std::string, file_id> opened;
    std::unordered_set<file_id, file_id_hash> local;
    std::vector<std::pair<page_ref*, std::string>> files;
    for (std::string_view output : outputs) {
        if (output.empty()) continue;
        page_ref& ref = refs_.of(output);
        if (ref.walk != link_walk::ok) continue;
        std::string path = vtfile_normal_path(page_ref_folder(ref));
        files.emplace_back(&ref, path);
        if (opened.contains(path)) continue;
        opened[path] = {};
        // O_PATH: a folder its writers may not list (0733) is locked too.
        vtfile_handle fd(::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat st;
        if (!fd.is_open() || fstat(fd.get(), &st) != 0) continue;
        opened[path] = {st.st_dev, st.st_ino};
        if (struct statfs fs; fstatfs(fd.get(), &fs) == 0 && local_file_system(fs))
            local.insert({st.st_dev, st.st_ino});
        if (!seen.insert({st.st_dev, st.st_ino}).second) continue;
        folders.push_back({{st.st_dev, st.st_ino}, std::move(path), std::move(fd)});
    }
    std::sort(folders.begin(), folders.end(), [](const folder& a, const folder& b) {
        return std::tie(a.id.device, a.id.inode) < std::tie(b.id.device, b.id.inode);
    });
    std::unordered_set<file_id, file_id_hash> taken;
    for (folder& f : folders) {
        folder_lock& lock = locks_.emplace_back();
        switch (lock.take(std::move(f.fd), f.path, policy_ == write_policy::commit)) {
            case folder_lock::outcome::taken:
                taken.insert(f.id);
                continue;
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
    for (const auto& [ref, path] : files) {
        const file_id id = opened[path];
        ref->folder_held = id.inode != 0 && taken.contains(id);
        ref->folder_device = id.device;
        ref->folder_local = local.contains(id);
    }
    return true;
}

void file_staging::remove_leftovers(const std::vector<std::string_view>& files,
                                    const std::vector<std::string_view>& listed) {
    std::unordered_set<file_id, file_id_hash> kept;
    for (std::string_view f : listed) {
        if (f.empty()) continue;
        const page_ref& ref = refs_.of(f);
        struct stat st;
        if (ref.exists)
            kept.insert({ref.st.st_dev, ref.st.st_ino});
        else if (ref.walk != link_walk::ok && stat(vtfile_path(f).c_str(), &st) == 0)
            kept.insert({st.st_dev, st.st_ino});
    }
    struct folder_files {
        std::unordered_set<std::string> stems;
        std::vector<page_ref*> refs;
    };
    std::unordered_map<std::string, folder_files> folders;
    for (std::string_view f : files) {
        if (f.empty()) continue;
        page_ref& ref = refs_.of(f);
        if (ref.walk != link_walk::ok) continue;
        const std::string& target = ref.resolved;
        const size_t slash = target.find_last_of('/');
        folder_files& in = folders[vtfile_folder_of(target)];
        in.stems.insert(
            atomic_temp_stem(slash == std::string::npos ? target : target.substr(slash + 1)));
        in.refs.push_back(&ref);
    }
    // The same listing tells which files have a backup beside them: a
    // reader need not look for one where none was (page_ref.h).
    const bool remove = policy_ == write_policy::commit;
    for (auto& [folder, in] : folders) {
        DIR* d = opendir(folder.c_str());
        if (!d) continue;
        std::unordered_set<std::string> backups;
        while (const dirent* e = readdir(d)) {
            std::string_view stem;
            struct stat st;
            if (page_backup_name(e->d_name))
                backups.insert(e->d_name);
            else if (remove && atomic_temp_parse(e->d_name, stem) &&
                     in.stems.count(std::string(stem)) &&
                     fstatat(dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                     S_ISREG(st.st_mode) && !kept.count({st.st_dev, st.st_ino}))
                unlinkat(dirfd(d), e->d_name, 0);
        }
        closedir(d);
        for (page_ref* ref : in.refs) {
            const std::string backup = page_backup_path(ref->resolved);
            ref->backups_known = true;
            ref->backup_found = backups.contains(backup.substr(backup.find_last_of('/') + 1));
        }
    }
}

void file_staging::expect_reads(const std::vector<std::string_view>& paths) {
    if (policy_ != write_policy::check) return;
    for (std::string_view p : paths) {
        if (p.empty()) continue;
        const page_ref& ref = refs_.of(p);
        struct stat st;
        if (ref.exists)
            ++reads_expected_[{ref.st.st_dev, ref.st.st_ino}];
        else if (ref.walk != link_walk::ok && stat(vtfile_path(p).c_str(), &st) == 0)
            ++reads_expected_[{st.st_dev, st.st_ino}];
    }
}

bool file_staging::open_page(std::string_view path, page_source& source, vtfile_error& why) {
    reached_page page;
    return reach_page(path, page, why) && take_page(page, source, why);
}

bool file_staging::reach_page(std::string_view path, reached_page& page, vtfile_error& why) const {
    page.path = path;
    // Taken before the file's state: a change within this tick counts as
    // racy.
    page.clock = file_state::clock();
    // A check writes nothing: a file that a build would restore from its
    // backup first is read as restored.
    vtfile_handle* restored = policy_ == write_policy::check ? &page.restored : nullptr;
    if (const page_ref* ref = refs_.find(path)) {
        page.at_start = ref->exists && ref->st.st_size < whole_below_;
        page.file = vtfile_open_rewritten(*ref, why, page.st, page.plain, &page.resolved, restored,
                                          &page.at_start);
        if (page.at_start) page.clock = ref->clock;
        return page.file.is_open();
    }
    page.file = vtfile_open_rewritten(path, vtfile_links::trusted, why, &page.resolved, restored);
    if (page.file.is_open() && fstat(page.file.get(), &page.st) != 0) {
        why = vtfile_error::cannot_read;
        page.file.reset();
    }
    return page.file.is_open();
}

bool file_staging::take_page(reached_page& page, page_source& source, vtfile_error& why) {
    page_ref& ref = refs_.of(page.path);
    const struct stat& st = page.st;
    if (page.resolved != ref.resolved) {
        // Its links changed since the run began: the later steps go where
        // this walk led.
        ref.resolved = page.resolved;
        ref.folder_held = ref.backups_known = ref.folder_local = false;
    }
    ref.exists = ref.read = true;
    ref.read_plain = page.plain;
    ref.st = ref.read_st = st;
    why = vtfile_error::cannot_read;
    const file_id id{st.st_dev, st.st_ino};
    if (const auto staged = staged_by_id_.find(id); staged != staged_by_id_.end()) {
        const entry& e = entries_[staged->second];
        const temp_file& staged_bytes = e.staged;
        if (!staged_bytes.exists() && staged_bytes.fd() >= 0) {
            source.file = vtfile_handle(dup(staged_bytes.fd()));
            if (source.file.is_open() && lseek(source.file.get(), 0, SEEK_SET) != 0)
                source.file.reset();
        } else if (staged_bytes.exists()) {
            source.file = vtfile_handle(::open(staged_bytes.path().c_str(), O_RDONLY | O_CLOEXEC));
        }
        if (staged_bytes.exists() || staged_bytes.fd() >= 0) return source.file.is_open();
    }
    why = vtfile_error::none;
    if (!page.restored.is_open()) source.size = st.st_size;
    source.size_sure = !page.at_start;
    source.file = page.restored.is_open() ? std::move(page.restored) : std::move(page.file);
    if (!seen_by_id_.count(id)) {
        file_state& s =
            seen_.emplace_back(page.at_start ? file_state::at_start(st, page.plain, page.clock)
                                             : file_state::of(st, page.clock));
        if (page.at_start && !page.restored.is_open()) source.state = &s;
        seen_by_id_[id] = &s;
        seen_by_path_.emplace(vtfile_normal_path(page.resolved), &s);
        // A state of the first look has the digest of the bytes read.
        if (s.racy && !source.state) source.hash = &s.hash;
    }
    return true;
}

void file_staging::done_reading(std::string_view path, page_source& source) {
    // Only the page itself (not staged or restored bytes), and never so many
    // that a run of many threads runs out of descriptors.
    constexpr size_t kMostKept = 64;
    if (source.size < 0 || !source.file.is_open() || kept_.size() >= kMostKept) return;
    kept_[std::string(path)] = std::move(source.file);
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
    const page_ref& ref = refs_.of(path);
    // The page as it was read, when it was: its bytes are compared through
    // the descriptor it was read from.
    vtfile_handle kept;
    if (const auto k = kept_.find(std::string(path)); k != kept_.end()) {
        kept = std::move(k->second);
        kept_.erase(k);
    }
    if (!find_write_target(ref, policy_ == write_policy::commit, target, &writable_folders_))
        return out.fail(target.error);
    if (target.exists && !S_ISREG(target.st.st_mode)) return out.fail();
    const int current = !target.exists   ? -1
                        : kept.is_open() ? kept.release()
                                         : ::open(target.path.c_str(),
                                                  O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const file_state* seen = state_for(target, current);
    staged_file::sink to = staged_file::sink::temp_file;
    if (policy_ == write_policy::check) {
        const auto reads = reads_expected_.find({target.st.st_dev, target.st.st_ino});
        to = target.exists && reads != reads_expected_.end() && reads->second > 1
                 ? staged_file::sink::memory
                 : staged_file::sink::none;
    }
    // A page opened on the run's first look is compared with what was read.
    const int64_t size =
        seen && seen->from_start && seen->read ? seen->read_length : target.st.st_size;
    // Asked before the run's first file is made (it is set and put back).
    if (!umask_known_) umask_ = static_cast<mode_t>(0777 & ~vtfile_default_mode());
    umask_known_ = true;
    out.umask_ = umask_;
    out.traits_ = {};
    if (target.exists)
        if (const auto known = new_files_.find(vtfile_folder_of(target.path));
            known != new_files_.end())
            out.traits_ = known->second;
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
    e.staged.remove();
    e.live = false;
}

// The staged bytes of out become e's. A file that must keep its inode is
// marked for a rewrite in place; a new file gets the usual permission bits.
bool file_staging::stage(staged_file& out, entry& e) {
    const write_target& t = out.target_;
    e.size = out.total_;
    e.seen = out.seen_;
    if (policy_ == write_policy::check) {
        e.staged = std::move(out.out_);
        return true;
    }
    const int fd = out.out_.fd();
    const mode_t mode = t.exists ? t.st.st_mode & 07777 : 0666 & ~out.umask_;
    e.in_place = !vtfile_ready_for_rename(
        fd, t.path, t.exists ? &t.st : nullptr, mode,
        t.exists ? &new_files_[vtfile_folder_of(t.path)] : nullptr, &out.made_);
    // No early write-back (sync_file_range) before the barrier: measured,
    // it made first builds no faster, and it costs a call a file.
    e.staged = std::move(out.out_);
    return e.staged.close();
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
