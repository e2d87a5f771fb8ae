#include "project/vthash_array.h"

#include <algorithm>
#include <cstdio>

#include "files/atomic_file.h"

void vthash_array::add(std::string_view key, const vtval& value) {
    auto it = entries_.find(key);
    if (it == entries_.end())
        it = entries_.emplace(std::string(key), vthash_arrays_entry{vtval(key), vtarr(), {}}).first;
    it->second.values.push_back(value);
    it->second.added.push_back(added_++);
}

bool vthash_array::get_first(std::string_view key, vtval& out) const {
    const vtarr* values = get_all(key);
    if (!values || values->empty()) {
        out = vtval("");
        return false;
    }
    out = (*values)[0];
    return true;
}

const vtarr* vthash_array::get_all(std::string_view key) const {
    auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : &it->second.values;
}

void vthash_array::set_list(std::string_view key, const vtarr& values) {
    auto it = entries_.find(key);
    if (it == entries_.end())
        it = entries_.emplace(std::string(key), vthash_arrays_entry{vtval(key), values, {}}).first;
    else
        it->second.values = values;
    std::vector<uint64_t>& added = it->second.added;
    added.clear();
    for (int32_t i = 0; i < values.count(); ++i) added.push_back(added_++);
}

std::vector<std::pair<std::string_view, const vtval*>> vthash_array::values_in_order(
    std::string_view a, std::string_view b) const {
    std::vector<std::pair<uint64_t, std::pair<std::string_view, const vtval*>>> all;
    const std::string_view keys[] = {a, b};
    for (size_t k = 0; k < (a == b ? 1 : 2); ++k) {
        const auto it = entries_.find(keys[k]);
        if (it == entries_.end()) continue;
        const vthash_arrays_entry& entry = it->second;
        for (int32_t i = 0; i < entry.values.count(); ++i)
            all.push_back({entry.added[static_cast<size_t>(i)], {it->first, &entry.values[i]}});
    }
    std::sort(all.begin(), all.end(),
              [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<std::pair<std::string_view, const vtval*>> ordered;
    for (const auto& value : all) ordered.push_back(value.second);
    return ordered;
}

void vthash_array::write_together(std::string_view a, std::string_view b) {
    together_.emplace_back(a, b);
}

namespace {

void append_escaped(vtstring& out, std::string_view value) {
    for (char c : value) {
        unsigned char u = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out.append("&quot;");
                break;
            case '&':
                out.append("&amp;");
                break;
            case '<':
                out.append("&lt;");
                break;
            case '>':
                out.append("&gt;");
                break;
            default:
                if (u >= 0x80) {
                    char ref[8];
                    std::snprintf(ref, sizeof ref, "&#%03u;", u);
                    out.append(ref);
                } else {
                    out.append(c);
                }
        }
    }
}

}  // namespace

void vthash_array::serialize_key(const std::string& key, const vthash_arrays_entry& entry,
                                 vtstring& out) const {
    const auto line = [&](std::string_view k, const vtval& v) {
        out.append('<').append(k).append('>');
        append_escaped(out, v.text());
        out.append("</").append(k).append(">\r\n");
    };
    for (const auto& [a, b] : together_) {
        if (key != a && key != b) continue;
        const std::string_view other = key == a ? b : a;
        const auto it = entries_.find(other);
        // The pair is written once, where its first key stands.
        if (it == entries_.end() || other == key) break;
        if (other < key) return;
        for (const auto& [k, v] : values_in_order(a, b)) line(k, *v);
        return;
    }
    for (const vtval& v : entry.values) line(key, v);
}

vtstring vthash_array::serialize() const {
    vtstring out;
    for (const auto& [key, entry] : entries_) serialize_key(key, entry, out);
    return out;
}

bool vthash_array::write(std::string_view file_name) const {
    vtstring bytes = serialize();
    return vtfile_write_atomic(file_name, bytes.view());
}
