// Reading and writing back a realistic ~1 MB page: the hot path of every
// build. Prints MB/s and the heap the document takes relative to the page.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "html/vthtml.h"
#include "site_generator.h"

namespace {

struct page_file {
    std::string path;
    std::string bytes;
    explicit page_file(size_t size) {
        bytes = generate_page(42, size);
        char name[] = "/tmp/orvane-bench-XXXXXX";
        const int fd = mkstemp(name);
        path = name;
        if (fd >= 0) close(fd);
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    ~page_file() { std::remove(path.c_str()); }
};

const page_file& page(size_t size) {
    static page_file one_mb(1 << 20);
    static page_file hundred_kb(100 << 10);
    return size == (1u << 20) ? one_mb : hundred_kb;
}

void read_and_write_file(benchmark::State& state) {
    const page_file& p = page(static_cast<size_t>(state.range(0)));
    size_t peak = 0;
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        xml_tree tree;
        tree.add_leading_empty_node();
        vtstring error;
        if (read_html_file(p.path, tree, error, nullptr, nullptr) != 0)
            state.SkipWithError(error.data());
        vtstring out;
        write_tree(tree, out);
        const size_t used = mallinfo2().uordblks - before;
        if (used > peak) peak = used;
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(p.bytes.size()));
    state.counters["heap_x_page"] = static_cast<double>(peak) / static_cast<double>(p.bytes.size());
    int nodes = 0;
    xml_tree tree;
    vtstring error;
    read_html_file(p.path, tree, error, nullptr, nullptr);
    for (const xml_node* n = tree.first(); n; n = xml_tree::next(n)) ++nodes;
    state.counters["bytes_per_node"] = static_cast<double>(p.bytes.size()) / nodes;
}
BENCHMARK(read_and_write_file)->Arg(1 << 20)->Arg(100 << 10)->Unit(benchmark::kMillisecond);

void read_in_memory(benchmark::State& state) {
    const page_file& p = page(1 << 20);
    for (auto _ : state) {
        xml_tree tree;
        vthtml reader(tree);
        for (size_t at = 0; at < p.bytes.size(); at += 16384)
            reader.add(std::string_view(p.bytes).substr(at, 16384)), reader.run();
        reader.set_input_complete();
        benchmark::DoNotOptimize(reader.run());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(p.bytes.size()));
}
BENCHMARK(read_in_memory)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
