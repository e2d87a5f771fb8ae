// The staging run's decisions at each step, with single file operations made
// to fail, or files changed between two steps, through a table of fakes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "files/fake_file_ops.h"
#include "files/file_staging.h"
#include "files/vtfile_test_util.h"

using file_test::fake_file_ops;
using file_test::get;
using file_test::op;
using file_test::op_call;
using file_test::put;
using file_test::scratch_dir;
using file_test::verdict;

namespace {

const std::vector<std::string> kPages = {"a.html", "b.html", "c.html"};

std::string old_bytes(const std::string& page) {
    return "old " + page + "\n";
}
std::string new_bytes(const std::string& page) {
    return "new " + page + " with more bytes\n";
}

std::string base_name(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

// Whether a call concerns page: its temporary file, the page itself, or a
// rename onto it.
bool concerns(const op_call& c, const std::string& page) {
    const std::string name = base_name(c.path);
    return name == page || name.starts_with("." + page + ".");
}

std::set<std::string> names_in(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.insert(e.path().filename());
    return names;
}

struct run_result {
    bool committed = false;
    std::string failed;  // the page, as shown, that stopped the run
    vtfile_error why = vtfile_error::none;
    bool first_look = true;  // each page read was opened on the run's first look
};

// Reads path from source whole, as a build does, telling the staging what
// it read.
std::string read_page(file_staging& staging, const std::string& path,
                      file_staging::page_source& source, run_result& r) {
    std::string bytes;
    char block[4096];
    for (ssize_t n; (n = read(source.file.get(), block, sizeof block)) > 0;)
        bytes.append(block, static_cast<size_t>(n));
    r.first_look = r.first_look && source.state && !source.size_sure;
    if (source.state) source.state->took(static_cast<int64_t>(bytes.size()), hash_bytes(bytes));
    staging.done_reading(path, source);
    return bytes;
}

// What a build does: new bytes for each page in order, staged; the run ends
// at the first page that cannot be staged, else everything is committed.
// With before_reads, each page is read first, opened on the run's first look
// at it (file_staging::read_whole_below), which before_reads follows; its
// new bytes are then "built " and the bytes read.
run_result run(const scratch_dir& dir, const std::function<void()>& before_reads = {}) {
    std::vector<std::string> paths;
    for (const std::string& p : kPages) paths.push_back(dir / p);
    run_result r;
    file_staging staging(write_policy::commit);
    if (before_reads) {
        staging.read_whole_below(1 << 20);
        staging.refs().add({paths.begin(), paths.end()});
        before_reads();
    }
    for (size_t i = 0; i < kPages.size(); ++i) {
        std::string bytes = new_bytes(kPages[i]);
        file_staging::page_source source;
        if (before_reads && !staging.open_page(paths[i], source, r.why)) {
            r.failed = kPages[i];
            return r;
        }
        if (before_reads) bytes = "built " + read_page(staging, paths[i], source, r);
        staged_file out;
        if (!staging.open(paths[i], out) || !out.write(bytes) || !staging.finish(out, kPages[i])) {
            r.failed = kPages[i];
            r.why = out.error();
            return r;
        }
    }
    std::string_view failed;
    r.committed = staging.commit(failed, r.why);
    r.failed = failed;
    return r;
}

void put_old_pages(const scratch_dir& dir) {
    for (const std::string& p : kPages) put(dir / p, old_bytes(p));
}

// Each page's bytes as 'o' (old), 'n' (new) or '?' (anything else).
std::string states(const scratch_dir& dir) {
    std::string s;
    for (const std::string& p : kPages) {
        const std::string bytes = get(dir / p);
        s += bytes == old_bytes(p) ? 'o' : bytes == new_bytes(p) ? 'n' : '?';
    }
    return s;
}

struct step_fault {
    const char* name;
    op kind;
    const char* page;   // the page whose call fails; empty: the first call of its kind
    const char* after;  // states() once the run ended
    const char* failed;
    bool middle_linked = false;  // the middle page has a second name
};

}  // namespace

// Whatever single call fails, every page is old or new as the run reports,
// the page named is the one that failed, and no temporary file stays.
TEST(staging_protocol, FailedStepLeavesEachPageOldOrNewAndNoTemporaryFile) {
    const step_fault cases[] = {
        {"first page's write", op::write, "a.html", "ooo", "a.html"},
        {"middle page's write", op::write, "b.html", "ooo", "b.html"},
        {"last page's write", op::write, "c.html", "ooo", "c.html"},
        {"middle page's temporary file", op::make_temp, "b.html", "ooo", "b.html"},
        {"barrier", op::syncfs, "", "ooo", "a.html"},
        {"first page's rename", op::rename, "a.html", "ooo", "a.html"},
        {"middle page's rename", op::rename, "b.html", "noo", "b.html"},
        {"last page's rename", op::rename, "c.html", "nno", "c.html"},
        {"folder sync after the renames", op::fsync, "", "nnn", "a.html"},
        {"middle page's backup name", op::rename, "b.html", "ooo", "b.html", true},
    };
    for (const step_fault& c : cases) {
        SCOPED_TRACE(c.name);
        scratch_dir dir;
        put_old_pages(dir);
        std::set<std::string> names(kPages.begin(), kPages.end());
        if (c.middle_linked) {
            ASSERT_EQ(link((dir / "b.html").c_str(), (dir / "b-link.html").c_str()), 0);
            names.insert("b-link.html");
        }
        bool failed_once = false;
        run_result r;
        {
            fake_file_ops ops([&](const op_call& call) {
                if (failed_once || call.kind != c.kind || !(*c.page == 0 || concerns(call, c.page)))
                    return verdict::pass;
                failed_once = true;
                return verdict::fail;
            });
            r = run(dir);
        }
        EXPECT_TRUE(failed_once);
        EXPECT_FALSE(r.committed);
        EXPECT_EQ(r.failed, c.failed);
        EXPECT_EQ(r.why, vtfile_error::cannot_write);
        EXPECT_EQ(states(dir), c.after);
        EXPECT_EQ(names_in(dir.path()), names);
    }
}

namespace {

// Why the middle page must keep its inode, and so is rewritten in place.
struct in_place_reason {
    const char* name;
    op refused;  // the call on its staged file that fails; write: none fails
    bool hard_link;
    uid_t owner;
    // Its permission bits (0: as put). Bits the umask narrows reach a new
    // file by fchmod only.
    mode_t mode = 0;
};

const in_place_reason kInPlace[] = {
    {"second name", op::write, true, 0},
    {"owner not given", op::fchown, false, 4321},
    {"mode not given", op::fchmod, false, 0, 0666},
};

// Sets the middle page up as reason says; its inode.
ino_t make_in_place(const scratch_dir& dir, const in_place_reason& reason) {
    const std::string b = dir / "b.html";
    if (reason.hard_link) link(b.c_str(), (dir / "b-link.html").c_str());
    if (reason.owner != 0 && chown(b.c_str(), reason.owner, reason.owner) != 0) return 0;
    if (reason.mode != 0 && chmod(b.c_str(), reason.mode) != 0) return 0;
    struct stat st;
    return stat(b.c_str(), &st) == 0 ? st.st_ino : 0;
}

// Fails the first such call on the middle page's staged file (a backup's
// temporary file has a name of the same form).
verdict refuse_for_staged_b(const op_call& c, const in_place_reason& reason, bool& refused) {
    if (refused || c.kind != reason.refused || reason.refused == op::write ||
        !base_name(c.path).starts_with(".b.html."))
        return verdict::pass;
    refused = true;
    return verdict::fail;
}

size_t first(const std::vector<op_call>& log, auto match) {
    return static_cast<size_t>(std::find_if(log.begin(), log.end(), match) - log.begin());
}

}  // namespace

// A page that must keep its inode gets its backup durable (the barrier, its
// name, its folder synced) before a byte of it is overwritten, and its new
// bytes synced while the backup is still there.
TEST(staging_protocol, PageRewrittenInPlaceHasADurableBackupFirst) {
    for (const in_place_reason& reason : kInPlace) {
        SCOPED_TRACE(reason.name);
        if (reason.owner != 0 && geteuid() != 0) continue;  // only root gives files away
        scratch_dir dir;
        put_old_pages(dir);
        const ino_t inode = make_in_place(dir, reason);
        ASSERT_NE(inode, 0u);
        const std::string b = dir / "b.html";
        const std::string backup = dir / ".b.html.orvane-backup";
        std::string backup_at_rewrite = "none", backup_at_sync = "none";
        bool refused = false;
        fake_file_ops ops([&](const op_call& c) {
            if (c.path == b && c.kind == op::copy && backup_at_rewrite == "none")
                backup_at_rewrite = get(backup);
            if (c.path == b && c.kind == op::fdatasync) backup_at_sync = get(backup);
            return refuse_for_staged_b(c, reason, refused);
        });
        const run_result r = run(dir);
        EXPECT_EQ(refused, reason.refused != op::write);
        EXPECT_TRUE(r.committed);
        EXPECT_EQ(states(dir), "nnn");
        struct stat st;
        ASSERT_EQ(stat(b.c_str(), &st), 0);
        EXPECT_EQ(st.st_ino, inode);
        EXPECT_EQ(st.st_uid, reason.owner);
        EXPECT_TRUE(backup_at_rewrite.starts_with(old_bytes("b.html") + new_bytes("b.html")));
        EXPECT_EQ(backup_at_sync, backup_at_rewrite);
        EXPECT_FALSE(std::filesystem::exists(backup));

        const auto& log = ops.log();
        const size_t barrier = first(log, [](const op_call& c) { return c.kind == op::syncfs; });
        const size_t named =
            first(log, [&](const op_call& c) { return c.kind == op::rename && c.path == backup; });
        const size_t folder_synced = first(
            log, [&](const op_call& c) { return c.kind == op::fsync && c.path == dir.path(); });
        const size_t rewrite =
            first(log, [&](const op_call& c) { return c.kind == op::copy && c.path == b; });
        EXPECT_LT(barrier, named);
        EXPECT_LT(named, folder_synced);
        EXPECT_LT(folder_synced, rewrite);
        EXPECT_LT(rewrite, log.size());
    }
}

// A rewrite in place that fails, or whose new bytes cannot be synced, puts
// the old bytes back from the backup, says so, and leaves no backup.
TEST(staging_protocol, FailedRewriteInPlaceRestoresTheOldBytes) {
    struct rewrite_fault {
        const char* name;
        op kind;
        bool half_first;  // the first call writes half its bytes
        const char* after;
    };
    const rewrite_fault cases[] = {
        {"copy fails at once", op::copy, false, "noo"},
        {"copy fails half way", op::copy, true, "noo"},
        {"new bytes not synced", op::fdatasync, false, "non"},
    };
    for (const rewrite_fault& c : cases) {
        SCOPED_TRACE(c.name);
        scratch_dir dir;
        put_old_pages(dir);
        ASSERT_NE(make_in_place(dir, kInPlace[0]), 0u);
        const std::string b = dir / "b.html";
        int calls = 0;
        run_result r;
        {
            fake_file_ops ops([&](const op_call& call) {
                if (call.kind != c.kind || call.path != b) return verdict::pass;
                ++calls;
                if (calls == 1) return c.half_first ? verdict::half : verdict::fail;
                return calls == 2 && c.half_first ? verdict::fail : verdict::pass;
            });
            r = run(dir);
        }
        EXPECT_FALSE(r.committed);
        EXPECT_EQ(r.failed, "b.html");
        EXPECT_EQ(r.why, vtfile_error::cannot_write);
        EXPECT_EQ(states(dir), c.after);
        EXPECT_EQ(get(dir / "b-link.html"), old_bytes("b.html"));
        EXPECT_EQ(names_in(dir.path()),
                  (std::set<std::string>{"a.html", "b.html", "b-link.html", "c.html"}));
    }
}

// A page somebody changed after the run saw it, found at the commit's last
// look, stops the run before any page is touched.
TEST(staging_protocol, PageChangedBeforeTheCommitIsNotOverwritten) {
    struct change {
        const char* name;
        const char* page;
        bool hard_link;   // the middle page is rewritten in place
        const char* how;  // "edit", "remove" or "replace"
    };
    const change cases[] = {
        {"first page edited", "a.html", false, "edit"},
        {"middle page removed", "b.html", false, "remove"},
        {"last page replaced", "c.html", false, "replace"},
        {"page rewritten in place edited", "b.html", true, "edit"},
    };
    for (const change& c : cases) {
        SCOPED_TRACE(c.name);
        scratch_dir dir;
        put_old_pages(dir);
        if (c.hard_link) {
            ASSERT_NE(make_in_place(dir, kInPlace[0]), 0u);
        }
        const std::string changed = dir / c.page;
        const std::string theirs = "their edit\n";
        bool done = false;
        run_result r;
        {
            fake_file_ops ops;
            ops.before_lstat = [&](const std::string& path) {
                if (done || path != changed) return;
                done = true;
                if (std::string(c.how) == "remove") {
                    unlink(changed.c_str());
                } else if (std::string(c.how) == "replace") {
                    put(dir / "theirs", theirs);
                    rename((dir / "theirs").c_str(), changed.c_str());
                } else {
                    put(changed, theirs);
                }
            };
            r = run(dir);
        }
        EXPECT_TRUE(done);
        EXPECT_FALSE(r.committed);
        EXPECT_EQ(r.failed, c.page);
        EXPECT_EQ(r.why, vtfile_error::changed);
        std::set<std::string> expected = {"a.html", "b.html", "c.html"};
        if (c.hard_link) expected.insert("b-link.html");
        for (const std::string& p : kPages) {
            if (dir / p == changed) continue;
            EXPECT_EQ(get(dir / p), old_bytes(p)) << p;
        }
        if (std::string(c.how) == "remove") {
            expected.erase(c.page);
        } else {
            EXPECT_EQ(get(changed), theirs);
        }
        EXPECT_EQ(names_in(dir.path()), expected);
    }
}

// A replacement keeps its page's permission bits. It starts with them when
// nothing would change them on the way (the umask, a set-id bit) and the
// page has no extended attribute to carry first (an ACL could narrow who
// may read it): then they need no fchmod. Otherwise it starts private.
TEST(staging_protocol, ReplacementKeepsThePagesModeAndStartsNoMoreReadable) {
    struct mode_case {
        const char* name;
        mode_t mode;
        bool attribute;  // the page has a user attribute
        mode_t staged;   // the staged file's bits at its first write
        bool fchmod;     // set on the staged file afterwards
    };
    const mode_case cases[] = {
        {"plain", 0644, false, 0644, false},
        {"private", 0600, false, 0600, false},
        {"narrowed by the umask", 0666, false, 0600, true},
        {"set-group-id", 02644, false, 0600, true},
        {"with an attribute", 0644, true, 0600, true},
    };
    for (const mode_case& c : cases) {
        SCOPED_TRACE(c.name);
        scratch_dir dir;
        put_old_pages(dir);
        const std::string b = dir / "b.html";
        ASSERT_EQ(chmod(b.c_str(), c.mode), 0);
        if (c.attribute && setxattr(b.c_str(), "user.origin", "x", 1, 0) != 0) continue;
        mode_t staged = 0;
        bool fchmod = false;
        fake_file_ops ops([&](const op_call& c2) {
            if (!base_name(c2.path).starts_with(".b.html.")) return verdict::pass;
            struct stat st;
            if (c2.kind == op::write && staged == 0 && stat(c2.path.c_str(), &st) == 0)
                staged = st.st_mode & 07777;
            fchmod = fchmod || c2.kind == op::fchmod;
            return verdict::pass;
        });
        ASSERT_TRUE(run(dir).committed);
        EXPECT_EQ(states(dir), "nnn");
        struct stat st;
        ASSERT_EQ(stat(b.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.mode);
        EXPECT_EQ(staged, c.staged);
        EXPECT_EQ(fchmod, c.fchmod);
        char value[4] = {};
        if (c.attribute) {
            EXPECT_EQ(getxattr(b.c_str(), "user.origin", value, sizeof value), 1);
        }
    }
}

// A page opened on the run's first look may have changed since. Changed
// before it was read, it was read as it is then and is built from that; a
// replacement of another mode (the staging gave it the first one's) is
// refused. Changed after it was read, only the same bytes let it be
// replaced.
TEST(staging_protocol, PageChangedAfterTheFirstLookIsJudgedByTheBytesRead) {
    const std::string theirs = "their longer edit of b\n";
    struct change {
        const char* name;
        bool after_read;
        const char* how;  // "rename", "rename 0600", "edit", "touch"
        bool committed;
    };
    const change cases[] = {
        {"saved by rename before it was read", false, "rename", true},
        {"edited in place before it was read", false, "edit", true},
        {"replaced by one of another mode before it was read", false, "rename 0600", false},
        {"saved by rename after it was read", true, "rename", false},
        {"edited in place after it was read", true, "edit", false},
        {"its bytes written again after it was read", true, "touch", true},
    };
    for (const change& c : cases) {
        SCOPED_TRACE(c.name);
        scratch_dir dir;
        put_old_pages(dir);
        const std::string b = dir / "b.html";
        ASSERT_EQ(chmod(b.c_str(), 0644), 0);
        const std::string how = c.how;
        const std::string saved = how == "touch" ? old_bytes("b.html") : theirs;
        const auto save = [&] {
            if (how == "edit" || how == "touch") {
                // A later time stamp, as a later save would have.
                put(b, saved);
                const timespec later[2] = {{0, UTIME_NOW}, {time(nullptr) + 5, 0}};
                utimensat(AT_FDCWD, b.c_str(), later, 0);
                return;
            }
            put(dir / "theirs", saved);
            chmod((dir / "theirs").c_str(), how == "rename" ? 0644 : 0600);
            rename((dir / "theirs").c_str(), b.c_str());
        };
        bool done = false;
        run_result r;
        {
            fake_file_ops ops;
            ops.before_lstat = [&](const std::string& path) {
                if (!c.after_read || done || path != b) return;
                done = true;
                save();
            };
            r = run(dir, c.after_read ? std::function<void()>([] {}) : save);
        }
        EXPECT_TRUE(r.first_look);
        EXPECT_EQ(r.committed, c.committed);
        if (c.committed) {
            EXPECT_EQ(get(b), "built " + saved);
            EXPECT_EQ(get(dir / "a.html"), "built " + old_bytes("a.html"));
            continue;
        }
        EXPECT_EQ(r.failed, "b.html");
        EXPECT_EQ(r.why, vtfile_error::changed);
        EXPECT_EQ(get(b), saved);
        EXPECT_EQ(get(dir / "a.html"), old_bytes("a.html"));
        EXPECT_EQ(names_in(dir.path()), (std::set<std::string>{"a.html", "b.html", "c.html"}));
    }
}
