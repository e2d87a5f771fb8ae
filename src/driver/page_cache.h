// page_cache: what the pages of a site gave a build that left them as they
// were, kept between runs so that an unchanged page is not parsed again.
//
// An entry is found by the hash of the page's bytes and path under the
// run's digest (every setting and the template; page_cache_keys.h), and
// holds the hash of everything the page took from the pages before it
// (its context) and its TOC items. A run uses an entry only when both
// hashes match what it read itself, so the cache never decides a page on a
// file's time stamps, and an entry can only stand for bytes that the build
// would leave as they are.
//
// The cache of a project is one file in $XDG_CACHE_HOME/orvane/ (else
// ~/.cache/orvane/) named by the hash of the project file's real path. It
// holds a magic text, its format, the run's digest and a checksum of
// everything before it: a file that is missing, damaged, of another program
// version or another project, or of other settings, counts as empty. It is
// replaced whole (a temporary file renamed) after a successful run only;
// when it cannot be written the run goes on without it.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/hash128.h"
#include "core/vtstring.h"

// One TOC item of a page; its text and its link ("#" + anchor, as the scan
// made it) lie in its page's texts.
struct cached_item {
    int32_t level = 0;
    bool unnumbered = false;  // the item's unnumbered branch flag
    uint32_t text_size = 0;
    uint32_t link_size = 0;
};

struct cached_page {
    hash128 key;
    hash128 context;
    std::vector<cached_item> items;
    // Each item's text and then its link, in item order: a run keeps every
    // page it scanned until its end, and with them a block or two for the
    // page rather than for each of its items.
    std::string texts{};

    void add(int32_t level, bool unnumbered, std::string_view text, std::string_view link) {
        items.push_back({level, unnumbered, static_cast<uint32_t>(text.size()),
                         static_cast<uint32_t>(link.size())});
        texts.append(text).append(link);
    }
    // Calls f(item, text, link) for each item in order.
    template <class F>
    void each(F f) const {
        std::string_view rest = texts;
        for (const cached_item& item : items) {
            const std::string_view text = rest.substr(0, item.text_size);
            const std::string_view link = rest.substr(item.text_size, item.link_size);
            rest.remove_prefix(size_t{item.text_size} + item.link_size);
            f(item, text, link);
        }
    }
};

class page_cache {
  public:
    // The cache file of a project file: empty when it has no real path or
    // no cache folder can be named.
    static std::string file_for(std::string_view project_file);

    // The bytes of file as they are (empty when it cannot be read): any
    // thread may read them ahead.
    static vtstring read(const std::string& file);
    // Loads file, whose bytes data holds, for a run whose digest is digest;
    // anything unusable leaves the cache empty.
    page_cache(std::string file, const hash128& digest, const vtstring& data);

    // The entry of key, or null. Safe on any thread, keep included: keep
    // never changes what find sees.
    const cached_page* find(const hash128& key) const;

    // Every entry loaded, in the file's order.
    const std::deque<cached_page>& entries() const { return pages_; }

    // Keeps a page for save(): an entry found (it stays valid) or a new one.
    // The run's thread only.
    void keep(std::string_view output, const cached_page* found);
    void keep(std::string_view output, cached_page made);

    // Writes the kept pages whose output is not among changed (the files
    // the run changed or would change). Quietly does nothing when the file
    // cannot be written, and leaves the file alone when it would get the
    // bytes it has.
    void save(const std::vector<std::string_view>& changed) const;

  private:
    struct hash_of_key {
        size_t operator()(const hash128& h) const { return static_cast<size_t>(h.low); }
    };
    bool load(std::string_view data);
    // True when pages are the pages loaded, in the file's order: saving
    // them would give the file the bytes it has.
    bool as_loaded(const std::vector<const cached_page*>& pages) const;

    std::string file_;
    hash128 digest_;
    hash128 loaded_sum_{};           // the checksum of the file as loaded, if it was usable
    std::deque<cached_page> pages_;  // loaded, then made
    size_t loaded_ = 0;              // of them loaded
    std::unordered_map<hash128, const cached_page*, hash_of_key> by_key_;
    std::vector<std::pair<std::string_view, const cached_page*>> kept_;
};
