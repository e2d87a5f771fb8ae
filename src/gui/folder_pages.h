// The pages under a folder, for "Add Folder..." and folders dropped on the
// window.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The HTML pages (names ending in ".html" or ".htm", any case) in folder and
// its subfolders, as paths beginning with folder. Hidden files and folders
// (names beginning with ".") are skipped and links to folders not followed,
// so the walk ends. Sorted by natural_less.
std::vector<std::string> folder_pages(const std::string& folder);

// Paths in the order people read them: compared part by part (a folder's
// name, then what is inside it), letters without regard to ASCII case,
// runs of digits by their number, so "2.html" comes before "10.html".
bool natural_less(std::string_view a, std::string_view b);
