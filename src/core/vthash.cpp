#include "core/vthash.h"

void vthash::set(const vtval& key, const vtval& value) {
    std::string_view k = key.text();
    auto it = entries_.find(k);
    if (it != entries_.end()) {
        it->second.value = value;
        return;
    }
    entries_.emplace(std::string(k), entry{key, value});
    listing_valid_ = false;
}

bool vthash::get(const vtval& key, vtval& out) const {
    const vtval* v = find(key.text());
    if (!v) {
        out = vtval();
        return false;
    }
    out = *v;
    return true;
}

bool vthash::contains(const vtval& key) const {
    return find(key.text()) != nullptr;
}

const vtval* vthash::find(std::string_view key) const {
    auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : &it->second.value;
}

void vthash::start_listing() {
    listing_ = entries_.begin();
    listing_valid_ = true;
}

bool vthash::next(vtval& key_out, vtval& value_out) {
    if (!listing_valid_ || listing_ == entries_.end()) return false;
    key_out = listing_->second.key;
    value_out = listing_->second.value;
    ++listing_;
    return true;
}

void vthash::clear() {
    entries_.clear();
    listing_valid_ = false;
}
