#include "setup/registry_file.h"

#include <algorithm>
#include <charconv>

#include "core/vtstring.h"

namespace {

bool same_name(std::string_view a, std::string_view b) {
    return vt_compare_nocase(a, b) == 0;
}

// True when path lies below (not at) parent.
bool is_below(std::string_view path, std::string_view parent) {
    return path.size() > parent.size() + 1 && path[parent.size()] == '\\' &&
           same_name(path.substr(0, parent.size()), parent);
}

std::string_view parent_of(std::string_view path) {
    size_t cut = path.rfind('\\');
    return cut == std::string_view::npos ? std::string_view() : path.substr(0, cut);
}

const char hex_digits[] = "0123456789abcdef";

void append_quoted(std::string& out, std::string_view text) {
    out += '"';
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (byte < 0x20 || byte == 0x7f) {
                    out += "\\x";
                    out += hex_digits[byte >> 4];
                    out += hex_digits[byte & 15];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a quoted text at the front of rest and moves rest past it.
bool read_quoted(std::string_view& rest, std::string& out) {
    if (rest.empty() || rest[0] != '"') return false;
    out.clear();
    size_t i = 1;
    while (i < rest.size()) {
        char c = rest[i++];
        if (c == '"') {
            rest.remove_prefix(i);
            return true;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i >= rest.size()) return false;
        char e = rest[i++];
        switch (e) {
            case '\\':
                out += '\\';
                break;
            case '"':
                out += '"';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'x': {
                if (i + 2 > rest.size()) return false;
                int high = hex_value(rest[i]), low = hex_value(rest[i + 1]);
                if (high < 0 || low < 0) return false;
                out += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default:
                return false;
        }
    }
    return false;
}

bool read_hex_bytes(std::string_view text, std::string& out) {
    if (text.size() % 2 != 0) return false;
    out.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = hex_value(text[i]), low = hex_value(text[i + 1]);
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
    }
    return true;
}

// Parses `name=kind:data`; the reason of a failure goes to why.
bool parse_value(std::string_view line, reg_value& value, std::string& why) {
    if (line.substr(0, 1) == "@") {
        value.name.clear();
        line.remove_prefix(1);
    } else if (!read_quoted(line, value.name)) {
        why = "bad value name";
        return false;
    }
    if (line.substr(0, 1) != "=") {
        why = "'=' expected after the value name";
        return false;
    }
    line.remove_prefix(1);
    if (line.starts_with("text:")) {
        line.remove_prefix(5);
        value.kind = reg_kind::text;
        if (!read_quoted(line, value.bytes) || !line.empty()) {
            why = "bad text value";
            return false;
        }
        return true;
    }
    if (line.starts_with("int:")) {
        line.remove_prefix(4);
        value.kind = reg_kind::integer;
        auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), value.number);
        if (ec != std::errc() || end != line.data() + line.size() || line.empty()) {
            why = "bad integer value";
            return false;
        }
        return true;
    }
    if (line.starts_with("bin:")) {
        value.kind = reg_kind::binary;
        if (!read_hex_bytes(line.substr(4), value.bytes)) {
            why = "bad binary value";
            return false;
        }
        return true;
    }
    why = "unknown value type";
    return false;
}

}  // namespace

const reg_value* reg_key::find(std::string_view name) const {
    for (const reg_value& value : values) {
        if (same_name(value.name, name)) return &value;
    }
    return nullptr;
}

void reg_key::set(reg_value value) {
    for (reg_value& old : values) {
        if (same_name(old.name, value.name)) {
            old = std::move(value);
            return;
        }
    }
    values.push_back(std::move(value));
}

bool registry_file::valid_path(std::string_view path) {
    if (path.empty() || path.front() == '\\' || path.back() == '\\') return false;
    for (size_t i = 0; i < path.size(); ++i) {
        auto byte = static_cast<unsigned char>(path[i]);
        if (byte < 0x20 || byte == 0x7f) return false;
        if (path[i] == '\\' && path[i + 1] == '\\') return false;
    }
    return true;
}

bool registry_file::parse(std::string_view text, std::string& error) {
    keys_.clear();
    int line_number = 0;
    while (!text.empty()) {
        ++line_number;
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::string why;
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            std::string_view path = line.substr(1);
            if (path.empty() || path.back() != ']' ||
                !valid_path(path.substr(0, path.size() - 1))) {
                why = "bad key name";
            } else if (ensure(path.substr(0, path.size() - 1)) == nullptr) {
                why = "bad key name";
            }
        } else if (keys_.empty()) {
            why = "value outside of any key";
        } else {
            reg_value value;
            if (parse_value(line, value, why)) keys_.back().set(std::move(value));
        }
        if (!why.empty()) {
            keys_.clear();
            error = "line " + std::to_string(line_number) + ": " + why;
            return false;
        }
    }
    return true;
}

std::string registry_file::serialize() const {
    std::string out = "; Orvane registry store\n";
    for (const reg_key& key : keys_) {
        out += '[';
        out += key.path;
        out += "]\n";
        for (const reg_value& value : key.values) {
            if (value.name.empty()) {
                out += '@';
            } else {
                append_quoted(out, value.name);
            }
            switch (value.kind) {
                case reg_kind::text:
                    out += "=text:";
                    append_quoted(out, value.bytes);
                    break;
                case reg_kind::integer:
                    out += "=int:" + std::to_string(value.number);
                    break;
                case reg_kind::binary:
                    out += "=bin:";
                    for (char c : value.bytes) {
                        auto byte = static_cast<unsigned char>(c);
                        out += hex_digits[byte >> 4];
                        out += hex_digits[byte & 15];
                    }
                    break;
            }
            out += '\n';
        }
    }
    return out;
}

reg_key* registry_file::find(std::string_view path) {
    for (reg_key& key : keys_) {
        if (same_name(key.path, path)) return &key;
    }
    return nullptr;
}

const reg_key* registry_file::find(std::string_view path) const {
    return const_cast<registry_file*>(this)->find(path);
}

reg_key* registry_file::ensure(std::string_view path) {
    if (!valid_path(path)) return nullptr;
    // Ancestors first, so that the file lists parents before children.
    size_t cut = 0;
    while ((cut = path.find('\\', cut)) != std::string_view::npos) {
        if (find(path.substr(0, cut)) == nullptr)
            keys_.push_back({std::string(path.substr(0, cut)), {}});
        ++cut;
    }
    if (reg_key* key = find(path)) return key;
    keys_.push_back({std::string(path), {}});
    return &keys_.back();
}

bool registry_file::has_subkeys(std::string_view path) const {
    return std::any_of(keys_.begin(), keys_.end(),
                       [&](const reg_key& key) { return is_below(key.path, path); });
}

bool registry_file::erase_tree(std::string_view path) {
    if (find(path) == nullptr) return false;
    std::string target(path);
    std::erase_if(keys_, [&](const reg_key& key) {
        return same_name(key.path, target) || is_below(key.path, target);
    });
    for (std::string_view up = parent_of(target); !up.empty(); up = parent_of(up)) {
        const reg_key* key = find(up);
        if (key == nullptr || !key->values.empty() || has_subkeys(up)) break;
        std::string gone(up);
        std::erase_if(keys_, [&](const reg_key& k) { return same_name(k.path, gone); });
    }
    return true;
}
