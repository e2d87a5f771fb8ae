// The backup of a page rewritten in place: it guards one state of its page
// and no other, nobody reads it who may not read the page, a check only
// reads it, and nothing planted at its name makes a run hang.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "reliability/site.h"

namespace {

using namespace reliability;

const std::string kBuilt = "Orvane 1.0b\r\nBuild is complete.\r\n";
const std::string kCleared = "Orvane 1.0b\r\nClearance is done\r\n";
const std::string kBackup = ".page.html.orvane-backup";
const std::string kPage = "<body><h1>One</h1><p>First.</p><h2>Two</h2><p>Second.</p></body>";

// A page with a second hard link (so it is rewritten in place), built once
// when built is set.
void linked_page(const site& s, bool built) {
    s.write("page.html", kPage);
    ASSERT_EQ(link(s.file("page.html").c_str(), s.file("copy.html").c_str()), 0);
    s.project({"page.html"}, true);
    if (built) {
        ASSERT_EQ(build(s).out, kBuilt);
    }
}

run_result run(const site& s, const std::string& mode, const run_options& options = {}) {
    return run_vorn1(s.path(), {mode, "project.txt"}, options);
}

// A run killed after the page's new bytes are in but before its backup
// went, or half way through a clearing run's rewrite (the new bytes over
// the start of the old ones, the file not cut yet); then the page is left
// as the kill left it, edited, or given its old bytes back. The next run
// restores only a page half written, drops the backup of a page that
// holds old or new bytes, and leaves an edited page and its backup alone.
TEST(backup, GuardsOnlyThePageStatesOfItsRewrite) {
    struct cases {
        const char* what;
        std::string mode;  // the run that is killed and the next one
        std::string call;  // where it is killed
        std::string edit;  // what the page holds before the next run ("": as left)
        std::string out, err;
        bool backup_kept;
    } cases[] = {
        {"new bytes in", "-command", "unlink", "", kBuilt, "", false},
        {"old bytes back", "-command", "unlink", kPage, kBuilt, "", false},
        {"edited after", "-command", "unlink", "<p>edited</p>",
         "Orvane 1.0b\r\nError occurred: File was changed after an interrupted write; compare "
         "it with its backup: page.html and .page.html.orvane-backup",
         "", true},
        {"half written", "-clear", "ftruncate", "", kCleared,
         "Restored from its backup after an interrupted write: page.html\n", false},
    };
    for (const auto& c : cases) {
        site done, s;
        linked_page(done, c.mode == "-clear");
        linked_page(s, c.mode == "-clear");
        ASSERT_EQ(run(done, c.mode).exit_code, 0);
        const run_result killed =
            run(s, c.mode,
                {.env = fault_at(c.call, c.call == "unlink" ? kBackup : "/page.html", "kill")});
        ASSERT_EQ(killed.exit_code, -1) << c.what;
        ASSERT_TRUE(s.files().count(kBackup)) << c.what;
        if (!c.edit.empty()) s.write("page.html", c.edit);
        const std::string before = s.read("page.html");

        const run_result next = run(s, c.mode);
        EXPECT_EQ(next.out, c.out) << c.what;
        EXPECT_EQ(next.err, c.err) << c.what;
        EXPECT_EQ(s.files().count(kBackup) == 1, c.backup_kept) << c.what;
        EXPECT_EQ(s.read("page.html"), c.backup_kept ? before : done.read("page.html")) << c.what;
        EXPECT_EQ(s.read("copy.html"), s.read("page.html")) << c.what;
    }
}

// A check finds a page half written: it says the page would be restored
// and lists it, and writes nothing, the backup included.
TEST(backup, CheckOnlyReadsALeftBackup) {
    site s;
    linked_page(s, true);
    ASSERT_EQ(run(s, "-clear", {.env = fault_at("ftruncate", "/page.html", "kill")}).exit_code, -1);
    const snapshot before = s.files();
    const run_result r = run(s, "-check");
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.err, "Would be restored from its backup after an interrupted write: page.html\n");
    EXPECT_NE(r.out.find("page.html"), std::string::npos) << r.out;
    EXPECT_TRUE(same_files(s.files(), before));
}

// Who may read a file, tried as that user.
bool readable_by(const std::string& path, uid_t user, gid_t group, gid_t member_of) {
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(1, &member_of) != 0 || setgid(group) != 0 || setuid(user) != 0) _exit(2);
        _exit(access(path.c_str(), R_OK) == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A run held while the backup exists: whoever cannot read the page cannot
// read the backup either, whatever the page's mode and ACL.
TEST(backup, IsReadableOnlyByThoseWhoMayReadThePage) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to try other users";
    if (std::system("command -v setfacl >/dev/null") != 0) GTEST_SKIP() << "no setfacl";
    constexpr gid_t kUsers = 100;
    struct {
        mode_t mode;
        const char* acl;  // for setfacl -m, or none
    } pages[] = {
        {0600, "u:daemon:r"},    // shows as 0640, the group may not read
        {0644, "u:nobody:---"},  // everybody but nobody
        {0640, nullptr},         // the group, nobody else
        {0600, nullptr},
    };
    for (const auto& p : pages) {
        site s;
        linked_page(s, false);
        ASSERT_EQ(chown(s.file("page.html").c_str(), 0, kUsers), 0);
        ASSERT_EQ(chmod(s.file("page.html").c_str(), p.mode), 0);
        if (p.acl) {
            ASSERT_EQ(std::system(
                          ("setfacl -m " + std::string(p.acl) + " " + s.file("page.html")).c_str()),
                      0);
        }
        const std::string mark = s.file("held");
        bool looked = false;
        build(s, {.meanwhile =
                      [&](pid_t) {
                          ASSERT_TRUE(wait_until([&] { return access(mark.c_str(), F_OK) == 0; }));
                          for (const auto& [user, group] :
                               {std::pair<uid_t, gid_t>{1, 1}, {65534, 65534}, {65534, kUsers}})
                              EXPECT_FALSE(!readable_by(s.file("page.html"), user, group, group) &&
                                           readable_by(s.file(kBackup), user, group, group))
                                  << p.mode << " " << (p.acl ? p.acl : "") << " user " << user
                                  << " group " << group;
                          looked = true;
                          unlink(mark.c_str());
                      },
                  .env = fault_at("unlink", kBackup, "hold", mark)});
        EXPECT_TRUE(looked);
    }
}

// A run held while the backup exists: the backup carries the page's
// extended attributes (those of other users' namespaces too, for root).
TEST(backup, CarriesThePagesExtendedAttributes) {
    if (std::system("command -v setfattr >/dev/null") != 0) GTEST_SKIP() << "no setfattr";
    site s;
    linked_page(s, false);
    std::vector<std::string> names = {"user.origin"};
    if (geteuid() == 0) names.push_back("trusted.origin");
    for (const std::string& name : names)
        if (std::system(("setfattr -n " + name + " -v handmade " + s.file("page.html")).c_str()) !=
            0)
            GTEST_SKIP() << "no " << name << " attributes here";
    const std::string mark = s.file("held");
    std::vector<std::string> seen;
    build(s, {.meanwhile =
                  [&](pid_t) {
                      ASSERT_TRUE(wait_until([&] { return access(mark.c_str(), F_OK) == 0; }));
                      for (const std::string& name : names) {
                          const std::string get =
                              "getfattr --only-values -n " + name + " " + s.file(kBackup);
                          std::string value(64, '\0');
                          FILE* out = popen(get.c_str(), "r");
                          value.resize(out ? fread(value.data(), 1, value.size(), out) : 0);
                          if (out) pclose(out);
                          seen.push_back(value);
                      }
                      unlink(mark.c_str());
                  },
              .env = fault_at("unlink", kBackup, "hold", mark)});
    EXPECT_EQ(seen, std::vector<std::string>(names.size(), "handmade"));
}

// Anything but a regular file at the backup's name is refused at once,
// planted by another user or not; the page stays as it was.
TEST(backup, NothingAtItsNameMakesARunHang) {
    const struct {
        const char* what;
        std::function<int(const std::string&)> plant;
    } planted[] = {
        {"pipe", [](const std::string& p) { return mkfifo(p.c_str(), 0666); }},
        {"folder", [](const std::string& p) { return mkdir(p.c_str(), 0777); }},
    };
    for (const auto& p : planted) {
        site s;
        linked_page(s, false);
        ASSERT_EQ(p.plant(s.file(kBackup)), 0);
        if (geteuid() == 0) {
            ASSERT_EQ(lchown(s.file(kBackup).c_str(), 65534, 65534), 0);
        }
        const run_result r = build(s, {.kill_after_us = 10'000'000});
        EXPECT_EQ(r.exit_code, 1) << p.what;
        EXPECT_EQ(r.out,
                  "Orvane 1.0b\r\nError occurred: Can't restore file from its backup: "
                  "page.html")
            << p.what;
        EXPECT_EQ(s.read("page.html"), kPage) << p.what;
    }
}

}  // namespace
