// The page cache seen from outside: whatever the cache folder holds, a run
// gives what a run with --no-cache gives, and the cache is only ever
// written there.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "driver/page_cache.h"
#include "reliability/site.h"
#include "support/test_cache_home.h"
#include "support/text_lines.h"

namespace reliability {
namespace {

const fs::path kGolden = fs::path(ORVANE_TEST_DATA) / "golden";
constexpr const char* kDoctored = " (cached)";

std::vector<std::string> cache_files() {
    std::vector<std::string> files;
    const fs::path folder = fs::path(test_cache_home()) / "orvane";
    if (fs::exists(folder))
        for (const auto& e : fs::directory_iterator(folder)) files.push_back(e.path().string());
    return files;
}

// The one cache file of the test.
std::string cache_file() {
    const std::vector<std::string> files = cache_files();
    EXPECT_EQ(files.size(), 1u);
    return files.empty() ? std::string() : files.front();
}

// Rewrites a cache as a liar: every item text it holds gets kDoctored, so
// that a run shows which pages it took from the cache.
void doctor(const std::string& file) {
    const std::string bytes = read_bytes(file);
    hash128 digest;
    // The digest follows the magic text and the format number.
    const size_t at = std::strlen("orvane page cache\n") + 4;
    ASSERT_GE(bytes.size(), at + 16);
    std::memcpy(&digest.low, bytes.data() + at, 8);
    std::memcpy(&digest.high, bytes.data() + at + 8, 8);
    page_cache cache(file, digest, page_cache::read(file));
    ASSERT_FALSE(cache.entries().empty());
    std::vector<cached_page> lies;
    for (const cached_page& page : cache.entries()) {
        cached_page& lie = lies.emplace_back(cached_page{page.key, page.context, {}, {}});
        page.each([&](const cached_item& item, std::string_view text, std::string_view link) {
            lie.add(item.level, item.unnumbered, std::string(text) + kDoctored, link);
        });
    }
    for (cached_page& page : lies) cache.keep("", std::move(page));
    cache.save({});
}

void copy_golden(const site& s, const std::string& name) {
    fs::copy(kGolden / name / "input", s.path(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

}  // namespace

// Every golden site, run again and again as its case says (first build,
// the same again on its input put back, rebuilds, on one thread and on two,
// then a check), gives with the cache the same report, exit code and files
// as without it; runs without it write no cache.
TEST(page_cache, GoldenSitesGiveTheSameWithTheCacheAsWithout) {
    for (const auto& e : fs::directory_iterator(kGolden)) {
        const std::string name = e.path().filename().string();
        std::vector<std::string> args = lines_of(e.path() / "args");
        std::vector<std::vector<std::string>> runs;
        for (const char* jobs : {"1", "2", "1", "1", "2"}) {
            runs.push_back({"--jobs", jobs});
            runs.back().insert(runs.back().end(), args.begin(), args.end());
        }
        for (std::string& arg : args)
            if (arg == "-command") arg = "-check";
        runs.push_back(args);
        site plain, cached;
        copy_golden(plain, name);
        copy_golden(cached, name);
        fs::remove_all(test_cache_home());
        for (size_t i = 0; i < runs.size(); ++i) {
            const std::vector<std::string>& run = runs[i];
            const size_t caches = cache_files().size();
            const run_result expected = run_vorn1(plain.path(), [&] {
                std::vector<std::string> off{"--no-cache"};
                off.insert(off.end(), run.begin(), run.end());
                return off;
            }());
            EXPECT_EQ(cache_files().size(), caches) << name;
            const run_result r = run_vorn1(cached.path(), run);
            EXPECT_EQ(r.out, expected.out) << name;
            EXPECT_EQ(r.exit_code, expected.exit_code) << name;
            EXPECT_TRUE(same_files(cached.files(), plain.files())) << name;
            // Pages put back as they were before the first run are built
            // again, not taken for the ones the cache saw unchanged.
            if (i == 0) {
                copy_golden(plain, name);
                copy_golden(cached, name);
            }
        }
    }
}

// A cache that lies about every page is believed for exactly the pages
// whose bytes and place it matches: not when it is damaged or belongs to
// another project, not for pages numbered after a page that changed, nor
// for a page edited keeping its size and times.
TEST(page_cache, OnlyWhatItMatchesIsTakenFromIt) {
    const std::string kSite = "multi_titles_local_numbering";
    const std::string kPage = "docs/intro.html";
    struct damage {
        const char* name;
        std::function<void(const site& s, const std::string& file)> apply;
        bool believed;  // the other pages' items come from the cache
    };
    const damage cases[] = {
        {"none", [](const site&, const std::string&) {}, true},
        {"a flipped byte",
         [](const site&, const std::string& file) {
             std::string bytes = read_bytes(file);
             bytes[bytes.size() / 2] ^= 0x20;
             std::ofstream(file, std::ios::binary) << bytes;
         },
         false},
        {"cut short",
         [](const site&, const std::string& file) {
             fs::resize_file(file, fs::file_size(file) * 2 / 3);
         },
         false},
        {"of another project",
         [&](const site&, const std::string& file) {
             site other;
             copy_golden(other, kSite);
             fs::remove(file);
             for (int i = 0; i < 2; ++i) ASSERT_EQ(build(other).exit_code, 0);
             doctor(cache_file());
             fs::rename(cache_file(), file);
         },
         false},
        {"the first page's title made a second top-level heading, which renumbers the others",
         [&](const site& s, const std::string&) {
             std::string page = s.read(kPage);
             const std::string title = "<title>Introduction</title>";
             ASSERT_NE(page.find(title), std::string::npos);
             page.erase(page.find(title), title.size());
             page.insert(page.rfind("</body>"), "<h1>Added</h1>\n");
             s.write(kPage, page);
         },
         false},
        {"a page edited keeping its size and times",
         [&](const site& s, const std::string&) {
             struct stat before {};
             ASSERT_EQ(stat(s.file(kPage).c_str(), &before), 0);
             std::string page = s.read(kPage);
             // The heading, after the page's own TOC.
             const size_t at = page.rfind("History");
             ASSERT_NE(at, std::string::npos);
             page.replace(at, 7, "Hystory");
             s.write(kPage, page);
             const timespec times[2] = {before.st_atim, before.st_mtim};
             ASSERT_EQ(utimensat(AT_FDCWD, s.file(kPage).c_str(), times, 0), 0);
         },
         true},
    };
    for (const damage& d : cases) {
        fs::remove_all(test_cache_home());
        site s;
        copy_golden(s, kSite);
        // The first build changes every page; the second leaves them as
        // they are, and the cache keeps them.
        for (int i = 0; i < 2; ++i) ASSERT_EQ(build(s).exit_code, 0) << d.name;
        const std::string file = cache_file();
        doctor(file);
        d.apply(s, file);
        site plain;
        plain.copy_from(s);
        const run_result expected =
            run_vorn1(plain.path(), {"--no-cache", "-command", "project.txt"});
        const run_result r = build(s);
        EXPECT_EQ(r.out, expected.out) << d.name;
        const std::string contents = s.read("docs/index.html");
        EXPECT_EQ(contents.find(kDoctored) != std::string::npos, d.believed) << d.name;
        if (!d.believed) {
            EXPECT_TRUE(same_files(s.files(), plain.files())) << d.name;
        }
        if (std::string(d.name).starts_with("a page edited")) {
            EXPECT_NE(contents.find("Hystory"), std::string::npos);
            EXPECT_EQ(contents.find(std::string("Hystory") + kDoctored), std::string::npos);
            EXPECT_EQ(s.read(kPage), plain.read(kPage));
        }
    }
}

// A run that fails (a page it cannot read), and one that would write the
// bytes the cache holds, leave the cache file as it was: same bytes, same
// file.
TEST(page_cache, FailedOrUnchangedRunLeavesItAsItWas) {
    site s;
    copy_golden(s, "multi_titles_local_numbering");
    for (int i = 0; i < 2; ++i) ASSERT_EQ(build(s).exit_code, 0);
    const std::string file = cache_file();
    struct stat before {
    }, after{};
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    const std::string bytes = read_bytes(file);
    EXPECT_EQ(build(s).exit_code, 0);
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "an unchanged rebuild wrote the cache again";
    s.write("appendix.html", std::string("\xFF\xFE<\0h\0", 6));
    EXPECT_EQ(build(s).exit_code, 1);
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_TRUE(same_bytes(read_bytes(file), bytes));
}

}  // namespace reliability
