// Rebuilding a built site with the same project changes nothing, and a site
// built without numbering clears back to its original bytes, navigation
// comments included.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "support/run_program.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> epoch{"SOURCE_DATE_EPOCH=1000000000"};

fs::path golden_input(const std::string& name) {
    return fs::path(ORVANE_TEST_DATA) / "golden" / name / "input";
}

}  // namespace

// A check before the build finds files to change and writes nothing; after
// it, the check and a second build find nothing to do.
TEST(rebuild, SecondBuildGivesTheSameFiles) {
    auto check = [](const temp_folder& work) {
        return run_program(vorn1_path(), {"-check", "project.txt"}, work.path(), epoch);
    };
    for (const char* name : {"single_in_place", "multi_titles_local_numbering", "multi_plain",
                             "html5_ids", "html5_site_crlf", "html5_switch_from_named"}) {
        temp_folder work;
        fs::copy(golden_input(name), work.path(), fs::copy_options::recursive);
        const auto original = temp_folder::files_below(work.path());
        EXPECT_EQ(check(work).status, 1) << name;
        EXPECT_EQ(temp_folder::files_below(work.path()), original) << name;
        ASSERT_EQ(run_program(vorn1_path(), {"-command", "project.txt"}, work.path(), epoch).status,
                  0)
            << name;
        auto first = temp_folder::files_below(work.path());
        const program_result up_to_date = check(work);
        EXPECT_EQ(up_to_date.out, "Orvane 1.0b\r\nTOC is up to date.\r\n") << name;
        EXPECT_EQ(up_to_date.status, 0) << name;
        ASSERT_EQ(run_program(vorn1_path(), {"-command", "project.txt"}, work.path(), epoch).status,
                  0)
            << name;
        EXPECT_EQ(temp_folder::files_below(work.path()), first) << name;
    }
}

TEST(rebuild, ShippedTemplatesRebuildToTheSameBytes) {
    // Their TOCs, local ones under page titles included, are found again as
    // the TOC of an earlier build: replaced, never added a second time.
    const fs::path templates = fs::path(ORVANE_TEST_DATA) / ".." / ".." / "data" / "vtdata";
    for (const auto& entry : fs::directory_iterator(templates)) {
        if (entry.path().extension() != ".html") continue;
        for (const char* name : {"single_in_place", "multi_titles_local_numbering"}) {
            temp_folder work;
            fs::copy(golden_input(name), work.path(), fs::copy_options::recursive);
            fs::copy_file(entry.path(), fs::path(work.path()) / "toc.tpl",
                          fs::copy_options::overwrite_existing);
            auto build = [&] {
                return run_program(vorn1_path(), {"-command", "project.txt"}, work.path(), epoch)
                    .status;
            };
            ASSERT_EQ(build(), 0) << name;
            auto first = temp_folder::files_below(work.path());
            ASSERT_EQ(build(), 0) << name;
            EXPECT_EQ(temp_folder::files_below(work.path()), first) << entry.path() << " " << name;
        }
    }
}

TEST(rebuild, ClearingGivesBackTheOriginalSite) {
    // Named anchors with navigation comments, and ids in LF and CR LF pages
    // with skipped headings.
    for (const char* name : {"multi_plain", "html5_site_crlf"}) {
        temp_folder work;
        fs::copy(golden_input(name), work.path(), fs::copy_options::recursive);
        auto original = temp_folder::files_below(work.path());
        ASSERT_EQ(run_program(vorn1_path(), {"-command", "project.txt"}, work.path(), epoch).status,
                  0);
        EXPECT_NE(temp_folder::files_below(work.path()), original);
        program_result r = run_program(vorn1_path(), {"-clear", "project.txt"}, work.path(), epoch);
        EXPECT_EQ(r.out, "Orvane 1.0b\r\nClearance is done\r\n");
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(temp_folder::files_below(work.path()), original) << name;
        // Clearing twice equals clearing once.
        ASSERT_EQ(run_program(vorn1_path(), {"-clear", "project.txt"}, work.path(), epoch).status,
                  0);
        EXPECT_EQ(temp_folder::files_below(work.path()), original) << name;
    }
}
