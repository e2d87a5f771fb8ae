// site_toc_ahead: a site's TOC rendered on a second thread while the run's
// own thread reads and parses the destination, for a core that would stand
// idle meanwhile. It is rendered without a line end (toc_renderer::render)
// and held whole, so only for a TOC of at most held_items items; the page's
// line end is given to it as it is written.
#pragma once

#include <future>
#include <string_view>

#include "core/vtstring.h"
#include "toc/toc_renderer.h"

class site_toc_ahead {
  public:
    // A TOC this big is rendered as the destination is written, piece by
    // piece: held, it could take more memory than the pages of its site.
    static constexpr size_t held_items = 65536;

    site_toc_ahead() = default;
    // Waits for a rendering still going on.
    ~site_toc_ahead();
    site_toc_ahead(const site_toc_ahead&) = delete;
    site_toc_ahead& operator=(const site_toc_ahead&) = delete;

    // Starts rendering every item of toc, which stays unchanged until the
    // rendering is taken; false, with nothing started, when the TOC is too
    // big to hold or no thread can start.
    bool start(std::string_view template_path, const toc_tree& toc);
    bool started() const { return started_; }

    // Waits for the rendering of a started TOC. opened: whether the template
    // could be opened; rendered: read to its end as well.
    void take();
    bool opened() const { return opened_; }
    bool rendered() const { return rendered_; }
    const vtstring& text() const { return text_; }

  private:
    toc_renderer renderer_;
    vtstring text_;
    bool opened_ = false;
    bool rendered_ = false;
    bool started_ = false;
    std::future<void> done_;
};
