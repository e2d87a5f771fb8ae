#include "driver/site_toc_ahead.h"

#include <system_error>

#include "files/temp_registry.h"

site_toc_ahead::~site_toc_ahead() {
    if (done_.valid()) done_.wait();
}

bool site_toc_ahead::start(std::string_view template_path, const toc_tree& toc) {
    if (toc.size() > held_items) return false;
    try {
        done_ = std::async(std::launch::async, [this, template_path, &toc] {
            temp_registry_hold_signals_here();
            opened_ = renderer_.open(template_path);
            if (opened_)
                rendered_ = renderer_.render(
                    toc, toc.first(), [this](std::string_view piece) { text_.append(piece); });
        });
    } catch (const std::system_error&) {
        return false;
    }
    started_ = true;
    return true;
}

void site_toc_ahead::take() {
    if (done_.valid()) done_.get();
}
