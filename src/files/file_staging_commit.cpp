// The commit of a run's staged files: one barrier, then every file in place.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <unordered_set>

#include "files/file_io.h"
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

// The folders of the files, each once, in the order first met.
template <class Files, class Path>
std::vector<std::string> folders_of(const Files& files, Path path) {
    std::vector<std::string> folders;
    std::unordered_set<std::string> seen;
    for (const auto& f : files) {
        std::string folder = vtfile_folder_of(path(f));
        if (seen.insert(folder).second) folders.push_back(std::move(folder));
    }
    return folders;
}

// Makes the data of every file on the file systems of the folders durable:
// one syncfs for each file system.
bool sync_file_systems(const std::vector<std::string>& folders) {
    std::unordered_set<dev_t> synced;
    for (const std::string& folder : folders) {
        const vtfile_handle f(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat st;
        if (!f.is_open() || fstat(f.get(), &st) != 0) return false;
        if (synced.insert(st.st_dev).second && syncfs(f.get()) != 0) return false;
    }
    return true;
}

bool sync_folders(const std::vector<std::string>& folders) {
    bool ok = true;
    for (const std::string& folder : folders) ok = vtfile_sync_folder_of(folder + "/.") && ok;
    return ok;
}

}  // namespace

// Locks the file and stages its backup.
bool file_staging::back_up(entry& e, std::vector<in_place_job>& jobs) {
    vtfile_handle page(::open(e.target.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    const vtfile_handle bytes(::open(e.temp.c_str(), O_RDONLY | O_CLOEXEC));
    if (!page.is_open() || !bytes.is_open() || !vtfile_lock(page.get(), LOCK_EX, e.shown))
        return false;
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
bool file_staging::publish_backups(std::vector<in_place_job>& jobs) {
    for (in_place_job& job : jobs) {
        const int64_t size = job.file->size;
        if (size > 0 && fallocate(job.page.get(), FALLOC_FL_KEEP_SIZE, 0, size) != 0 &&
            errno != EOPNOTSUPP && errno != ENOSYS)
            return false;
    }
    for (in_place_job& job : jobs) {
        if (!page_backup_publish(job.backup, job.file->target)) return false;
        job.published = true;
        job.backup.clear();
    }
    return sync_folders(folders_of(jobs, [](const in_place_job& j) { return j.file->target; }));
}

// Backups staged or published go; a file rewritten in place is synced
// first, so that its backup is never gone before its new bytes are there.
void file_staging::remove_backups(std::vector<in_place_job>& jobs) {
    bool removed = false;
    for (in_place_job& job : jobs) {
        if (job.overwritten) fdatasync(job.page.get());
        if (!job.backup.empty()) unlink(job.backup.c_str());
        if (job.published) removed = page_backup_remove(job.file->target) || removed;
    }
    if (removed)
        sync_folders(folders_of(jobs, [](const in_place_job& j) { return j.file->target; }));
    jobs.clear();
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
            const vtfile_handle bytes(::open(e->temp.c_str(), O_RDONLY | O_CLOEXEC));
            job.overwritten = true;
            ok = bytes.is_open() && page_overwrite(job.page.get(), bytes.get(), e->size);
            if (!ok) {
                page_backup_restore(job.page.get(), e->target);
                job.published = job.overwritten = false;
            }
        } else {
            ok = rename(e->temp.c_str(), e->target.c_str()) == 0;
            if (ok) e->temp.clear();
        }
        if (!ok) return e;
    }
    return nullptr;
}

bool file_staging::commit(std::string_view& error_path, vtfile_error& why) {
    why = vtfile_error::none;
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
        if (!hold) hold.emplace();
        if (!back_up(*e, jobs)) {
            remove_backups(jobs);
            return failed(e, vtfile_error::cannot_write);
        }
    }
    if (!sync_file_systems(folders_of(files, [](const entry* e) { return e->target; }))) {
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
    if (!publish_backups(jobs)) {
        remove_backups(jobs);
        return failed(files.front(), vtfile_error::cannot_write);
    }
    const entry* stopped = put_in_place(files, jobs);
    remove_backups(jobs);
    std::vector<const entry*> renamed;
    for (const entry* e : files)
        if (!e->in_place && e->temp.empty()) renamed.push_back(e);
    const bool durable =
        sync_folders(folders_of(renamed, [](const entry* e) { return e->target; }));
    if (stopped || !durable) failed(stopped ? stopped : files.front(), vtfile_error::cannot_write);
    // What was not put in place goes.
    abort();
    return !stopped && durable;
}
