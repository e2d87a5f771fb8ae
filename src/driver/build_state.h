// build_state: what one build or clearing run carries from page to page.
//
// The TOC collected so far, the progress scale and the error text of the
// run; and the one way in which the run's pages are read and written, so
// that what a run does with files is decided here alone: every page is
// staged, and the run commits them all at its end or none.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string_view>
#include <vector>

#include "core/hash128.h"
#include "core/vtstring.h"
#include "driver/build_progress.h"
#include "driver/page_bytes.h"
#include "driver/page_cache.h"
#include "driver/site_toc_ahead.h"
#include "files/file_staging.h"
#include "files/vtfile_error.h"
#include "html/xml_node.h"
#include "toc/toc_node.h"
#include "toc/toc_placement.h"
#include "toc/toc_renderer.h"

// The messages of runs stopped at the caller's request.
inline constexpr std::string_view build_cancelled_text = "Build cancelled.";
inline constexpr std::string_view clear_cancelled_text = "Clearing cancelled.";

// A TOC rendered into a page while the page is written.
struct toc_rendering {
    // Opened here unless already open: a caller that must know of a
    // missing template before anything else opens it first.
    toc_renderer& renderer;
    std::string_view template_path;
    const toc_tree& toc;
    // The first item rendered; none gives markers and comment alone.
    const toc_node* start = nullptr;
    // The first item not rendered; none renders to the tree's end.
    const toc_node* end = nullptr;
    // Rendered already, without a line end, when given (site_toc_ahead): it
    // is written with the page's line end instead of rendered, and failed
    // as a rendering that could not read its template to the end.
    const site_toc_ahead* ahead = nullptr;
};

// A page read on a worker thread (read_early), then taken by the run's
// thread in the run's order (take_read), which tells the caller what
// read_page would have told it, progress and notice included.
struct early_read {
    file_staging::page_source source;
    vtfile_error why = vtfile_error::none;  // of an open that failed
    bool opened = false;
    int result = 1;
    vtstring error;
    std::vector<int> progress;  // the percentages reported while reading
    // A page that the cache may hold is read whole first; when the cache
    // has an entry for its bytes (found), it is not parsed here.
    bool whole = false;
    page_bytes bytes;
    hash128 key;
    const cached_page* found = nullptr;
    // Waits until the worker is done; take_read calls it after the notice.
    // False: the run stops there, its error set.
    std::function<bool()> ready;
};

// A page written on a worker thread: opened and given its TOC's text by the
// run's thread (write_page), written by the worker (write_deferred), and
// finished by the run's thread in the run's order (finish_write).
struct deferred_write {
    staged_file file;
    std::string_view path;
    std::string_view template_path;
    const xml_tree* document = nullptr;
    toc_placement placement;
    vtstring toc_text;        // the TOC rendered, when the page gets one
    bool rendered = true;     // false: the template could not be read
    bool written = false;     // by write_deferred
    bool toc_failed = false;  // the write needed the TOC that failed
};

class build_state {
  public:
    // Progress goes to progress (may be null) with context, unscaled until
    // the run sets the scale; each page read is told to pages (may be null).
    // Pages are staged and committed together (policy commit), or only
    // compared (check).
    build_state(progress_fn progress, void* context, page_fn pages = nullptr,
                write_policy policy = write_policy::commit)
        : files(policy),
          scale{.context = context, .callback = progress},
          pages_(pages),
          context_(context) {}

    // Before the first page: waits for other runs that write into the
    // folders of the outputs, removes the temporary files that interrupted
    // runs left beside the outputs (never a file of listed, the files the
    // project names), and, for a check, learns which of them the run reads
    // more than once. False, with error set, when another program held a
    // folder for too long.
    bool begin(const std::vector<std::string_view>& outputs,
               const std::vector<std::string_view>& listed);
    // Reads the page at path into document, after the empty node that every
    // document starts with, reporting through page_scale when given; a page
    // this run wrote already is read as written. 0, or the reader's non-zero
    // result with error set (read_html_file); 1 with cancelled_text when the
    // caller asked the run to stop.
    // With whole, a page below cached_page_limit is only read into
    // whole->bytes (page_bytes.h), unparsed and unreported, and whole->whole
    // is set.
    int read_page(std::string_view path, xml_tree& document, build_progress* page_scale,
                  early_read* whole = nullptr);
    // read_page in three steps, the first two on any thread.
    void open_early(std::string_view path, early_read& read);
    // Reads the page of source index into document, or when the cache may
    // hold it, into read.bytes and then document unless the cache has it.
    void read_opened(std::string_view path, size_t index, xml_tree& document,
                     early_read& read) const;
    // The page's file goes back to the run for the page's write.
    int take_read(std::string_view path, early_read& read, build_progress* page_scale);
    // Whether the page cache may hold the page of source index.
    bool caches(size_t index) const {
        return cache && index < cacheable.size() && cacheable[index];
    }
    // The cache's key of a page read whole, and its entry (null: none).
    const cached_page* cached(std::string_view path, const page_bytes& bytes, hash128& key) const;
    // Stages document as the new bytes of path, without the old TOC of
    // placement and, when rendering is given, with the new one rendered in its
    // place; a page whose bytes stay the same is left alone. path must live
    // as long as this state. 0, or 1 with error naming path or the template
    // (or cancelled_text).
    // With later, the page is only opened and its TOC rendered: write_deferred
    // writes it (on any thread), finish_write then ends as write_page would.
    int write_page(std::string_view path, const xml_tree& document, const toc_placement& placement,
                   const toc_rendering* rendering, deferred_write* later = nullptr);
    // What write_page does before it writes, for a page whose bytes the
    // page cache knows to stay the same: the stop asked for, and the check
    // that path may be written. 0, or 1 with error set.
    int keep_page(std::string_view path);
    static void write_deferred(deferred_write& later);
    int finish_write(deferred_write& later);
    // Puts every staged page in place. 0, or 1 with error naming the page
    // that failed; no page changed then (file_staging.h). A run asked to
    // stop before this point fails here with cancelled_text; once the pages
    // are being put in place it no longer stops.
    int commit();

    // The absolute, normal form of a path of the run (made once: page_ref.h).
    std::string normal_path(std::string_view path) const;

    // Sets error and gives 1.
    int fail(std::string_view message);
    int fail(vtfile_error why, std::string_view path);
    // The callback of page notices and its context; a run on several
    // threads holds the notices back for a while (parallel_pages.h).
    page_fn notices(void*& context) const {
        context = context_;
        return pages_;
    }
    void set_notices(page_fn pages, void* context) {
        pages_ = pages;
        context_ = context;
    }
    // Reports 100 to the caller: the run is done.
    void done() const {
        if (scale.callback) scale.callback(100, scale.context);
    }

    // The run's files: staged until commit(), removed if it never comes.
    file_staging files;
    toc_tree toc;
    // The last item so far.
    toc_node* last = nullptr;
    build_progress scale;
    vtstring error;
    // Set by the caller (on any thread) to stop the run before its commit;
    // polled before each page is read or written and before the commit.
    // Null: never stopped.
    const std::atomic<bool>* cancel = nullptr;
    std::string_view cancelled_text = build_cancelled_text;
    // The run's page cache (null: none), the digest of the run's settings,
    // and by source index the pages it may hold.
    page_cache* cache = nullptr;
    hash128 cache_digest;
    std::vector<bool> cacheable;
    bool destination_cacheable = false;  // it is none of the sources
    // A big page read on the run's thread is cut into tokens on a second
    // thread while this one parses it (parse_page_bytes): when a core is
    // spare then.
    bool split_parses = false;
    // Renders every page's local TOC (the run's thread only): the template
    // is opened and read once a run, at the first page that has one.
    toc_renderer local_tocs;

  private:
    // What every read does first: the stop asked for, the notice.
    int announce_read(std::string_view path);
    int finish_write(std::string_view path, staged_file& file, bool written, bool rendered,
                     std::string_view template_path);
    bool cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }

    page_fn pages_ = nullptr;
    void* context_ = nullptr;
    // Held while files is used: pages are opened on other threads.
    std::mutex files_mutex_;
};

// "Can't open template file: " + path.
vtstring template_error_message(std::string_view path);
