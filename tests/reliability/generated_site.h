// Generated sites for the fault tests: pages in a few folders, the files of
// an uninterrupted build, and the check that every file is old or new.
#pragma once

#include <string>
#include <vector>

#include "reliability/site.h"
#include "support/page_generator.h"

namespace reliability {

inline const std::string kDone = "Orvane 1.0b\r\nBuild is complete.\r\n";

// A site of generated pages in a few folders and a destination page.
inline void make_site(const site& s, int pages) {
    std::vector<std::string> sources;
    for (int i = 0; i < pages; ++i) {
        const std::string name =
            "part" + std::to_string(i % 7) + "/page" + std::to_string(i) + ".html";
        page_options options;
        options.navigation = i % 3 == 0;
        s.write(name, generate_page(static_cast<unsigned>(1000 + i), options));
        sources.push_back(name);
    }
    s.write("index.html", "<html><body><h1>Contents</h1><!-- toc --></body></html>");
    s.project(sources, false, "index.html");
}

// The files of a completed build of a copy of s.
inline snapshot built_copy(const site& s) {
    site copy;
    copy.copy_from(s);
    const run_result r = build(copy);
    EXPECT_EQ(r.out, kDone) << r.err;
    return copy.files();
}

// Each file of now holds its bytes of before or of after; temporary files
// are reported separately.
inline ::testing::AssertionResult old_or_new(const snapshot& now, const snapshot& before,
                                             const snapshot& after) {
    for (const auto& [name, bytes] : now) {
        // Staged files and the folder's lock file of a killed run are left
        // for the next run to remove.
        if (name.find(".orvane-tmp") != std::string::npos || name.ends_with(".orvane-lock"))
            continue;
        const auto old_bytes = before.find(name);
        const auto new_bytes = after.find(name);
        const bool is_old = old_bytes != before.end() && old_bytes->second == bytes;
        const bool is_new = new_bytes != after.end() && new_bytes->second == bytes;
        if (!is_old && !is_new)
            return ::testing::AssertionFailure() << name << " is neither old nor new";
    }
    for (const auto& [name, bytes] : before)
        if (!now.count(name)) return ::testing::AssertionFailure() << name << " is missing";
    return ::testing::AssertionSuccess();
}

}  // namespace reliability
