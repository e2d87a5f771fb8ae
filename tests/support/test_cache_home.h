// The cache folder ($XDG_CACHE_HOME) of the programs a test runs: one for
// each test, below a folder of the test process that goes when the process
// ends, so that no test reads or writes the user's cache, nor another
// test's. Runs of one test share it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

inline std::string test_cache_home() {
    struct root_folder {
        std::string path;
        pid_t owner = getpid();
        root_folder() {
            char name[] = "/tmp/orvane-test-cache-XXXXXX";
            path = mkdtemp(name) ? name : "/tmp/orvane-test-cache";
        }
        ~root_folder() {
            std::error_code ignored;
            if (getpid() == owner) std::filesystem::remove_all(path, ignored);
        }
    };
    static const root_folder root;
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "none";
    for (char& c : name)
        if (c == '/') c = '_';
    return root.path + "/" + name;
}
