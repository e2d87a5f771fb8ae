#include "driver/held_notices.h"

#include "driver/build_state.h"

held_notices::held_notices(build_state& state)
    : state_(state), progress_(state.scale.callback), progress_context_(state.scale.context) {
    pages_ = state.notices(pages_context_);
    state.scale.callback = progress_ ? &held_notices::on_progress : nullptr;
    state.scale.context = this;
    state.set_notices(pages_ ? &held_notices::on_page : nullptr, this);
}

held_notices::~held_notices() {
    state_.scale.callback = progress_;
    state_.scale.context = progress_context_;
    state_.set_notices(pages_, pages_context_);
}

void held_notices::tell(const call& c) const {
    if (c.page)
        pages_(c.path, pages_context_);
    else
        progress_(c.percent, progress_context_);
}

void held_notices::on_progress(int percent, void* self) {
    auto* h = static_cast<held_notices*>(self);
    if (!h->holding_) {
        ++h->told_;
        h->progress_(percent, h->progress_context_);
        return;
    }
    h->held_.push_back({false, percent, {}});
}

void held_notices::on_page(std::string_view path, void* self) {
    auto* h = static_cast<held_notices*>(self);
    if (!h->holding_) {
        ++h->told_;
        h->pages_(path, h->pages_context_);
        return;
    }
    h->held_.push_back({true, 0, std::string(path)});
}

void held_notices::release_to(size_t to) {
    while (told_ < to && !held_.empty()) {
        tell(held_.front());
        held_.pop_front();
        ++told_;
    }
}

void held_notices::release_all() {
    release_to(mark());
    holding_ = false;
}

void held_notices::drop_from(size_t from) {
    while (mark() > from && !held_.empty()) held_.pop_back();
    holding_ = false;
}
