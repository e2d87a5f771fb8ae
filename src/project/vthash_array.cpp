#include "project/vthash_array.h"

#include <cstdio>

#include "files/atomic_file.h"

void vthash_array::add(std::string_view key, const vtval& value) {
    auto it = entries_.find(key);
    if (it == entries_.end())
        it = entries_.emplace(std::string(key), vthash_arrays_entry{vtval(key), vtarr()}).first;
    it->second.values.push_back(value);
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
        entries_.emplace(std::string(key), vthash_arrays_entry{vtval(key), values});
    else
        it->second.values = values;
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

vtstring vthash_array::serialize() const {
    vtstring out;
    for (const auto& [key, entry] : entries_) {
        for (const vtval& v : entry.values) {
            out.append('<').append(key).append('>');
            append_escaped(out, v.text());
            out.append("</").append(key).append(">\r\n");
        }
    }
    return out;
}

bool vthash_array::write(std::string_view file_name) const {
    vtstring bytes = serialize();
    return vtfile_write_atomic(file_name, bytes.view());
}
