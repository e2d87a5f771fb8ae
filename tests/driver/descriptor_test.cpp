// Every reader holds its file through an owning handle: whichever way a read
// ends, no descriptor stays open (a long session in the window builds many
// times, and each leak would cost one of its descriptors for good).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "core/page_size_limit.h"
#include "driver/build_project.h"
#include "driver/clear_project.h"
#include "html/vthtml.h"
#include "project/toc_project.h"
#include "project/vthash_array.h"
#include "support/temp_folder.h"
#include "toc/toc_renderer.h"

namespace {

size_t open_descriptors() {
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

int read_page(const std::string& path) {
    xml_tree tree;
    vtstring error;
    return read_html_file(path, tree, error, nullptr, nullptr);
}

bool read_settings(const std::string& path) {
    vthash_array settings;
    vtstring error;
    return settings.read(path, error);
}

int render(const std::string& template_path) {
    toc_tree toc;
    toc_node* item = toc.make();
    toc.set_text(item, "A");
    toc.append_top(item);
    toc_renderer renderer;
    if (!renderer.open(template_path)) return 1;
    return renderer.render(toc, item, [](std::string_view) {}) ? 0 : 1;
}

// Builds (or clears) a project of the one page.
int run(const std::string& page, const std::string& template_path, bool single, bool clear) {
    toc_project p;
    p.is_single = vtval(single ? 1 : 0);
    p.source.clear();
    p.source.push_back(vtval(page));
    p.destination = vtval(page + ".toc.html");
    p.template_file = vtval(template_path);
    return clear ? clear_project(p, nullptr, nullptr) : build_project(p, nullptr, nullptr);
}

}  // namespace

TEST(descriptors, NoReadLeavesOneOpen) {
    temp_folder dir;
    const std::string page = dir.write("p.html", "<h1>A</h1>");
    const std::string utf16 = dir.write("u.html", std::string("\xFF\xFE<\0h\0", 6));
    const std::string huge = dir.write("big.html", std::string(page_size_limit, 'x'));
    const std::string bad_settings = dir.write("bad.txt", "<a><b></a>");
    const std::string good_settings = dir.write("good.txt", "<a>1</a>");
    const std::string tpl = dir.write("t.tpl", "<!--#for var=\"item\"-->x<!--#endfor-->");
    const std::string missing = dir.file("missing");
    const std::string unreadable = "/proc/self/mem";  // opens, then every read fails

    struct step {
        const char* what;
        std::function<bool()> run;  // true when the step ended as expected
    };
    const step steps[] = {
        {"page read", [&] { return read_page(page) == 0; }},
        {"missing page", [&] { return read_page(missing) == 1; }},
        {"folder as page", [&] { return read_page(dir.path()) != 0; }},
        {"UTF-16 page", [&] { return read_page(utf16) == 1; }},
        {"page too large", [&] { return read_page(huge) == VTSGML_SIZE_EXCEEDED; }},
        {"page read fails", [&] { return read_page(unreadable) == 1; }},
        {"settings read", [&] { return read_settings(good_settings); }},
        {"malformed settings", [&] { return !read_settings(bad_settings); }},
        {"settings read fails", [&] { return !read_settings(unreadable); }},
        {"template read", [&] { return render(tpl) == 0; }},
        {"missing template", [&] { return render(missing) == 1; }},
        {"template read fails", [&] { return render(unreadable) == 1; }},
        {"single build", [&] { return run(page, tpl, true, false) == 0; }},
        {"single build, template missing", [&] { return run(page, missing, true, false) == 1; }},
        {"site build, template missing", [&] { return run(page, missing, false, false) == 1; }},
        {"site build, page too large", [&] { return run(huge, tpl, false, false) == 2; }},
        {"site clearing, page unreadable", [&] { return run(utf16, tpl, false, true) == 1; }},
    };
    for (const step& s : steps) {
        const size_t before = open_descriptors();
        EXPECT_TRUE(s.run()) << s.what;
        EXPECT_EQ(open_descriptors(), before) << s.what;
    }
}
