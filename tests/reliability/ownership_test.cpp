// Other users' files: a build keeps every page's owner, group, permission
// bits, hard links and extended attributes, recovers a page that a crash cut
// short in the middle of a rewrite in place, and follows no symlink that
// another user planted. Run as root, dropping to nobody where the builder
// must be an ordinary user.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cstdint>
#include <string>

#include "reliability/site.h"
#include "support/page_generator.h"

namespace {

using namespace reliability;

const std::string kDone = "Orvane 1.0b\r\nBuild is complete.\r\n";
constexpr uid_t kDaemon = 1, kNobody = 65534;
constexpr gid_t kDaemonGroup = 1, kUsers = 100, kNogroup = 65534;

struct stat status_of(const std::string& path) {
    struct stat st {};
    lstat(path.c_str(), &st);
    return st;
}

void own(const std::string& path, uid_t owner, gid_t group, mode_t mode) {
    ASSERT_EQ(lchown(path.c_str(), owner, group), 0) << path;
    if (mode) {
        ASSERT_EQ(chmod(path.c_str(), mode), 0) << path;
    }
}

std::string attribute(const std::string& path, const char* name) {
    char value[256];
    const ssize_t n = getxattr(path.c_str(), name, value, sizeof value);
    return n < 0 ? std::string("(none)") : std::string(value, static_cast<size_t>(n));
}

// An access ACL that also lets the user daemon write, in the xattr's binary
// form: a version, then tag, permissions and id of user::rw-, user:daemon:rw-,
// group::r--, mask::rw- and other::r--.
const std::string kAcl(
    "\x02\0\0\0\x01\0\x06\0\xff\xff\xff\xff\x02\0\x06\0\x01\0\0\0\x04\0\x04\0\xff\xff\xff\xff"
    "\x10\0\x06\0\xff\xff\xff\xff\x20\0\x04\0\xff\xff\xff\xff",
    44);

bool has_backups(const site& s) {
    for (const auto& [name, bytes] : s.files())
        if (name.find(".orvane-") != std::string::npos) return true;
    return false;
}

class ownership : public ::testing::Test {
  protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "needs root to hand files to other users";
    }
    // A build by nobody with the supplementary group users.
    run_result build_as_member() { return build(s, {.as_nobody = true, .groups = {kUsers}}); }
    site s;
};

// The repro of a shared site: a folder root:users 0775 and pages of several
// owners, built by nobody, a member of users.
TEST_F(ownership, EveryPageKeepsOwnerGroupModeLinksAndAttributes) {
    struct page {
        std::string name;
        uid_t owner;
        gid_t group;
        mode_t mode;
    };
    const page pages[] = {
        {"shared.html", kDaemon, kUsers, 0664},             // another user's: in place
        {"own.html", kNobody, kUsers, 0640},                // ours, a group we are in
        {"own_foreign.html", kNobody, kDaemonGroup, 0664},  // ours, a group we are not in
        {"linked.html", kNobody, kNogroup, 0644},           // a second hard link
        {"tagged.html", kNobody, kNogroup, 0644},           // extended attributes, an ACL
    };
    std::vector<std::string> sources;
    for (const page& p : pages) {
        s.write(p.name, "<body><h1>" + p.name + "</h1></body>");
        sources.push_back(p.name);
    }
    s.write("index.html", "<body><!-- toc --></body>");
    s.project(sources, false, "index.html");
    own(s.path(), 0, kUsers, 0775);
    own(s.file("index.html"), kNobody, kNogroup, 0644);
    for (const page& p : pages) own(s.file(p.name), p.owner, p.group, p.mode);
    ASSERT_EQ(link(s.file("linked.html").c_str(), s.file("linked_too.html").c_str()), 0);
    const bool attributes =
        setxattr(s.file("tagged.html").c_str(), "user.origin", "site", 4, 0) == 0;
    const bool acls =
        attributes && setxattr(s.file("tagged.html").c_str(), "system.posix_acl_access",
                               kAcl.data(), kAcl.size(), 0) == 0;
    std::vector<struct stat> before;
    for (const page& p : pages) before.push_back(status_of(s.file(p.name)));
    const ino_t shared_inode = status_of(s.file("shared.html")).st_ino;

    const run_result r = build_as_member();
    ASSERT_EQ(r.out, kDone) << r.err;
    for (size_t i = 0; i < std::size(pages); ++i) {
        const struct stat st = status_of(s.file(pages[i].name));
        EXPECT_EQ(st.st_uid, pages[i].owner) << pages[i].name;
        EXPECT_EQ(st.st_gid, pages[i].group) << pages[i].name;
        EXPECT_EQ(st.st_mode, before[i].st_mode) << pages[i].name;
        EXPECT_NE(s.read(pages[i].name).find("velt_link_1_"), std::string::npos) << pages[i].name;
    }
    EXPECT_EQ(status_of(s.file("shared.html")).st_ino, shared_inode);
    EXPECT_EQ(status_of(s.file("linked.html")).st_nlink, 2u);
    EXPECT_EQ(s.read("linked_too.html"), s.read("linked.html"));
    if (attributes) {
        EXPECT_EQ(attribute(s.file("tagged.html"), "user.origin"), "site");
    }
    if (acls) {
        EXPECT_EQ(attribute(s.file("tagged.html"), "system.posix_acl_access"), kAcl);
    }
    EXPECT_FALSE(has_backups(s));
    if (!attributes) GTEST_SKIP() << "no extended attributes on this file system";
}

// A backup that anybody could have planted beside a page cut short is
// refused, and the page stays as it is.
TEST_F(ownership, PlantedBackupIsRefused) {
    const std::string page = "<body><h1>Whole</h1><p>All of it.</p></body>";
    const std::string backup = ".page.html.orvane-backup";
    s.write("page.html", page.substr(0, 12));
    s.write(backup, page);
    s.project({"page.html"}, true);
    // The folder lets nobody put files there, the page does not let nobody
    // write it.
    ASSERT_EQ(chmod(s.path().c_str(), 01777), 0);
    own(s.file(backup), kNobody, kNogroup, 0644);
    const run_result r = build(s);
    EXPECT_EQ(r.out,
              "Orvane 1.0b\r\nError occurred: Can't restore file from its backup: page.html");
    EXPECT_EQ(s.read("page.html"), page.substr(0, 12));
    EXPECT_EQ(s.read(backup), page);
}

// Killed while pages rewritten in place have their backups (a run gives
// them all their names before it rewrites the first page): the next build
// settles each backup the kill left, says so for each page it restores, and
// ends as an uninterrupted build does, with no file of the killed run left.
TEST_F(ownership, KilledRewriteInPlaceIsRecoveredByTheNextBuild) {
    std::vector<std::string> sources;
    for (int i = 0; i < 20; ++i) {
        const std::string name = "page" + std::to_string(i) + ".html";
        s.write(name, generate_page(static_cast<unsigned>(500 + i), {}));
        sources.push_back(name);
    }
    s.write("index.html", "<body><!-- toc --></body>");
    s.project(sources, false, "index.html");
    site done;
    done.copy_from(s);
    ASSERT_EQ(build(done).out, kDone);
    const snapshot after = done.files();
    std::vector<std::string> read_order = sources;
    read_order.push_back("index.html");

    for (const int killed_at : {0, 7, 19}) {
        const std::string page = "page" + std::to_string(killed_at) + ".html";
        const run_options as_member{.as_nobody = true, .groups = {kUsers}};
        run_options killing = as_member;
        killing.kill_once = "." + page + ".orvane-backup";
        // The backups live for a few milliseconds: a watcher that missed
        // them tries again on a fresh copy.
        bool killed = false;
        for (int attempt = 0; attempt < 10 && !killed; ++attempt) {
            site t;
            t.copy_from(s);
            own(t.path(), 0, kUsers, 0775);
            for (const auto& [name, bytes] : t.files()) own(t.file(name), kDaemon, kUsers, 0664);
            killed = build(t, killing).exit_code == -1;
            if (!killed) continue;
            std::vector<std::string> left;
            for (const std::string& name : read_order)
                if (t.files().count("." + name + ".orvane-backup")) left.push_back(name);
            EXPECT_FALSE(left.empty());
            const run_result again = build(t, as_member);
            ASSERT_EQ(again.out, kDone) << again.err;
            std::string told = again.err;
            for (const std::string& name : left) {
                const std::string line =
                    "Restored from its backup after an interrupted write: " + name + "\n";
                if (told.starts_with(line)) told.erase(0, line.size());
            }
            EXPECT_EQ(told, "");
            EXPECT_TRUE(same_files(t.files(), after)) << "killed while rewriting " << page;
            EXPECT_EQ(status_of(t.file(page)).st_uid, kDaemon);
        }
        EXPECT_TRUE(killed) << page;
    }
}

// Links planted by nobody in a site folder that root builds: a page, a
// folder on the way to a page, the destination. None is followed, and the
// files they point to stay as they were; root's own link is followed.
TEST_F(ownership, LinksOfAnotherUserAreNotFollowed) {
    site outside;
    outside.write("system.html", "<h1>System file</h1>");
    outside.write("folder/page.html", "<h1>Another site</h1>");
    const std::string target = outside.file("system.html");
    struct link_case {
        std::string source, destination, link, points_to;
        uid_t link_owner;
        std::string report;
    };
    const std::string refused =
        "Orvane 1.0b\r\nError occurred: Can't follow link of another user: ";
    const link_case cases[] = {
        {"page.html", "", "page.html", target, kNobody, refused + "page.html"},
        {"sub/page.html", "", "sub", outside.file("folder"), kNobody, refused + "sub/page.html"},
        {"a.html", "index.html", "index.html", target, kNobody, refused + "index.html"},
        {"a.html", "index.html", "index.html", outside.file("new.html"), kNobody,
         refused + "index.html"},
        {"a.html", "index.html", "index.html", "index.html", 0,
         "Orvane 1.0b\r\nError occurred: Can't open file for writing: index.html"},
    };
    for (const link_case& c : cases) {
        site t;
        own(t.path(), kNobody, kNogroup, 0755);
        t.write("a.html", "<h1>A</h1>");
        t.project({c.source}, c.destination.empty(), c.destination);
        ASSERT_EQ(symlink(c.points_to.c_str(), t.file(c.link).c_str()), 0);
        own(t.file(c.link), c.link_owner, c.link_owner, 0);
        const snapshot before = outside.files();
        const run_result r = build(t);
        EXPECT_EQ(r.out, c.report) << c.link;
        EXPECT_TRUE(same_files(outside.files(), before)) << c.link;
        EXPECT_TRUE(S_ISLNK(status_of(t.file(c.link)).st_mode)) << c.link;
    }

    // Root's own link is followed and survives.
    site t;
    t.project({"page.html"}, true);
    ASSERT_EQ(symlink(target.c_str(), t.file("page.html").c_str()), 0);
    EXPECT_EQ(build(t).out, kDone);
    EXPECT_TRUE(S_ISLNK(status_of(t.file("page.html")).st_mode));
    EXPECT_NE(outside.read("system.html").find("velt_link_1_"), std::string::npos);
}

}  // namespace
