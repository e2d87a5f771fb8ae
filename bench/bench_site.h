// The sites the end-to-end benchmarks build: generated ones, single pages and
// copies of documentation folders, each with its project and page list.
#pragma once

#include <string>
#include <vector>

// A folder with pages, the list of pages and the size of their bytes.
struct site {
    std::string name;
    std::string folder;
    std::vector<std::string> pages;
    double megabytes = 0;
};

// The generated site of pages pages of about page_bytes each, made in work
// on first use and kept there.
site generated_site(const std::string& work, int pages, size_t page_bytes);

// One generated page of bytes bytes.
site single_page(const std::string& work, size_t bytes);

// 466,033 empty h1 elements, just under the page size limit.
site dense_page(const std::string& work);

// A copy of a documentation folder: every .html file under it, in name order.
site docs_site(const std::string& work, const std::string& docs);

// Writes project.txt (the destination a TOC page, or the page itself when
// single, with the template of the build folder bin) and pages.txt (the
// page list of the floors) into the site. by_pattern names a generated
// site's pages as its first page and a pattern for the others (the same
// pages in the same order) instead of a line per page. Headings from h1 to
// h<range_to> are listed.
void write_project(const site& s, const std::string& bin, bool single, bool local_toc,
                   bool numbering = false, bool by_pattern = false, int range_to = 3);

// Bytes free for unprivileged users on the file system of path.
double free_bytes(const std::string& path);

// Fresh copies of sites, for runs that change them. Each copy gets a block
// group of its own (see spread_subfolders), and copies are kept until the
// object goes: a copy made where another was just deleted would build slower
// for reasons of the benchmark's own making.
class run_copies {
  public:
    explicit run_copies(const std::string& work);
    ~run_copies();
    run_copies(const run_copies&) = delete;
    run_copies& operator=(const run_copies&) = delete;

    // A new copy of s, synced to disk; its folder. Throws std::runtime_error
    // when the copy would leave less than 1 GB free.
    std::string make(const site& s);
    // Copies made, and folders passed over because creating files was slow
    // there.
    int copies() const { return copies_; }
    int crowded() const { return folders_ - copies_; }

  private:
    std::string root_;
    int folders_ = 0;
    int copies_ = 0;
};
