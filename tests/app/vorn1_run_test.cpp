// Runs the built program as a user would and checks what it writes and how it
// exits.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/vtfile_test_util.h"

using file_test::put;
using file_test::scratch_dir;

namespace {

struct run_result {
    int exit_code = -1;
    std::string out;
    std::string err;
};

std::string drain(int fd) {
    std::string all;
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) all.append(buf, static_cast<size_t>(n));
    close(fd);
    return all;
}

run_result run(const std::string& program, std::vector<std::string> args) {
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return {};
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]);
        close(err[0]);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    run_result r;
    r.err = drain(err[0]);  // small outputs: a pipe holds them whole
    r.out = drain(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

const std::string kVorn1 = ORVANE_BUILD_DIR "/vorn1";
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
        EXPECT_EQ(r.exit_code, 2);
        EXPECT_EQ(r.err, "");
    }
}

TEST(vorn1_run, OtherProgramNamesExitSilently) {
    scratch_dir dir;
    std::filesystem::copy_file(kVorn1, dir / "other");
    run_result r = run(dir / "other", {"-command"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");

    std::filesystem::copy_file(kVorn1, dir / "VORN1");
    r = run(dir / "VORN1", {"-Command"});
    EXPECT_EQ(r.out, kParameterError) << "the program name is compared in small letters";
    EXPECT_EQ(r.exit_code, 2);
}

TEST(vorn1_run, UnreadableProjectIsAFailedBatchRun) {
    scratch_dir dir;
    std::string project = dir / "broken.txt";
    put(project, "<is_single>1</is_single>\r\n<source>");
    run_result r = run(kVorn1, {"-command", project});
    EXPECT_TRUE(r.out.starts_with("Orvane 1.0b\r\nError occurred: ")) << r.out;
    EXPECT_EQ(r.exit_code, 1);
}
