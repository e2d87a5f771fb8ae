#include "files/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "files/fake_file_ops.h"
#include "files/temp_registry.h"
#include "files/vtfile_test_util.h"

using file_test::entry_count;
using file_test::get;
using file_test::put;
using file_test::run_in_child;
using file_test::run_unprivileged;
using file_test::scratch_dir;

namespace {

mode_t mode_of(const std::string& path) {
    struct stat st;
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

}  // namespace

TEST(atomic_file, ReplacesWholeAndLeavesNoTemporaryFile) {
    scratch_dir dir;
    std::string f = dir / "page.html";
    put(f, "old content that is longer");
    ASSERT_TRUE(vtfile_write_atomic(f, "new"));
    EXPECT_EQ(get(f), "new");
    EXPECT_EQ(entry_count(dir.path()), 1);

    // Many small writes and one large one come out in order.
    std::string expected;
    atomic_file out;
    ASSERT_TRUE(out.open(f));
    for (int i = 0; i < 5000; ++i) {
        std::string piece = std::to_string(i) + ",";
        expected += piece;
        ASSERT_TRUE(out.write(piece));
    }
    std::string big(3 << 20, 'x');
    expected += big;
    ASSERT_TRUE(out.write(big));
    ASSERT_TRUE(out.write("end"));
    expected += "end";
    EXPECT_EQ(get(f), "new") << "nothing shows before commit";
    ASSERT_TRUE(out.commit());
    EXPECT_EQ(get(f), expected);
    EXPECT_EQ(entry_count(dir.path()), 1);
}

TEST(atomic_file, PiecesAroundTheBlockSizeComeOutInOrder) {
    scratch_dir dir;
    std::string f = dir / "page.html";
    const size_t block = atomic_file::block_size;
    atomic_file out;
    ASSERT_TRUE(out.open(f));
    std::string expected;
    char fill = 'a';
    for (size_t n : {block - 1, size_t{1}, size_t{0}, block, size_t{2}, block - 2, size_t{3},
                     block + 1, size_t{0}, block - 3, size_t{3}}) {
        std::string piece(n, fill);
        fill = fill == 'z' ? 'a' : static_cast<char>(fill + 1);
        expected += piece;
        ASSERT_TRUE(out.write(piece));
    }
    ASSERT_TRUE(out.write(std::string_view()));
    ASSERT_TRUE(out.commit());
    EXPECT_EQ(get(f), expected);
    EXPECT_FALSE(out.write("late")) << "a committed file takes no more bytes";
}

TEST(atomic_file, TemporaryFileIsRecognisableAndGoesOnAbort) {
    scratch_dir dir;
    std::string f = dir / "site.txt";
    put(f, "kept");
    {
        atomic_file out;
        ASSERT_TRUE(out.open(f));
        out.write("lost");
        std::string temp_name;
        for (auto& e : std::filesystem::directory_iterator(dir.path()))
            if (e.path().filename() != "site.txt") temp_name = e.path().filename();
        EXPECT_EQ(temp_name.substr(0, 10), ".site.txt.");
        EXPECT_TRUE(temp_name.ends_with(".orvane-tmp")) << temp_name;
    }  // destroyed without commit
    EXPECT_EQ(get(f), "kept");
    EXPECT_EQ(entry_count(dir.path()), 1);

    atomic_file out;
    ASSERT_TRUE(out.open(f));
    out.abort();
    EXPECT_FALSE(out.commit());
    EXPECT_EQ(get(f), "kept");
    EXPECT_EQ(entry_count(dir.path()), 1);
}

// A termination signal during a save takes its temporary file along; one
// that comes while a run puts its files in place waits until the run is
// settled, then ends the process the same way.
TEST(atomic_file, TerminationSignalTakesAnUnfinishedSaveAlong) {
    scratch_dir dir;
    const std::string f = dir / "vorn_set.txt";
    put(f, "kept");
    for (const bool fixed : {false, true}) {
        const int status = run_in_child([&] {
            temp_registry_handle_signals();
            if (fixed) temp_registry_outcome_fixed();
            atomic_file out;
            if (!out.open(f) || !out.write("half")) return 1;
            raise(SIGTERM);
            if (!fixed) return 2;  // the signal should have ended the process
            if (entry_count(dir.path()) != 2) return 3;
            temp_registry_outcome_settled();
            return 4;
        });
        EXPECT_EQ(status, 128 + SIGTERM) << fixed;
        EXPECT_EQ(get(f), "kept");
        EXPECT_EQ(entry_count(dir.path()), 1) << fixed;
    }
}

// Making a temporary file holds no signal back: a termination signal that
// comes at that very moment, just before the file exists or just after,
// still leaves no temporary file.
TEST(atomic_file, TerminationSignalWhileATemporaryFileIsMadeLeavesNone) {
    scratch_dir dir;
    const std::string f = dir / "page.html";
    put(f, "kept");
    for (const bool made : {false, true}) {
        const int status = run_in_child([&] {
            temp_registry_handle_signals();
            file_test::fake_file_ops ops([&](const file_test::op_call& c) {
                if (c.kind != file_test::op::make_temp) return file_test::verdict::pass;
                if (made) ::close(::open(c.path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600));
                raise(SIGTERM);
                return file_test::verdict::pass;
            });
            atomic_file out;
            out.open(f);
            return 2;  // the signal should have ended the process
        });
        EXPECT_EQ(status, 128 + SIGTERM) << made;
        EXPECT_EQ(get(f), "kept");
        EXPECT_EQ(entry_count(dir.path()), 1) << made;
    }
}

TEST(atomic_file, KeepsPermissionsAndGivesNewFilesTheDefaults) {
    scratch_dir dir;
    std::string f = dir / "script.sh";
    put(f, "a");
    chmod(f.c_str(), 0750);
    ASSERT_TRUE(vtfile_write_atomic(f, "b"));
    EXPECT_EQ(mode_of(f), 0750u);

    mode_t old_mask = umask(027);
    ASSERT_TRUE(vtfile_write_atomic(dir / "fresh", "x"));
    umask(old_mask);
    EXPECT_EQ(mode_of(dir / "fresh"), 0640u) << "not the 0600 of a temporary file";

    if (geteuid() == 0) {
        // Root writing someone else's page hands it back to its owner.
        ASSERT_EQ(chown(f.c_str(), 65534, 65534), 0);
        ASSERT_TRUE(vtfile_write_atomic(f, "c"));
        struct stat st;
        stat(f.c_str(), &st);
        EXPECT_EQ(st.st_uid, 65534u);
        EXPECT_EQ(st.st_gid, 65534u);
        EXPECT_EQ(st.st_mode & 07777, 0750u);
    }

    atomic_file out;
    ASSERT_TRUE(out.open(f));
    out.set_permissions(0604);
    out.write("c");
    ASSERT_TRUE(out.commit());
    EXPECT_EQ(mode_of(f), 0604u);
}

TEST(atomic_file, SymlinkedTargetKeepsItsLink) {
    scratch_dir dir;
    mkdir((dir / "real").c_str(), 0755);
    put(dir / "real/page.html", "old");
    ASSERT_EQ(symlink("real/page.html", (dir / "link.html").c_str()), 0);
    ASSERT_TRUE(vtfile_write_atomic(dir / "link.html", "new"));
    struct stat st;
    ASSERT_EQ(lstat((dir / "link.html").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(get(dir / "real/page.html"), "new");
    EXPECT_EQ(entry_count(dir / "real"), 1) << "the temporary file lived beside the real file";

    ASSERT_EQ(symlink("real/later.html", (dir / "dangling").c_str()), 0);
    ASSERT_TRUE(vtfile_write_atomic(dir / "dangling", "made"));
    EXPECT_EQ(get(dir / "real/later.html"), "made");
}

TEST(atomic_file, OpenFailsWithoutCreatingAnything) {
    scratch_dir dir;
    atomic_file out;
    EXPECT_FALSE(out.open(dir.path())) << "a folder";
    EXPECT_FALSE(out.open(dir / "missing/x.html"));
    EXPECT_FALSE(out.open(""));
    EXPECT_FALSE(out.write("x"));
    EXPECT_EQ(entry_count(dir.path()), 0);
}

TEST(atomic_file, ReadOnlyFolderOrTargetRefusesUnprivileged) {
    scratch_dir dir;
    mkdir((dir / "locked").c_str(), 0755);
    put(dir / "locked/page.html", "inside");
    chmod((dir / "locked").c_str(), 0555);
    put(dir / "readonly.html", "ro");
    chmod((dir / "readonly.html").c_str(), 0444);
    std::string locked_page = dir / "locked/page.html";
    std::string locked_new = dir / "locked/new.html";
    std::string readonly = dir / "readonly.html";

    int result = run_unprivileged([&] {
        int failures = 0;
        if (vtfile_write_atomic(locked_page, "changed")) failures |= 1;
        if (vtfile_write_atomic(locked_new, "created")) failures |= 2;
        if (vtfile_write_atomic(readonly, "changed")) failures |= 4;
        return failures;
    });
    if (result < 0) GTEST_SKIP() << "cannot drop privileges";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(get(locked_page), "inside");
    EXPECT_EQ(entry_count(dir / "locked"), 1);
    EXPECT_EQ(get(readonly), "ro");
    EXPECT_EQ(entry_count(dir.path()), 2);
}

TEST(atomic_file, WriteBeyondFileSizeLimitFailsAndKeepsTarget) {
    scratch_dir dir;
    std::string f = dir / "page.html";
    put(f, "precious");
    int result = run_in_child([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {4096, 4096};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 10;
        int failures = 0;
        if (vtfile_write_atomic(f, std::string(100000, 'x'))) failures |= 1;
        // Buffered writes that only fail when flushed still fail the commit.
        atomic_file out;
        if (!out.open(f)) return 11;
        out.write(std::string(8000, 'y'));
        if (out.commit()) failures |= 2;
        return failures;
    });
    ASSERT_GE(result, 0);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(get(f), "precious");
    EXPECT_EQ(entry_count(dir.path()), 1) << "the temporary file was removed";
}

// A page with a second hard link is rewritten in place: both names show the
// new bytes, cut to their length. A rewrite in place that fails half way
// (here the file-size limit) puts the old bytes back. Nothing is left beside
// the page either way.
TEST(atomic_file, RewriteInPlaceKeepsLinksAndOnFailureTheOldBytes) {
    scratch_dir dir;
    const std::string page = dir / "page.html", other = dir / "other.html";
    put(page, std::string(3000, 'o'));
    ASSERT_EQ(link(page.c_str(), other.c_str()), 0);
    ASSERT_TRUE(vtfile_write_atomic(other, "short"));
    EXPECT_EQ(get(page), "short");
    int result = run_in_child([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        atomic_file out;
        // A piece this big goes straight to the temporary file; the limit
        // then stops the copy into the page.
        if (!out.open(page) || !out.write(std::string(300000, 'n'))) return 10;
        struct rlimit limit = {200000, 200000};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 11;
        return out.commit() ? 1 : 0;
    });
    ASSERT_EQ(result, 0);
    EXPECT_EQ(get(other), "short");
    EXPECT_EQ(entry_count(dir.path()), 2);
}
