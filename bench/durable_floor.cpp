// durable_floor: the least any tool must do to rewrite pages safely, so that
// a build can be compared with it in the same run.
//
//   durable_floor <list-file>
//
// For each path in list-file (one a line, relative to the current folder):
// read the whole page, write it to a new temporary file beside it, fdatasync
// the temporary file and rename it over the page. No parsing at all.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

bool read_all(const std::string& path, std::vector<char>& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bytes.clear();
    char block[65536];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        bytes.insert(bytes.end(), block, block + n);
    }
    return ::close(fd) == 0;
}

bool write_all(int fd, const char* p, size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w <= 0) return false;
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

bool rewrite(const std::string& path, const std::vector<char>& bytes) {
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    const bool ok = write_all(fd, bytes.data(), bytes.size()) && fdatasync(fd) == 0;
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
        if (!read_all(path, bytes) || !rewrite(path, bytes)) {
            std::fprintf(stderr, "durable_floor: cannot rewrite %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
