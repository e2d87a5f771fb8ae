// A temporary folder for tests, removed with everything in it at the end.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>

class temp_folder {
  public:
    temp_folder() {
        char pattern[] = "/tmp/orvane-test-XXXXXX";
        path_ = mkdtemp(pattern);
    }
    // Folders a test made unwritable or unreadable are opened up first, so
    // that nothing is left behind when the test does not run as root.
    ~temp_folder() {
        std::error_code ec;
        for (auto& e : std::filesystem::recursive_directory_iterator(path_, ec))
            if (!e.is_symlink(ec))
                std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
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
    // Every regular file below root with its bytes, by relative path.
    static std::map<std::string, std::string> files_below(const std::filesystem::path& root) {
        std::map<std::string, std::string> files;
        for (const auto& e : std::filesystem::recursive_directory_iterator(root))
            if (e.is_regular_file())
                files[std::filesystem::relative(e.path(), root).string()] =
                    read_file(e.path().string());
        return files;
    }

  private:
    std::string path_;
};
