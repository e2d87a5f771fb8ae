// setup_distribution: the files the installer copies, checked and measured.
//
// A distribution is a folder holding the listed files and the listed
// folders; of a listed folder only the files directly inside count (folders
// within are neither counted nor copied). The application icon is copied
// when the distribution has it; it is not required.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class setup_distribution {
  public:
    struct item {
        // Relative to the distribution folder: "readme.txt", "vtdata/toc.html".
        std::string name;
        int64_t size = 0;
    };

    // "setup", "remove", "readme.txt", "license.txt", "help.html",
    // "brenit.gif", "logo.gif", "vorn_set.txt".
    static const std::vector<std::string_view>& files();
    // "vtdata", "help".
    static const std::vector<std::string_view>& folders();

    // Lists the distribution in folder. False at the first listed file that
    // is missing (or a folder) or listed folder that cannot be listed;
    // missing() names it.
    bool check(std::string_view folder);

    const std::string& folder() const { return folder_; }
    // The files to copy, in order: the listed files, the icon when present,
    // then the files of each listed folder.
    const std::vector<item>& items() const { return items_; }
    // Sum of all item sizes, in bytes.
    int64_t required_size() const { return required_size_; }
    // The size in Kb as the installer shows it: bytes / 1024 + 1.
    int64_t required_kb() const { return required_size_ / 1024 + 1; }
    const std::string& missing() const { return missing_; }

  private:
    bool add_file(std::string name, bool required);
    bool add_folder(std::string_view name);

    std::string folder_;
    std::vector<item> items_;
    int64_t required_size_ = 0;
    std::string missing_;
};
