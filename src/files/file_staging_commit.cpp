// The commit of a run's staged files: one barrier, then every file in place.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <unordered_set>

#include "files/file_io.h"
#include "files/file_ops.h"
#include "files/file_staging.h"
#include "files/lock_wait.h"
#include "files/page_backup.h"
#include "files/temp_registry.h"
#include "files/vtfile_path.h"

// A file rewritten in place: locked from its backup to the backup's removal.
struct file_staging::in_place_job {
    entry* file;
    vtfile_handle page;
    std::string backup;  // the staged backup, until it has its name
    bool published = false;
    bool overwritten = false;
};

namespace {

// One file of each folder the files are in, in the order first met.
template <class Files, class Path>
std::vector<std::string> one_per_folder(const Files& files, Path path) {
    std::vector<std::string> chosen;
    std::unordered_set<std::string> seen;
    for (const auto& f : files) {
        const std::string& file = path(f);
        if (seen.insert(vtfile_folder_of(file)).second) chosen.push_back(file);
    }
    return chosen;
}

// Makes the data of every file on the file systems of the files (staged
// files of ours) durable: one syncfs for each file system.
bool sync_file_systems(const std::vector<std::string>& files) {
    std::unordered_set<dev_t> synced;
    for (const std::string& file : files) {
        struct stat st;
        if (stat(file.c_str(), &st) != 0) return false;
        if (synced.count(st.st_dev)) continue;
        const vtfile_handle f(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (!f.is_open() || sys_ops().syncfs(f.get()) != 0) return false;
        synced.insert(st.st_dev);
    }
    return true;
}

// Each file rewritten in place stays open, and locked, until the commit
// ends: a large site of linked pages needs as many descriptors as the
// system lets a process have, not merely the usual 1024.
void allow_open_files() {
    rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// Syncs the folder of each file.
bool sync_folders(const std::vector<std::string>& files) {
    bool ok = true;
    for (const std::string& file : files) ok = vtfile_sync_folder_of(file) && ok;
    return ok;
}

}  // namespace

// Locks the file and stages its backup. The lock keeps out another run of
// ours that rewrites the same file through a hard link in a folder this run
// does not lock; anyone who may read the file may hold it as well, so it is
// waited for only so long (lock_wait.h). why says what failed
// (cannot_write or held).
bool file_staging::back_up(entry& e, std::vector<in_place_job>& jobs, vtfile_error& why) {
    vtfile_handle page(::open(e.target.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    const vtfile_handle bytes(::open(e.staged.path().c_str(), O_RDONLY | O_CLOEXEC));
    why = vtfile_error::cannot_write;
    if (!page.is_open() || !bytes.is_open()) return false;
    if (!vtfile_lock(page.get(), LOCK_EX, e.shown)) {
        why = vtfile_error::held;
        return false;
    }
    struct stat st;
    if (fstat(page.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    std::string temp;
    const vtfile_handle staged(
        page_backup_stage(page.get(), st, bytes.get(), e.size, e.target, temp));
    if (!staged.is_open()) return false;
    jobs.push_back({&e, std::move(page), std::move(temp)});
    return true;
}

// Reserves room for the new bytes of each file rewritten in place, so that
// no rewrite runs out of space half way, and gives each backup its name.
// The file that failed (the first one when a folder sync did), or null.
file_staging::entry* file_staging::publish_backups(std::vector<in_place_job>& jobs) {
    for (in_place_job& job : jobs) {
        const int64_t size = job.file->size;
        if (size > 0 && fallocate(job.page.get(), FALLOC_FL_KEEP_SIZE, 0, size) != 0 &&
            errno != EOPNOTSUPP && errno != ENOSYS)
            return job.file;
    }
    for (in_place_job& job : jobs) {
        if (!page_backup_publish(job.backup, job.file->target)) return job.file;
        job.published = true;
        job.backup.clear();
    }
    if (jobs.empty() ||
        sync_folders(one_per_folder(
            jobs, [](const in_place_job& j) -> const std::string& { return j.file->target; })))
        return nullptr;
    return jobs.front().file;
}

// Backups staged or published go; a file rewritten in place is synced
// first, so that its backup is never gone before its new bytes are there.
// One whose new bytes cannot be synced gets its old bytes back from its
// backup (or keeps the backup for the next run, when even that fails): the
// first such file, or null.
file_staging::entry* file_staging::remove_backups(std::vector<in_place_job>& jobs) {
    entry* unsynced = nullptr;
    bool removed = false;
    for (in_place_job& job : jobs) {
        if (job.overwritten && sys_ops().fdatasync(job.page.get()) != 0) {
            page_backup_restore(job.page.get(), job.file->target);
            job.published = false;
            if (!unsynced) unsynced = job.file;
        }
        if (!job.backup.empty()) unlink(job.backup.c_str());
        if (job.published) removed = page_backup_remove(job.file->target) || removed;
    }
    if (removed)
        sync_folders(one_per_folder(
            jobs, [](const in_place_job& j) -> const std::string& { return j.file->target; }));
    jobs.clear();
    return unsynced;
}

// Renames each staged file over its target, or copies it into a file
// rewritten in place, in order. The file that failed, or null.
file_staging::entry* file_staging::put_in_place(const std::vector<entry*>& files,
                                                std::vector<in_place_job>& jobs) {
    size_t next_job = 0;
    for (entry* e : files) {
        bool ok;
        if (e->in_place) {
            in_place_job& job = jobs[next_job++];
            const vtfile_handle bytes(::open(e->staged.path().c_str(), O_RDONLY | O_CLOEXEC));
            job.overwritten = true;
            ok = bytes.is_open() && page_overwrite(job.page.get(), bytes.get(), e->size);
            if (!ok) {
                page_backup_restore(job.page.get(), e->target);
                job.published = job.overwritten = false;
            }
        } else {
            ok = e->staged.rename_to(e->target);
        }
        if (!ok) return e;
    }
    return nullptr;
}

bool file_staging::commit(std::string_view& error_path, vtfile_error& why) {
    why = vtfile_error::none;
    // The pages kept open since they were read hold shared locks that a
    // rewrite in place below would wait for.
    kept_.clear();
    std::vector<entry*> files;
    for (entry& e : entries_)
        if (e.live) files.push_back(&e);
    if (policy_ == write_policy::check || files.empty()) return true;
    auto failed = [&](const entry* e, vtfile_error reason) {
        error_path = e->shown;
        why = reason;
        return false;
    };
    // Termination waits from the first backup on: a backup must not outlive
    // a run that changed nothing.
    std::optional<termination_deferred> hold;
    std::vector<in_place_job> jobs;
    for (entry* e : files) {
        if (!e->in_place) continue;
        if (!hold) {
            hold.emplace();
            allow_open_files();
        }
        vtfile_error reason;
        if (!back_up(*e, jobs, reason)) {
            const bool out_of_descriptors = errno == EMFILE || errno == ENFILE;
            remove_backups(jobs);
            if (out_of_descriptors && reason == vtfile_error::cannot_write)
                reason = vtfile_error::no_descriptors;
            return failed(e, reason);
        }
    }
    // A file is on the file system of its folder: one staged file a folder
    // names them all.
    const std::vector<std::string> staged = one_per_folder(
        files, [](const entry* e) -> const std::string& { return e->staged.path(); });
    if (!sync_file_systems(staged)) {
        remove_backups(jobs);
        return failed(files.front(), vtfile_error::cannot_write);
    }
    // The barrier took long; what the users saved meanwhile is seen now.
    for (const entry* e : files) {
        if (!e->seen->holds_for(e->target)) {
            remove_backups(jobs);
            return failed(e, vtfile_error::changed);
        }
    }
    if (!hold) hold.emplace();
    // The commit point: from here on the run puts its files in place and
    // reports it, whatever signal comes.
    temp_registry_outcome_fixed();
    if (const entry* unnamed = publish_backups(jobs)) {
        remove_backups(jobs);
        return failed(unnamed, vtfile_error::cannot_write);
    }
    const entry* stopped = put_in_place(files, jobs);
    const entry* unsynced = remove_backups(jobs);
    if (!stopped) stopped = unsynced;
    std::vector<const entry*> renamed;
    for (const entry* e : files)
        if (!e->in_place && !e->staged.exists()) renamed.push_back(e);
    const bool durable = sync_folders(
        one_per_folder(renamed, [](const entry* e) -> const std::string& { return e->target; }));
    if (stopped || !durable) failed(stopped ? stopped : files.front(), vtfile_error::cannot_write);
    // What was not put in place goes.
    abort();
    return !stopped && durable;
}
