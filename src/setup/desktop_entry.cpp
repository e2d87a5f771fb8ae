#include "setup/desktop_entry.h"

#include "files/atomic_file.h"

namespace {

bool is_reserved(char c) {
    switch (c) {
        case ' ':
        case '\t':
        case '\n':
        case '"':
        case '\'':
        case '\\':
        case '>':
        case '<':
        case '~':
        case '|':
        case '&':
        case ';':
        case '$':
        case '*':
        case '?':
        case '#':
        case '(':
        case ')':
        case '`':
            return true;
        default:
            return false;
    }
}

}  // namespace

std::string desktop_entry::quote_argument(std::string_view argument) {
    bool quote = argument.empty();
    for (char c : argument) quote = quote || is_reserved(c);
    std::string out;
    if (quote) out += '"';
    for (char c : argument) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
        out += c;
        if (c == '%') out += '%';
    }
    if (quote) out += '"';
    return out;
}

std::string desktop_entry::escape_value(std::string_view value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case ' ':
                out += i == 0 ? "\\s" : " ";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string desktop_entry::text() const {
    std::string exec;
    for (const std::string& argument : command) {
        if (!exec.empty()) exec += ' ';
        exec += quote_argument(argument);
    }
    if (!field_code.empty()) exec += ' ' + field_code;

    std::string out = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
    out += "Name=" + escape_value(name) + "\n";
    out += "Exec=" + escape_value(exec) + "\n";
    if (!working_folder.empty()) out += "Path=" + escape_value(working_folder) + "\n";
    if (!icon.empty()) out += "Icon=" + escape_value(icon) + "\n";
    if (!mime_types.empty()) out += "MimeType=" + mime_types + "\n";
    if (!categories.empty()) out += "Categories=" + categories + "\n";
    if (!startup_wm_class.empty()) out += "StartupWMClass=" + escape_value(startup_wm_class) + "\n";
    if (no_display) out += "NoDisplay=true\n";
    out += "Terminal=false\n";
    return out;
}

bool desktop_entry::save(std::string_view path) const {
    return vtfile_write_atomic(path, text());
}

std::string desktop_entry_path(std::string_view link_path) {
    std::string path(link_path);
    if (path.size() >= 4 && path.compare(path.size() - 4, 4, ".lnk") == 0) {
        path.resize(path.size() - 4);
    }
    if (path.size() < 8 || path.compare(path.size() - 8, 8, ".desktop") != 0) path += ".desktop";
    return path;
}
