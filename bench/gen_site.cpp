// gen_site: writes one generated page of a given size, or a site of N pages.
//
//   gen_site page <bytes> <seed> <file>
//   gen_site site <pages> <bytes-per-page> <seed> <folder>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "site_generator.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: gen_site page <bytes> <seed> <file>\n"
                 "       gen_site site <pages> <bytes-per-page> <seed> <folder>\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "page") {
        const std::string page =
            generate_page(std::strtoull(argv[3], nullptr, 10), std::strtoull(argv[2], nullptr, 10));
        std::ofstream out(argv[4], std::ios::binary);
        out.write(page.data(), static_cast<std::streamsize>(page.size()));
        return out ? 0 : 1;
    }
    if (argc == 6 && std::string(argv[1]) == "site") {
        return generate_site(argv[5], std::atoi(argv[2]), std::strtoull(argv[3], nullptr, 10),
                             std::strtoull(argv[4], nullptr, 10))
                   ? 0
                   : 1;
    }
    return usage();
}
