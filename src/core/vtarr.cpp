#include "core/vtarr.h"

#include <utility>

void vtarr::push_back(vtval value) {
    values_.push_back(std::move(value));
    reset();
}

void vtarr::push_front(vtval value) {
    values_.push_front(std::move(value));
    reset();
}

bool vtarr::pop_front(vtval& out) {
    if (values_.empty()) return false;
    out = std::move(values_.front());
    values_.pop_front();
    return true;
}

bool vtarr::pop_back(vtval& out) {
    if (values_.empty()) return false;
    out = std::move(values_.back());
    values_.pop_back();
    return true;
}

bool vtarr::get(int32_t index, vtval& out) const {
    if (index < 0 || index >= count()) return false;
    out = values_[static_cast<size_t>(index)];
    return true;
}

vtval& vtarr::at(int32_t index) {
    if (index < 0 || index >= count()) {
        values_.emplace_back();
        reset();
        return values_.back();
    }
    return values_[static_cast<size_t>(index)];
}

bool vtarr::remove(int32_t index) {
    if (index < 0 || index >= count()) return false;
    values_.erase(values_.begin() + index);
    return true;
}

void vtarr::insert(int32_t index, vtval value) {
    if (index < 0) index = 0;
    if (index > count()) index = count();
    values_.insert(values_.begin() + index, std::move(value));
    reset();
}

void vtarr::reset() {
    cursor_ = backward_ ? count() - 1 : 0;
}

bool vtarr::next(vtval& out) {
    if (cursor_ < 0 || cursor_ >= count()) return false;
    out = values_[static_cast<size_t>(cursor_)];
    cursor_ += backward_ ? -1 : 1;
    return true;
}

void vtarr::clear() {
    values_.clear();
    cursor_ = 0;
}
