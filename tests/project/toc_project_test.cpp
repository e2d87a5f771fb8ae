#include "project/toc_project.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <string>
#include <utility>
#include <vector>

#include "project/project_paths.h"
#include "support/temp_folder.h"

namespace {

const char new_project_file[] =
    "<anchor_ids>0</anchor_ids>\r\n"
    "<destination></destination>\r\n"
    "<heading_links></heading_links>\r\n"
    "<indent></indent>\r\n"
    "<insert_local_toc>0</insert_local_toc>\r\n"
    "<is_dest_as_source>1</is_dest_as_source>\r\n"
    "<is_single>1</is_single>\r\n"
    "<named_anchor_attributes></named_anchor_attributes>\r\n"
    "<number_class></number_class>\r\n"
    "<numbering_from></numbering_from>\r\n"
    "<numbering_start></numbering_start>\r\n"
    "<numbering_to></numbering_to>\r\n"
    "<process_numbering>1</process_numbering>\r\n"
    "<process_title>0</process_title>\r\n"
    "<range_from>1</range_from>\r\n"
    "<range_to>6</range_to>\r\n"
    "<relative_to></relative_to>\r\n"
    "<skip_class></skip_class>\r\n"
    "<source></source>\r\n"
    "<template_file></template_file>\r\n"
    "<unnumbered_class></unnumbered_class>\r\n";

}  // namespace

TEST(toc_project, NewProjectSavesEveryKeyAndLoadsBackEqual) {
    temp_folder dir;
    toc_project p;
    ASSERT_EQ(p.save(dir.file("p.txt")), 0);
    EXPECT_EQ(dir.read("p.txt"), new_project_file);
    toc_project q;
    q.range_to = vtval(3);
    ASSERT_EQ(q.load(dir.file("p.txt")), 0);
    EXPECT_EQ(q.range_to.to_integer(), 6);
    ASSERT_EQ(q.source.count(), 1);
    EXPECT_EQ(q.source[0].text(), "");
    ASSERT_EQ(q.save(dir.file("q.txt")), 0);
    EXPECT_EQ(dir.read("q.txt"), new_project_file);
}

TEST(toc_project, SourceListsAndNormalisation) {
    temp_folder dir;
    toc_project p;
    ASSERT_EQ(p.load(dir.write("m.txt",
                               "<is_single>0</is_single><source>c</source><source>a</source>"
                               "<source>b</source><process_title>1</process_title>")),
              0);
    ASSERT_EQ(p.source.count(), 3);
    EXPECT_EQ(p.source[0].text(), "c");
    EXPECT_EQ(p.source[2].text(), "b");
    EXPECT_TRUE(p.process_title.to_boolean());

    ASSERT_EQ(p.load(dir.write("e.txt", "<is_single>0</is_single><source></source>")), 0);
    EXPECT_EQ(p.source.count(), 0);

    ASSERT_EQ(p.load(dir.write("s.txt", "<process_title>1</process_title>")), 0);
    EXPECT_FALSE(p.process_title.to_boolean());  // single-file: no page titles

    ASSERT_EQ(p.load(dir.write("a.txt",
                               "<named_anchor_attributes>class=\"x\"</named_anchor_attributes>")),
              0);
    EXPECT_EQ(p.named_anchor_attributes.text(), " class=\"x\"");
    ASSERT_EQ(
        p.load(dir.write("b.txt", "<named_anchor_attributes> id=y</named_anchor_attributes>")), 0);
    EXPECT_EQ(p.named_anchor_attributes.text(), " id=y");

    ASSERT_EQ(p.load(dir.write("u.txt", "<colour>red</colour><range_to>x</range_to>")), 0);
    EXPECT_EQ(p.range_to.text(), "x");  // kept as text; counts as 0 where used
    EXPECT_EQ(p.range_to.to_integer(), 0);
    EXPECT_EQ(p.range_from.to_integer(), 1);
}

// Pages and patterns are one list: their lines come back in their order,
// written where the source key stands, and a pattern with a non-ASCII byte
// is escaped like any value.
TEST(toc_project, SourcesAndPatternsKeepTheirOrder) {
    temp_folder dir;
    const std::string lines =
        "<source_glob>intro/*.html</source_glob>\r\n"
        "<source>a b.html</source>\r\n"
        "<source_glob>caf&#233;/**/*.html</source_glob>\r\n"
        "<source_glob>x/*</source_glob>\r\n"
        "<source>z.html</source>\r\n";
    toc_project p;
    ASSERT_EQ(p.load(dir.write("m.txt", "<is_single>0</is_single>" + lines)), 0);
    std::vector<std::pair<std::string, bool>> got;
    for (const source_line& line : p.source_lines()) got.emplace_back(line.text, line.is_pattern);
    EXPECT_EQ(got, (std::vector<std::pair<std::string, bool>>{{"intro/*.html", true},
                                                              {"a b.html", false},
                                                              {"caf\xe9/**/*.html", true},
                                                              {"x/*", true},
                                                              {"z.html", false}}));
    ASSERT_EQ(p.save(dir.file("saved.txt")), 0);
    const std::string saved = dir.read("saved.txt");
    EXPECT_NE(saved.find("<skip_class></skip_class>\r\n" + lines + "<template_file>"),
              std::string::npos)
        << saved;

    // A pattern added later goes after the pages there are.
    p.add_source_pattern("last/*.html");
    EXPECT_EQ(p.source_lines().back().text, "last/*.html");
}

TEST(toc_project, FailedLoadChangesNothing) {
    temp_folder dir;
    toc_project p;
    p.destination = vtval("keep.html");
    EXPECT_EQ(p.load(dir.write("bad.txt", "<destination>x</destination><source>a")), 1);
    EXPECT_EQ(p.error_message, "Line: 1, column: 37\r\nError: unclosed tag.\r\n");
    EXPECT_EQ(p.destination.text(), "keep.html");
    EXPECT_EQ(p.load(dir.file("missing.txt")), 1);
    EXPECT_EQ(p.error_message, "Can't open file " + dir.file("missing.txt"));
    EXPECT_EQ(p.load(dir.path()), 1);
    EXPECT_EQ(p.destination.text(), "keep.html");
}

TEST(toc_project, FailedSaveLeavesOldFileWhole) {
    temp_folder dir;
    std::string old(5000, 'o');
    std::string path = dir.write("p.txt", old);
    toc_project p;
    p.destination = vtval(std::string(100000, 'd'));
    // A file size limit below the new file's size makes the write fail.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 10000;
    setrlimit(RLIMIT_FSIZE, &small);
    int r = p.save(path);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(p.error_message, "Can't write to file: " + path);
    EXPECT_EQ(dir.read("p.txt"), old);
    EXPECT_EQ(p.save(dir.file("no/such/folder.txt")), 1);
}

// Paths as a project in a folder writes them: inside the folder relative to
// it, elsewhere absolute, whatever spelling they were taken in.
TEST(project_paths, PathsInsideTheProjectFolderAreWrittenRelative) {
    const struct {
        const char* path;
        const char* written;
    } cases[] = {
        {"/site/a.html", "a.html"},
        {"/site/sub/../docs/b c.html", "docs/b c.html"},
        {"docs/b.html", "docs/b.html"},          // taken from base = the folder
        {"../site/x.html", "x.html"},            // climbs out and back in
        {"/sitemap/a.html", "/sitemap/a.html"},  // a name that only starts alike
        {"/site", "/site"},                      // the folder itself
        {"/usr/share/t.html", "/usr/share/t.html"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(path_for_project(c.path, "/site", "/site"), c.written) << c.path;
    // Moved to another folder, a path keeps naming the same file.
    EXPECT_EQ(path_for_project("a.html", "/old", "/new"), "/old/a.html");
    EXPECT_EQ(path_for_project("a.html", "/new/sub", "/new"), "sub/a.html");

    toc_project p;
    p.is_single = vtval(0);
    p.source.clear();
    p.source.push_back(vtval("a.html"));
    p.source.push_back(vtval("/elsewhere/b.html"));
    p.destination = vtval("/new/index.html");
    p.template_file = vtval("t.tpl");
    rebase_project(p, "/old", "/new");
    EXPECT_EQ(p.source[0].text(), "/old/a.html");
    EXPECT_EQ(p.source[1].text(), "/elsewhere/b.html");
    EXPECT_EQ(p.destination.text(), "index.html");
    EXPECT_EQ(p.template_file.text(), "/old/t.tpl");

    // Only a project that asks for it takes its paths from its file's folder.
    toc_project q;
    q.source.clear();
    q.source.push_back(vtval("a.html"));
    resolve_from_project_file(q, "/site/p.txt");
    EXPECT_EQ(q.source[0].text(), "a.html");
    q.relative_to = vtval("project");
    resolve_from_project_file(q, "/site/p.txt");
    EXPECT_EQ(q.source[0].text(), "/site/a.html");
}
