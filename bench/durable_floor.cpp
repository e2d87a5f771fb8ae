// durable_floor: the least any tool must do to rewrite pages safely, so that
// a build can be compared with it in the same run.
//
//   durable_floor <list-file>
//
// For each path in list-file (one a line, relative to the current folder):
// read the whole page, write it to a new temporary file beside it, fdatasync
// the temporary file and rename it over the page. No parsing at all.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "floor_io.h"

namespace {

bool rewrite(const std::string& path, const std::vector<char>& bytes) {
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    const bool ok = floor_write_all(fd, bytes.data(), bytes.size()) && fdatasync(fd) == 0;
    if (::close(fd) != 0 || !ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: durable_floor <list-file>\n");
        return 2;
    }
    std::ifstream list(argv[1]);
    std::vector<char> bytes;
    std::string path;
    while (std::getline(list, path)) {
        if (path.empty()) continue;
        if (!floor_read_all(path, bytes) || !rewrite(path, bytes)) {
            std::fprintf(stderr, "durable_floor: cannot rewrite %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
