// Renders a TOC of about 100,000 events with each template of the
// distribution, and templates nesting true conditions thousands deep, and
// prints the time each takes. A plain program: run it from
// the build folder, no arguments.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/vtarr.h"
#include "template/vti.h"
#include "toc/toc_renderer.h"

namespace {

// Chapters of ten sections, every third section with four subsections: a
// chapter makes 1 + 10 + 3 * 4 openings and 1 + 3 closings.
int make_tree(toc_tree& toc, int events_wanted) {
    int events = 0;
    for (int c = 1; events < events_wanted; ++c) {
        toc_node* chapter = toc.make();
        toc.set_text(chapter, "Chapter " + std::to_string(c));
        toc.set_link(chapter, "#velt_link_" + std::to_string(c) + "_1700000000");
        toc.set_numbering(chapter, std::to_string(c) + ". ");
        toc.append_top(chapter);
        ++events;
        for (int s = 1; s <= 10; ++s) {
            toc_node* section = toc.make();
            toc.set_text(section, "A section title of ordinary length");
            toc.set_link(section, "page.html#velt_link_" + std::to_string(s));
            toc.set_numbering(section, std::to_string(c) + "." + std::to_string(s) + ". ");
            toc.append_child(section, chapter);
            ++events;
            if (s % 3) continue;
            for (int u = 1; u <= 4; ++u) {
                toc_node* sub = toc.make();
                toc.set_text(sub, "Sub");
                toc.set_link(sub, "#s");
                toc.append_child(sub, section);
                ++events;
            }
            ++events;
        }
        ++events;
    }
    toc.indent = "  ";
    return events;
}

// The variables of n events, flat: the engine's share of the work alone.
void make_variables(vti_variables& vars, int n) {
    for (int i = 0; i < n; ++i) {
        const bool open = i % 5 != 4;
        vars["item"].push_back(vtval(i + 1));
        vars["text"].push_back(vtval(open ? "A section title of ordinary length" : ""));
        vars["link"].push_back(vtval(open ? "page.html#velt_link_5_1700000000" : ""));
        vars["open"].push_back(vtval(open ? 1 : 0));
        vars["numbering"].push_back(vtval(open ? "12.5. " : ""));
        vars["level"].push_back(vtval(i % 3));
        vars["indentation"].push_back(vtval(std::string(static_cast<size_t>(2 * (i % 3)), ' ')));
        vars["children"].push_back(vtval::make_bool(!open || i % 7 == 0));
    }
}

struct timing {
    double wall = 1e9;
    double cpu = 1e9;
    size_t bytes = 0;
};

// Best of five runs of f, which returns the bytes it produced.
template <class F>
timing measure(F f) {
    timing t;
    for (int round = 0; round < 5; ++round) {
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t cpu_start = std::clock();
        t.bytes = f();
        const double cpu = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
        t.wall = wall.count() < t.wall ? wall.count() : t.wall;
        t.cpu = cpu < t.cpu ? cpu : t.cpu;
    }
    return t;
}

void print(const char* what, const char* name, const timing& t) {
    std::printf("%-8s %-24s wall %7.1f ms  cpu %7.1f ms  %10zu bytes out\n", what, name,
                t.wall * 1000, t.cpu * 1000, t.bytes);
}

// One run of the engine over a whole template; the bytes it produced.
size_t run_engine(const vti_variables& vars, const std::string& tmpl) {
    vti engine(vars);
    engine.add(tmpl);
    engine.process();
    engine.mark_end();
    engine.process();
    std::vector<vtstring> out;
    engine.take_output(out);
    size_t bytes = 0;
    for (const vtstring& s : out) bytes += static_cast<size_t>(s.length());
    return bytes;
}

}  // namespace

int main() {
    toc_tree toc;
    const int events = make_tree(toc, 100000);
    vti_variables vars;
    make_variables(vars, events);
    std::printf("%d events; best of five runs\n", events);
    const char* templates[] = {"indented_list.html", "nested_list.html", "numbered_outline.html",
                               "sidebar.html"};
    for (const char* name : templates) {
        const std::string path = std::string(ORVANE_SOURCE_DIR "/data/vtdata/") + name;
        std::stringstream text;
        text << std::ifstream(path, std::ios::binary).rdbuf();
        const std::string tmpl = text.str();
        if (tmpl.empty()) {
            std::printf("%s cannot be read\n", path.c_str());
            return 1;
        }
        print("engine", name, measure([&] { return run_engine(vars, tmpl); }));
        print("render", name, measure([&] {
                  toc_renderer renderer;
                  size_t bytes = 0;
                  if (renderer.open(path))
                      renderer.render(toc, toc.first(),
                                      [&](std::string_view piece) { bytes += piece.size(); });
                  return bytes;
              }));
    }
    // Conditions nested deep, every one true: each level's body runs once.
    for (int depth : {5000, 10000, 20000, 40000}) {
        std::string tmpl;
        for (int i = 0; i < depth; ++i) tmpl += "<!--#if var=\"open\"-->(";
        tmpl += "<!--#echo var=\"text\"-->";
        for (int i = 0; i < depth; ++i) tmpl += ")<!--#else-->no<!--#endif-->";
        const std::string name = "if nested " + std::to_string(depth) + " deep";
        print("engine", name.c_str(), measure([&] { return run_engine(vars, tmpl); }));
    }
    return 0;
}
