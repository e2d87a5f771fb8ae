// Golden cases: each folder under tests/data/golden/ holds a site (input/),
// the arguments of one vorn1 run (args, one per line), the expected report
// (report), exit code (status) and the expected files afterwards (expected/).
// The run happens on a fresh copy with SOURCE_DATE_EPOCH fixed; every file is
// compared byte for byte. ORVANE_REGENERATE=1 writes the results into
// expected/ instead (review them before committing).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p) {
    return temp_folder::read_file(p.string());
}

std::vector<std::string> lines_of(const fs::path& p) {
    std::vector<std::string> lines;
    std::ifstream in(p);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

// Relative paths of every file below root, sorted.
std::vector<std::string> files_below(const fs::path& root) {
    std::vector<std::string> files;
    if (!fs::exists(root)) return files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) files.push_back(fs::relative(e.path(), root).string());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> golden_cases() {
    std::vector<std::string> cases;
    fs::path root = fs::path(ORVANE_TEST_DATA) / "golden";
    if (fs::exists(root))
        for (const auto& e : fs::directory_iterator(root))
            if (e.is_directory()) cases.push_back(e.path().filename().string());
    std::sort(cases.begin(), cases.end());
    return cases;
}

class golden : public testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(golden, RunGivesExpectedFiles) {
    fs::path dir = fs::path(ORVANE_TEST_DATA) / "golden" / GetParam();
    temp_folder work;
    fs::copy(dir / "input", work.path(), fs::copy_options::recursive);
    program_result r = run_program(vorn1_path(), lines_of(dir / "args"), work.path(),
                                   {"SOURCE_DATE_EPOCH=1000000000"});
    if (std::getenv("ORVANE_REGENERATE")) {
        fs::remove_all(dir / "expected");
        fs::copy(work.path(), dir / "expected", fs::copy_options::recursive);
        std::ofstream(dir / "report", std::ios::binary) << r.out;
        std::ofstream(dir / "status") << r.status << "\n";
        GTEST_SKIP() << "regenerated";
    }
    EXPECT_EQ(r.out, slurp(dir / "report"));
    EXPECT_EQ(std::to_string(r.status), lines_of(dir / "status").at(0)) << r.err;
    EXPECT_EQ(files_below(work.path()), files_below(dir / "expected"));
    for (const std::string& f : files_below(dir / "expected"))
        EXPECT_EQ(slurp(fs::path(work.path()) / f), slurp(dir / "expected" / f)) << f;
}

INSTANTIATE_TEST_SUITE_P(cases, golden, testing::ValuesIn(golden_cases()),
                         [](const auto& test) { return test.param; });
