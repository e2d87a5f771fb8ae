// A temporary folder for tests, removed with everything in it at the end.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

class temp_folder {
  public:
    temp_folder() {
        char pattern[] = "/tmp/orvane-test-XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~temp_folder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    const std::string& path() const { return path_; }
    std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }
    std::string write(std::string_view name, std::string_view bytes) const {
        std::string p = file(name);
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    std::string read(std::string_view name) const { return read_file(file(name)); }
    static std::string read_file(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

  private:
    std::string path_;
};
