#include "files/vtfile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include "files/vtfile_path.h"
#include "files/vtfile_test_util.h"

using file_test::get;
using file_test::put;
using file_test::scratch_dir;

namespace {

std::string read_handle(int fd) {
    std::string all;
    vtstring chunk;
    while (vtfile_read(fd, chunk, 3) > 0) all += chunk.str();
    return all;
}

}  // namespace

TEST(vtfile_open, ModeLettersDecideAccessCreationAndPosition) {
    scratch_dir dir;
    std::string f = dir / "a.txt";
    EXPECT_EQ(vtfile_open(f, "r"), VTFILE_INVALID) << "read needs an existing file";
    EXPECT_EQ(vtfile_open(f, "x"), VTFILE_INVALID);

    int fd = vtfile_open(f, "W");  // capitals behave like "w"
    ASSERT_NE(fd, VTFILE_INVALID);
    EXPECT_EQ(vtfile_write(fd, "hello"), 5);
    EXPECT_TRUE(vtfile_close(fd));

    fd = vtfile_open(f, "a");
    EXPECT_EQ(vtfile_seek(fd, 0, VTFILE_CURRENT), 5) << "append opens at the end";
    vtfile_write(fd, " world");
    vtfile_close(fd);
    EXPECT_EQ(get(f), "hello world");

    fd = vtfile_open(f, "w+");
    EXPECT_EQ(vtfile_size(fd).to_integer(), 0) << "w+ truncates";
    vtfile_write(fd, "abcdefg");
    EXPECT_EQ(vtfile_seek(fd, 0, VTFILE_START), 0);
    EXPECT_EQ(read_handle(fd), "abcdefg") << "w+ reads back";
    vtfile_close(fd);

    fd = vtfile_open(f, "r");
    vtstring buf;
    EXPECT_EQ(vtfile_write(fd, "zz"), 0) << "read-only handle";
    EXPECT_EQ(vtfile_read(fd, buf, 100), 7);
    EXPECT_EQ(buf, "abcdefg");
    EXPECT_EQ(vtfile_read(fd, buf, 100), 0);
    EXPECT_TRUE(buf.empty());
    vtfile_close(fd);

    fd = vtfile_open(f, "r+");
    vtfile_seek(fd, -2, VTFILE_END);
    vtfile_write(fd, "FG");
    vtfile_close(fd);
    EXPECT_EQ(get(f), "abcdeFG");

    fd = vtfile_open(f, "q");  // no data access, but the file exists
    ASSERT_NE(fd, VTFILE_INVALID);
    EXPECT_EQ(vtfile_size(fd).to_integer(), 7);
    EXPECT_LT(vtfile_read(fd, buf, 10), 0) << "a read error is never an end of file";
    vtfile_close(fd);
}

TEST(vtfile_open, OnlyTheEmptyModeOpensFolders) {
    scratch_dir dir;
    for (const char* mode : {"r", "r+", "w", "a", "x"})
        EXPECT_EQ(vtfile_open(dir.path(), mode), VTFILE_INVALID) << mode;
    int fd = vtfile_open(dir.path(), "");
    EXPECT_NE(fd, VTFILE_INVALID);
    vtfile_close(fd);
    EXPECT_EQ(vtfile_open(dir / "missing", ""), VTFILE_INVALID);
}

TEST(vtfile_open, BackslashesAreSeparators) {
    scratch_dir dir;
    mkdir((dir / "sub").c_str(), 0755);
    put(dir / "sub/p.html", "x");
    std::string windows_style = dir.path() + "\\sub\\p.html";
    int fd = vtfile_open(windows_style, "r");
    EXPECT_NE(fd, VTFILE_INVALID);
    vtfile_close(fd);
    vtfile_node node;
    EXPECT_TRUE(vtfile_info(windows_style, node));
    EXPECT_EQ(node.path, dir / "sub/p.html");
}

TEST(vtfile_open, InvalidHandleIsHarmless) {
    vtstring buf("left");
    EXPECT_TRUE(vtfile_close(VTFILE_INVALID));
    EXPECT_EQ(vtfile_read(VTFILE_INVALID, buf, 10), 0);
    EXPECT_TRUE(buf.empty());
    EXPECT_EQ(vtfile_write(VTFILE_INVALID, "abc"), 0);
    EXPECT_EQ(vtfile_seek(VTFILE_INVALID, 0, VTFILE_END), -1);
    EXPECT_EQ(vtfile_size(VTFILE_INVALID).to_integer(), -1);
    EXPECT_EQ(vtfile_size_of("/nonexistent/x").to_integer(), -1);
}

TEST(vtfile_handle, EveryOpenHandleIsClosedExactlyOnce) {
    scratch_dir dir;
    put(dir / "f", "abc");
    // fcntl on a closed descriptor fails: that tells open from closed.
    auto is_open = [](int fd) { return fcntl(fd, F_GETFD) != -1; };
    vtfile_handle a = vtfile_handle::open(dir / "f", "r");
    vtfile_handle b = vtfile_handle::open(dir / "f", "r");
    const int first = a.get();
    const int second = b.get();
    ASSERT_TRUE(is_open(first) && is_open(second));
    a = std::move(b);  // the handle replaced is closed, the one moved kept
    EXPECT_FALSE(is_open(first));
    EXPECT_EQ(a.get(), second);
    EXPECT_FALSE(b.is_open());
    {
        const vtfile_handle c(a.release());
        EXPECT_FALSE(a.is_open());
        vtstring buf;
        EXPECT_EQ(c.read(buf, 10), 3);
    }
    EXPECT_FALSE(is_open(second));
    EXPECT_FALSE(vtfile_handle::open(dir / "missing", "r").is_open());
}

TEST(vtfile_read_all, WholeFileEmptyFileAndMissingFile) {
    scratch_dir dir;
    std::string bytes("a\0b\r\nc", 6);
    put(dir / "f", bytes);
    put(dir / "empty", "");
    vtstring buf("old");
    EXPECT_TRUE(vtfile_read_all(dir / "f", buf));
    EXPECT_EQ(buf.view(), bytes);
    buf = "old";
    EXPECT_TRUE(vtfile_read_all(dir / "empty", buf));
    EXPECT_EQ(buf, "old") << "an empty file leaves the buffer as it was";
    EXPECT_FALSE(vtfile_read_all(dir / "missing", buf));
    EXPECT_FALSE(vtfile_read_all(dir.path(), buf));
}

TEST(vtfile_size, IntegerBelowThresholdsElseReal) {
    scratch_dir dir;
    std::string f = dir / "sparse";
    put(f, "");
    auto resize = [&](off_t n) { ASSERT_EQ(truncate(f.c_str(), n), 0); };
    vtfile_node node;

    resize(0x0FFFFFFE);
    EXPECT_EQ(vtfile_size_of(f).type(), VT_INT);
    resize(0x0FFFFFFF);
    EXPECT_EQ(vtfile_size_of(f).type(), VT_REAL);
    EXPECT_EQ(vtfile_size_of(f).to_real(), 268435455.0);
    ASSERT_TRUE(vtfile_info(f, node));
    EXPECT_EQ(node.size.type(), VT_INT) << "the name query has the higher threshold";

    resize(2147483648LL + 5);
    ASSERT_TRUE(vtfile_info(f, node));
    EXPECT_EQ(node.size.type(), VT_REAL);
    EXPECT_EQ(node.size.to_real(), 2147483653.0);
}

TEST(vtfile_info, FilesFoldersAndTrailingSeparator) {
    scratch_dir dir;
    std::string f = dir / "page.html";
    put(f, "12345");
    struct timeval times[2] = {{1000000000, 0}, {1234567890, 0}};
    utimes(f.c_str(), times);

    vtfile_node node;
    ASSERT_TRUE(vtfile_info(f, node));
    EXPECT_EQ(node.is_directory, 0);
    EXPECT_EQ(node.size.to_integer(), 5);
    EXPECT_EQ(node.mtime, 1234567890);
    EXPECT_TRUE(S_ISREG(node.attributes));

    for (std::string name : {dir.path(), dir.path() + "/", dir.path() + "\\"}) {
        vtfile_node folder;
        ASSERT_TRUE(vtfile_info(name, folder)) << name;
        EXPECT_EQ(folder.is_directory, 1);
        EXPECT_EQ(folder.size.type(), VT_INT) << "a folder leaves the size alone";
        EXPECT_EQ(folder.size.to_integer(), 0);
    }
    EXPECT_TRUE(vtfile_info(f + "/", node)) << "one trailing separator is ignored";
    EXPECT_FALSE(vtfile_info(dir / "missing", node));
    EXPECT_FALSE(vtfile_info("", node));
    EXPECT_TRUE(vtfile_info("/", node));
}

TEST(vtfile_folders, CreateDeleteCopyMove) {
    scratch_dir dir;
    EXPECT_TRUE(vtfile_create_folder(dir / "new"));
    EXPECT_FALSE(vtfile_create_folder(dir / "new")) << "exists";
    EXPECT_FALSE(vtfile_create_folder(dir / "no/parent"));

    put(dir / "src", "source bytes");
    chmod((dir / "src").c_str(), 0751);
    put(dir / "dst", "old target");
    EXPECT_FALSE(vtfile_copy(dir / "src", dir / "dst", false));
    EXPECT_EQ(get(dir / "dst"), "old target") << "copy without overwrite keeps the target";
    EXPECT_TRUE(vtfile_copy(dir / "src", dir / "dst", true));
    EXPECT_EQ(get(dir / "dst"), "source bytes");
    EXPECT_TRUE(vtfile_copy(dir / "src", dir / "new/copy", false));
    struct stat st;
    stat((dir / "new/copy").c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0751u) << "a copy keeps the permission bits";
    EXPECT_FALSE(vtfile_copy(dir / "missing", dir / "x", true));
    EXPECT_FALSE(vtfile_copy(dir / "src", dir / "no/parent/x", true));

    EXPECT_FALSE(vtfile_move(dir / "src", dir / "dst")) << "move never replaces";
    EXPECT_EQ(get(dir / "dst"), "source bytes");
    EXPECT_TRUE(vtfile_move(dir / "src", dir / "moved"));
    EXPECT_EQ(get(dir / "moved"), "source bytes");

    EXPECT_TRUE(vtfile_delete(dir / "moved"));
    EXPECT_FALSE(vtfile_delete(dir / "moved"));
    EXPECT_FALSE(vtfile_delete(dir / "new")) << "folders are not deleted as files";
}

TEST(vtfile_folders, CurrentFolderProgramFolderFreeSpaceAndTime) {
    scratch_dir dir;
    vtstring before = vtfile_current_folder();
    ASSERT_TRUE(vtfile_set_current_folder(dir.path()));
    char real[4096];
    ASSERT_TRUE(realpath(dir.path().c_str(), real));
    EXPECT_EQ(vtfile_current_folder(), real);
    EXPECT_FALSE(vtfile_set_current_folder(dir / "missing"));
    ASSERT_TRUE(vtfile_set_current_folder(before));

    vtstring exe = vtfile_exe_path();
    vtstring folder = vtfile_program_folder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder[folder.length() - 1], '/');
    EXPECT_EQ(exe.view().substr(0, static_cast<size_t>(folder.length())), folder.view());

    vtval bytes;
    EXPECT_TRUE(vtfile_free_space(dir.path(), bytes));
    EXPECT_EQ(bytes.type(), VT_REAL);
    EXPECT_GT(bytes.to_real(), 0);
    EXPECT_FALSE(vtfile_free_space(dir / "missing", bytes));
    EXPECT_EQ(bytes.type(), VT_INT);
    EXPECT_EQ(bytes.to_integer(), 0);

    int64_t now = vtfile_now();
    EXPECT_LE(std::abs(now - static_cast<int64_t>(time(nullptr))), 1);
}

TEST(vtfile_relative_path, LinksFromBaseToTarget) {
    EXPECT_EQ(vtfile_relative_path("C:/site/index.html", "C:/site/docs/a.html", false),
              "docs/a.html");
    EXPECT_EQ(vtfile_relative_path("C:/site/index.html", "C:/other/b.html", false),
              "../other/b.html");
    EXPECT_EQ(vtfile_relative_path("C:/site/index.html", "C:/site/index.html", false), "");
    EXPECT_EQ(vtfile_relative_path("C:\\site\\index.html", "C:\\site\\b.html", false), "b.html");
    EXPECT_EQ(vtfile_relative_path("/w/a/b/c/toc.html", "/w/x.html", false), "../../../x.html");
    EXPECT_EQ(vtfile_relative_path("/w/site/toc.html", "/w/site/", false), ".");
    EXPECT_EQ(vtfile_relative_path("/w/site", "/w/site/p.html", false), "p.html");
    EXPECT_EQ(vtfile_relative_path("toc.html", "/abs/p.html", false), "/abs/p.html")
        << "nothing in common with a bare file name: the target as it is";
}

TEST(vtfile_relative_path, CaseFlag) {
    EXPECT_EQ(vtfile_relative_path("/Site/Index.html", "/site/index.html", true), "");
    EXPECT_EQ(vtfile_relative_path("/Site/Index.html", "/site/index.html", false),
              "../site/index.html");
    EXPECT_EQ(vtfile_relative_path("/SITE/toc.html", "/site/Docs/a.html", true), "Docs/a.html");
}

TEST(vtfile_short_path, ExactlyWidthLongOrUnchanged) {
    std::string path = "/home/someone/projects/site/docs/chapter1/page.html";
    vtstring s = vtfile_short_path(path, 20);
    EXPECT_EQ(s.length(), 20);
    EXPECT_EQ(s.view(), "/..." + path.substr(path.size() - 16));
    EXPECT_EQ(vtfile_short_path(path, 6), "/...ml");
    EXPECT_EQ(vtfile_short_path(path, 5), path) << "below width 6 nothing is shortened";
    EXPECT_EQ(vtfile_short_path("relative/path/longer/than/width", 10),
              "relative/path/longer/than/width");
    std::string exact(20, 'a');
    exact[0] = '/';
    EXPECT_EQ(vtfile_short_path(exact, 20), exact);
}

TEST(vtfile_deepest_folder, StopsAtMissingOrFile) {
    scratch_dir dir;
    mkdir((dir / "a").c_str(), 0755);
    mkdir((dir / "a/b").c_str(), 0755);
    put(dir / "a/f", "x");
    vtstring result;
    ASSERT_TRUE(vtfile_deepest_folder(dir / "a/b", result));
    EXPECT_EQ(result.view(), dir / "a/b");
    ASSERT_TRUE(vtfile_deepest_folder(dir / "a/b/c/d", result));
    EXPECT_EQ(result.view(), dir / "a/b");
    ASSERT_TRUE(vtfile_deepest_folder(dir / "a/f/g", result));
    EXPECT_EQ(result.view(), dir / "a/f") << "a file ends the walk and is the result";
    ASSERT_TRUE(vtfile_deepest_folder("/nonexistent-orvane/ORV1", result));
    EXPECT_EQ(result, "/") << "the root alone keeps its separator";
    EXPECT_FALSE(vtfile_deepest_folder("nonexistent-orvane-drive/x", result));
    EXPECT_TRUE(result.empty());
}

TEST(vtfile_list, PatternDotsOrderAndParent) {
    scratch_dir dir;
    put(dir / "b.html", "bb");
    put(dir / "a.html", "a");
    put(dir / "notes.txt", "");
    put(dir / "README", "");
    mkdir((dir / "sub").c_str(), 0755);

    vtfile_tree tree;
    vtfile_node* root = tree.make();
    tree.append_top(root);
    ASSERT_TRUE(vtfile_list(dir.path(), tree, root, true, "*.html"));
    ASSERT_EQ(root->child_count, 2);
    EXPECT_EQ(root->first_child->path, "a.html");
    EXPECT_EQ(root->last_child->path, "b.html");
    EXPECT_EQ(root->last_child->size.to_integer(), 2);

    vtfile_tree all;
    ASSERT_TRUE(vtfile_list(dir.path(), all, nullptr, true, "*.*"));
    EXPECT_EQ(all.top_count(), 5) << "*.* also lists names without a dot";
    vtfile_node* sub = all.last_top();
    EXPECT_EQ(sub->path, "sub");
    EXPECT_EQ(sub->is_directory, 1);

    vtfile_tree with_dots;
    ASSERT_TRUE(vtfile_list(dir.path(), with_dots, nullptr, false, "*"));
    EXPECT_EQ(with_dots.top_count(), 7);

    vtfile_tree none;
    EXPECT_FALSE(vtfile_list(dir.path(), none, nullptr, false, "*.pdf"));
    EXPECT_FALSE(vtfile_list(dir / "sub", none, nullptr, false, "*"))
        << "dot entries alone count as not found";
    EXPECT_EQ(none.top_count(), 2);
    EXPECT_FALSE(vtfile_list(dir / "missing", none, nullptr, true, "*"));
}

TEST(vtfile_resolve_links, NamesTheSameFileWithoutLinks) {
    scratch_dir dir;
    mkdir((dir / "real").c_str(), 0755);
    mkdir((dir / "real/deep").c_str(), 0755);
    put(dir / "real/page.html", "p");
    put(dir / "real/deep/inner.html", "i");
    symlink("real/page.html", (dir / "file_link").c_str());
    symlink("real/deep", (dir / "folder_link").c_str());
    symlink((dir / "real").c_str(), (dir / "absolute_link").c_str());
    symlink("../page.html", (dir / "real/deep/up_link").c_str());
    symlink("loop_b", (dir / "loop_a").c_str());
    symlink("loop_a", (dir / "loop_b").c_str());
    // ".." after a folder link climbs from where the link leads, as the
    // kernel does.
    for (const char* name :
         {"real/page.html", "file_link", "folder_link/inner.html", "folder_link/../page.html",
          "absolute_link/./deep//inner.html", "folder_link/up_link", "real/deep/../../file_link"}) {
        std::string resolved;
        ASSERT_EQ(vtfile_resolve_links(dir / name, resolved, true), link_walk::ok) << name;
        struct stat st;
        ASSERT_EQ(lstat(resolved.c_str(), &st), 0) << name << " gave " << resolved;
        EXPECT_TRUE(S_ISREG(st.st_mode)) << name << " gave " << resolved;
        char* real = realpath((dir / name).c_str(), nullptr);
        char* ours = realpath(resolved.c_str(), nullptr);
        EXPECT_STREQ(real, ours) << name;
        free(real);
        free(ours);
    }
    std::string resolved;
    EXPECT_EQ(vtfile_resolve_links(dir / "loop_a", resolved, true), link_walk::loop);
    EXPECT_EQ(vtfile_resolve_links(dir / "folder_link/new.html", resolved, true), link_walk::ok);
    EXPECT_EQ(resolved, dir / "real/deep/new.html") << "a missing file keeps its name";
}
