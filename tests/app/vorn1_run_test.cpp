// Runs the built program as a user would and checks what it writes and how it
// exits.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "app/vorn1_runner.h"
#include "core/vtfile_test_util.h"

using file_test::put;
using file_test::scratch_dir;
using vorn1_runner::kVorn1;
using vorn1_runner::run;
using vorn1_runner::run_result;

namespace {

const std::string kParameterError =
    "Orvane 1.0b\r\nParameter error.\r\nCommand line syntax is:\r\nvorn1 -command project_filename";

}  // namespace

TEST(vorn1_run, ParameterErrorsReportExactlyAndExitTwo) {
    scratch_dir dir;
    for (const auto& args : std::vector<std::vector<std::string>>{{"-command"},
                                                                  {"-command", dir / "missing.txt"},
                                                                  {"-command", dir.path()},
                                                                  {"-COMMAND", dir / "missing.txt"},
                                                                  {"-clear"}}) {
        run_result r = run(kVorn1, args);
        EXPECT_EQ(r.out, kParameterError) << args[0] << " " << args.size();
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "");
    }
}

TEST(vorn1_run, OtherProgramNamesExitSilently) {
    scratch_dir dir;
    std::filesystem::copy_file(kVorn1, dir / "other");
    run_result r = run(dir / "other", {"-command"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");

    std::filesystem::copy_file(kVorn1, dir / "VORN1");
    r = run(dir / "VORN1", {"-Command"});
    EXPECT_EQ(r.out, kParameterError) << "the program name is compared in small letters";
    EXPECT_EQ(r.status, 2);
}

TEST(vorn1_run, UnreadableProjectIsAFailedBatchRun) {
    scratch_dir dir;
    std::string project = dir / "broken.txt";
    put(project, "<is_single>1</is_single>\r\n<source>");
    run_result r = run(kVorn1, {"-command", project});
    EXPECT_TRUE(r.out.starts_with("Orvane 1.0b\r\nError occurred: ")) << r.out;
    EXPECT_EQ(r.status, 1);
}
