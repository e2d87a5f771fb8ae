// user_settings: what the main window keeps between runs in "vorn_set.txt"
// (remember flag, recent projects, window geometry, last folder, colour
// scheme), and the remembered format options in "vorn_format.txt".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/vtstring.h"

class toc_project;

struct saved_geometry {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    // A width or height of 0 means no geometry was saved.
    bool present() const { return width != 0 && height != 0; }
};

class user_settings {
  public:
    // Fills the fields from a settings file; missing keys read as 0 or empty.
    // On failure returns false with the reader's error and changes nothing.
    bool read(std::string_view path, vtstring& error);
    // Writes all fields, replacing the file; false when it cannot be written.
    bool write(std::string_view path) const;

    bool remember_format = false;
    std::string last_directory;
    std::vector<std::string> recent;  // most recent first, not cut to any limit
    saved_geometry geometry;
    int32_t colour_scheme = 0;  // 0 the desktop's, 1 light, 2 dark
};

// Copies the format keys (the Format Options page) of the project file at path into project.
// False (project untouched) when the file cannot be loaded.
bool read_format_options(std::string_view path, toc_project& project);
