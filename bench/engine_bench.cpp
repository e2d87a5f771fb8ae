// Microbenchmarks of the engine's stages, each on generated input held in
// memory: the HTML reader, the heading scan, the write-out, the tagged-text
// reader, the template engine over 100,000 events, and the whole in-memory
// page pipeline (read + scan + local TOC + write-out) over a generated site.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/vtarr.h"
#include "html/vthtml.h"
#include "html/vtxml.h"
#include "site_generator.h"
#include "template/vti.h"
#include "toc/html_toc.h"
#include "toc/toc_renderer.h"
#include "toc/toc_writer.h"

namespace {

const std::string& one_mb_page() {
    static const std::string page = generate_page(42, 1 << 20);
    return page;
}

// The reader fed as read_html_file feeds it: 16,384-byte chunks.
void parse(std::string_view bytes, xml_tree& tree) {
    tree.add_leading_empty_node();
    vthtml reader(tree);
    for (size_t at = 0; at < bytes.size(); at += 16384) {
        reader.add(bytes.substr(at, 16384));
        reader.run();
    }
    reader.set_input_complete();
    reader.run();
}

void set_bytes(benchmark::State& state, size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

void html_reader(benchmark::State& state) {
    for (auto _ : state) {
        xml_tree tree;
        parse(one_mb_page(), tree);
        benchmark::DoNotOptimize(tree.first());
    }
    set_bytes(state, one_mb_page().size());
}
BENCHMARK(html_reader)->Unit(benchmark::kMillisecond);

void heading_scan(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        xml_tree tree;
        parse(one_mb_page(), tree);
        toc_tree toc;
        state.ResumeTiming();
        html_toc scan;
        scan.document = &tree;
        scan.toc = &toc;
        scan.range_to = 3;
        scan.process_numbering = true;
        scan.time_stamp = 1700000000;
        scan.scan_headings();
        benchmark::DoNotOptimize(toc);
    }
    set_bytes(state, one_mb_page().size());
}
BENCHMARK(heading_scan)->Unit(benchmark::kMillisecond);

void write_out(benchmark::State& state) {
    xml_tree tree;
    parse(one_mb_page(), tree);
    for (auto _ : state) {
        vtstring out;
        write_tree(tree, out);
        benchmark::DoNotOptimize(out.data());
    }
    set_bytes(state, one_mb_page().size());
}
BENCHMARK(write_out)->Unit(benchmark::kMillisecond);

// A tagged settings text of about 1 MB: a project with many pages.
const std::string& tagged_text() {
    static const std::string text = [] {
        std::string t = "<is_single>0</is_single>\r\n<template_file>a.html</template_file>\r\n";
        for (int i = 0; t.size() < (1u << 20); ++i)
            t += "<source>pages/chapter &amp; part " + std::to_string(i) + ".html</source>\r\n";
        return t;
    }();
    return text;
}

void tagged_reader(benchmark::State& state) {
    const std::string_view text = tagged_text();
    for (auto _ : state) {
        xml_tree tree;
        vtxml reader(tree);
        for (size_t at = 0; at < text.size(); at += 8092) {
            reader.add(text.substr(at, 8092));
            reader.run();
        }
        reader.set_input_complete();
        benchmark::DoNotOptimize(reader.run());
    }
    set_bytes(state, text.size());
}
BENCHMARK(tagged_reader)->Unit(benchmark::kMillisecond);

// 100,000 events of a nested-list template: every event opens an item or
// closes a level.
void template_engine(benchmark::State& state) {
    constexpr int events = 100000;
    vti_variables vars;
    for (int i = 0; i < events; ++i) {
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
    const std::string tmpl =
        "<!--#for var=\"item\"--><!--#if var=\"open\"--><li><a href=\"<!--#echo "
        "var=\"link\"-->\"><!--#echo var=\"numbering\"--><!--#echo var=\"text\"--></a>"
        "<!--#if var=\"children\"--><ul><!--#endif--><!--#else--></ul></li><!--#endif-->\r\n"
        "<!--#endfor-->";
    for (auto _ : state) {
        vti engine(vars);
        engine.add(tmpl);
        engine.process();
        engine.mark_end();
        engine.process();
        std::vector<vtstring> out;
        engine.take_output(out);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["events"] = events;
}
BENCHMARK(template_engine)->Unit(benchmark::kMillisecond);

// The in-memory engine: each page of a 100-page site read, scanned with
// titles and numbering, given a local TOC and written out to memory.
void page_pipeline(benchmark::State& state) {
    static const std::vector<std::string> pages = [] {
        std::vector<std::string> p;
        for (int i = 0; i < 100; ++i) p.push_back(generate_page(7, 23000, i, 100));
        return p;
    }();
    size_t bytes = 0;
    for (const std::string& p : pages) bytes += p.size();
    for (auto _ : state) {
        toc_tree toc;
        toc_node* last = nullptr;
        for (const std::string& page : pages) {
            xml_tree tree;
            parse(page, tree);
            html_toc scan;
            scan.document = &tree;
            scan.toc = &toc;
            scan.current_item = last;
            scan.range_to = 3;
            scan.process_title = true;
            scan.time_stamp = 1700000000;
            scan.scan_headings();
            const toc_node* first_new = last ? toc_tree::next(last) : toc.first();
            last = scan.current_item;
            vtarr pieces;
            toc_renderer renderer;
            if (renderer.open(ORVANE_BUILD_DIR "/vtdata/nested_list.html"))
                renderer.render(toc, first_new,
                                [&](std::string_view piece) { pieces.push_back(vtval(piece)); });
            vtstring out;
            write_with_toc(tree,
                           {scan.toc_start_marker, scan.toc_end_marker, scan.insertion_point,
                            scan.after_subtree},
                           &pieces, out);
            benchmark::DoNotOptimize(out.data());
        }
    }
    set_bytes(state, bytes);
}
BENCHMARK(page_pipeline)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
