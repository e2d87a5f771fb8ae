// file_staging: the files of one run (a build or a clearing run), replaced
// all together or not at all.
//
// Each file the run writes is compared with what it holds; one that stays
// the same is never touched (same inode, owner, mode, time stamps). The
// others are staged as temporary files beside them, and commit() puts them
// in place together:
//  1. the files that must keep their inode (owner, group, hard links or
//     attributes a new file could not carry) are locked, and their old
//     bytes staged as backups beside them (page_backup.h);
//  2. one barrier makes every staged byte durable (syncfs of each file
//     system involved);
//  3. every file the run replaces must still be as the run saw it (looked
//     at after the barrier, which takes long): a file somebody changed
//     meanwhile is not overwritten, and nothing changes;
//  4. the backups get their names, and their folders are synced;
//  5. in the run's order, each staged file is renamed over its target, or
//     copied into it in place; then each folder that received a rename is
//     synced once, each file rewritten in place synced, and the backups go
//     (a file whose new bytes cannot be synced gets its old bytes back from
//     its backup, and the run fails).
// Up to step 4 a failure or a termination signal removes every staged file
// and changes nothing; from step 4 on signals wait, and only an error of the
// disk itself can stop the run, leaving each file old or new. A killed run
// leaves each file old or new as well; its staged files are removed by the
// next run of the project (remove_leftovers).
//
// A file written twice in a run (the destination listed among the sources)
// is staged once, with its last bytes, and a read of it in between sees the
// staged bytes (open_page).
//
// With write_policy::check nothing is written at all: the run only learns
// which files would change (changed()); the bytes of a file that the run
// reads again are kept in memory for that read.
#pragma once

#include <sys/stat.h>

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "files/file_attributes.h"
#include "files/file_state.h"
#include "files/folder_lock.h"
#include "files/page_ref.h"
#include "files/staged_file.h"
#include "files/temp_file.h"
#include "files/vtfile_error.h"
#include "files/vtfile_handle.h"

enum class write_policy { commit, check };

class file_staging {
  public:
    explicit file_staging(write_policy policy) : policy_(policy) {}
    file_staging(const file_staging&) = delete;
    file_staging& operator=(const file_staging&) = delete;
    // Removes every staged file not committed.
    ~file_staging();

    write_policy policy() const { return policy_; }

    // The run's files, each named and looked at once (page_ref.h). A run
    // adds every file it names before its first step; a file not added is
    // added when first used.
    page_refs& refs() { return refs_; }
    const page_refs& refs() const { return refs_; }

    // Waits for any other run that writes into a folder of outputs, and
    // keeps it waiting until this object ends (a check waits only for runs
    // that write), through each folder's lock file (folder_lock.h). The
    // folders are locked in one order for all runs, so that two runs never
    // wait for each other. A folder that cannot be opened is not locked.
    // False, with why and held set, when another program held a folder for
    // too long (held, the folder) or its lock file is no file of ours
    // (bad_lock, the lock file).
    bool lock_against_other_runs(const std::vector<std::string_view>& outputs,
                                 std::string_view& held, vtfile_error& why);
    // Removes the temporary files of interrupted runs beside the files
    // named, and nothing else: ".<name>.XXXXXX.orvane-tmp" for each name,
    // but never a file of listed. Does nothing in a check.
    // The same listing tells the references of files which have a backup
    // beside them.
    void remove_leftovers(const std::vector<std::string_view>& files,
                          const std::vector<std::string_view>& listed);
    // A check keeps in memory the bytes of each file that more than one of
    // paths names (the run reads it more than once).
    void expect_reads(const std::vector<std::string_view>& paths);

    // A file opened for reading as the run must see it: its staged bytes
    // when the run wrote it already, else the file itself, whose state the
    // run keeps for the commit. Every byte read goes to hash when it is set.
    struct page_source {
        vtfile_handle file;
        content_hash* hash = nullptr;
        int64_t size = -1;  // of file as opened, when file is the page itself
        // False: size is the run's first look, and the file may have
        // changed since (read it to its end, as far as size + 1 bytes tell).
        bool size_sure = true;
        // Set: the length and digest of the bytes read go to state
        // (file_state::took).
        file_state* state = nullptr;
    };
    // Tells that the run reads every page below size bytes whole, and tells
    // what it read to page_source::state: such a page is opened without a
    // look at its descriptor (file_state.h). None, unless told.
    void read_whole_below(int64_t size) { whole_below_ = size; }
    // Opens path (symlinks of other users refused). False with why
    // (cannot_read, foreign_link, bad_backup).
    bool open_page(std::string_view path, page_source& source, vtfile_error& why);
    // The page just read from source, its file kept open for the
    // comparison of its new bytes (open), unless the run holds many such.
    void done_reading(std::string_view path, page_source& source);
    // open_page in two steps: reach_page opens the file, which may wait for
    // another program, and changes nothing of this object, so it needs no
    // lock that the run's other threads wait for; take_page does the rest.
    struct reached_page {
        std::string_view path;
        vtfile_handle file;
        vtfile_handle restored;  // a check's old bytes of a file to restore
        std::string resolved;
        timespec clock{};  // taken before the file's state
        struct stat st {};
        bool plain = false;     // neither immutable nor append-only, as its file system says
        bool at_start = false;  // st is the run's first look (page_source::state)
    };
    bool reach_page(std::string_view path, reached_page& page, vtfile_error& why) const;
    bool take_page(reached_page& page, page_source& source, vtfile_error& why);

    // Prepares out to receive the new bytes of path. False, with out.error(),
    // when the file may not be written (see find_write_target; in a check
    // only links, folders and files that are no regular file are refused).
    bool open(std::string_view path, staged_file& out);
    // Takes over the finished out: a file that stays the same drops what
    // the run staged for it before; another is staged, to be named shown in
    // messages (shown must outlive this object). False, with out.error(),
    // when the last bytes could not be written.
    bool finish(staged_file& out, std::string_view shown);
    // finish in two steps: write_last writes out's last bytes (and makes its
    // temporary file when they differ), which touches nothing of this
    // object, so it needs no lock that the run's other threads wait for;
    // finish then does the rest. False, with out.error(), as finish.
    static bool write_last(staged_file& out) { return out.finish(); }

    // Puts every staged file in place (see above). False with error_path
    // set to the file, as shown, that failed and why set.
    bool commit(std::string_view& error_path, vtfile_error& why);

    // The files, as shown, that the run changes (or in a check, would
    // change), in the order they were first staged.
    std::vector<std::string_view> changed() const;

  private:
    struct entry {
        std::string target;      // without symlinks
        std::string_view shown;  // as the run names it
        // The staged bytes, closed; in a check, the bytes kept in memory
        // for a later read, open (or none).
        temp_file staged;
        const file_state* seen = nullptr;
        bool in_place = false;
        int64_t size = 0;
        bool live = true;  // false once dropped
    };
    struct in_place_job;

    // What the run saw of a target about to be written.
    const file_state* state_for(const write_target& target, int current);
    entry* staged_for(const write_target& target, const std::string& normal);
    void drop(entry& e);
    bool stage(staged_file& out, entry& e);
    // The steps of commit().
    static bool back_up(entry& e, std::vector<in_place_job>& jobs, vtfile_error& why);
    static entry* publish_backups(std::vector<in_place_job>& jobs);
    static entry* remove_backups(std::vector<in_place_job>& jobs);
    entry* put_in_place(const std::vector<entry*>& files, std::vector<in_place_job>& jobs);
    void abort();

    write_policy policy_;
    std::vector<folder_lock> locks_;  // the folders held
    std::string held_;                // the folder or lock file that stopped the run
    std::vector<entry> entries_;
    std::unordered_map<file_id, size_t, file_id_hash> staged_by_id_;
    std::unordered_map<std::string, size_t> staged_by_path_;  // files that were new
    // What the run saw of each file it read, by identity and by normal path.
    std::deque<file_state> seen_;
    std::unordered_map<file_id, const file_state*, file_id_hash> seen_by_id_;
    std::unordered_map<std::string, const file_state*> seen_by_path_;
    std::unordered_set<std::string> writable_folders_;  // for find_write_target
    std::unordered_map<file_id, int, file_id_hash> reads_expected_;
    page_refs refs_;
    // What new files in each folder start with, learnt from the first.
    std::unordered_map<std::string, new_file_traits> new_files_;
    // The umask, asked once a run.
    mode_t umask_ = 0777;
    bool umask_known_ = false;
    int64_t whole_below_ = 0;  // read_whole_below
    // Pages read, kept open for their write, by their path as the run names
    // them.
    std::unordered_map<std::string, vtfile_handle> kept_;
};
