#include "bench_site.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "site_generator.h"
#include "spread_folders.h"

namespace fs = std::filesystem;

namespace {

double megabytes_of(const site& s) {
    double total = 0;
    for (const std::string& page : s.pages)
        total += static_cast<double>(fs::file_size(s.folder + "/" + page));
    return total / 1e6;
}

std::string tagged(const std::string& key, const std::string& value) {
    return "<" + key + ">" + value + "</" + key + ">\r\n";
}

}  // namespace

site generated_site(const std::string& work, int pages, size_t page_bytes) {
    site s;
    s.name = std::to_string(pages) + " pages";
    s.folder = work + "/gen-" + std::to_string(pages) + "-" + std::to_string(page_bytes);
    // The last page is written last: a site cut short by an interrupted run
    // is made again.
    if (!fs::exists(s.folder + "/" + site_page_name(pages - 1))) {
        fs::create_directories(s.folder);
        generate_site(s.folder, pages, page_bytes, 7);
    }
    for (int i = 0; i < pages; ++i) s.pages.push_back(site_page_name(i));
    s.megabytes = megabytes_of(s);
    return s;
}

site single_page(const std::string& work, size_t bytes) {
    site s;
    s.name = "single page";
    s.folder = work + "/gen-single";
    fs::create_directories(s.folder);
    std::ofstream(s.folder + "/big.html", std::ios::binary) << generate_page(11, bytes);
    s.pages.push_back("big.html");
    s.megabytes = megabytes_of(s);
    return s;
}

site dense_page(const std::string& work) {
    site s;
    s.name = "466,033 empty headings";
    s.folder = work + "/gen-dense";
    fs::create_directories(s.folder);
    std::ofstream page(s.folder + "/dense.html", std::ios::binary);
    for (int i = 0; i < 466033; ++i) page << "<h1></h1>";
    s.pages.push_back("dense.html");
    s.megabytes = 466033 * 9 / 1e6;
    return s;
}

site docs_site(const std::string& work, const std::string& docs) {
    site s;
    s.name = "docs " + fs::path(docs).filename().string();
    s.folder = work + "/gen-docs";
    fs::remove_all(s.folder);
    fs::copy(docs, s.folder, fs::copy_options::recursive);
    for (const auto& e : fs::recursive_directory_iterator(s.folder))
        if (e.is_regular_file() && e.path().extension() == ".html")
            s.pages.push_back(fs::relative(e.path(), s.folder).string());
    std::sort(s.pages.begin(), s.pages.end());
    s.megabytes = megabytes_of(s);
    return s;
}

void write_project(const site& s, const std::string& bin, bool single, bool local_toc,
                   bool numbering, bool by_pattern, int range_to) {
    std::ofstream p(s.folder + "/project.txt", std::ios::binary);
    p << tagged("is_single", single ? "1" : "0") << tagged("is_dest_as_source", "1")
      << tagged("destination", single ? s.pages[0] : "orvane-toc.html") << tagged("range_from", "1")
      << tagged("range_to", std::to_string(range_to))
      << tagged("process_numbering", numbering ? "1" : "0")
      << tagged("process_title", single ? "0" : "1")
      << tagged("insert_local_toc", local_toc ? "1" : "0")
      << tagged("template_file", fs::absolute(bin + "/vtdata/nested_list.html").string());
    if (by_pattern)
        p << tagged("source", s.pages[0]) << tagged("source_glob", "page*.html");
    else
        for (const std::string& page : s.pages) p << tagged("source", page);
    std::ofstream list(s.folder + "/pages.txt", std::ios::binary);
    for (const std::string& page : s.pages) list << page << "\n";
}

double free_bytes(const std::string& path) {
    struct statvfs st;
    if (statvfs(path.c_str(), &st) != 0) return 0;
    return static_cast<double>(st.f_bavail) * static_cast<double>(st.f_frsize);
}

run_copies::run_copies(const std::string& work)
    : root_(work + "/runs-" + std::to_string(getpid())) {
    fs::create_directories(root_);
    spread_subfolders(root_);
}

run_copies::~run_copies() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::string run_copies::make(const site& s) {
    if (free_bytes(root_) < s.megabytes * 1e6 + 1e9)
        throw std::runtime_error("not enough free disk for a copy of " + s.name + " in " + root_);
    const std::string to = quiet_subfolder(root_, folders_);
    ++copies_;
    fs::copy(s.folder, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    sync();
    return to;
}
