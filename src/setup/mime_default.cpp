#include "setup/mime_default.h"

#include <vector>

#include "files/atomic_file.h"
#include "setup/command_output.h"
#include "setup/shell_folders.h"

namespace {

constexpr std::string_view k_group = "[Default Applications]";

std::vector<std::string_view> lines_of(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

std::string first_line(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

// What a tool printed, when it ran: its output ends with the marker.
bool ran(std::string& output) {
    constexpr std::string_view marker = "\nran\n";
    if (output.size() < marker.size() ||
        output.compare(output.size() - marker.size(), marker.size(), marker) != 0)
        return false;
    output.resize(output.size() - marker.size() + 1);
    return true;
}

}  // namespace

std::string mime_default(std::string_view mime_type, bool& known) {
    const std::string type(mime_type);
    std::string out = command_output(("command -v xdg-mime >/dev/null 2>&1 && { xdg-mime query "
                                      "default '" +
                                      type + "' 2>/dev/null; printf '\\nran\\n'; }")
                                         .c_str());
    known = ran(out);
    if (known) return first_line(out);
    // "Default application for “text/html”: x.desktop", or "No default ...".
    out = command_output(("command -v gio >/dev/null 2>&1 && { gio mime '" + type +
                          "' 2>/dev/null; printf '\\nran\\n'; }")
                             .c_str());
    known = ran(out);
    const std::string line = first_line(out);
    const size_t colon = line.rfind(": ");
    return known && line.starts_with("Default ") && colon != std::string::npos
               ? line.substr(colon + 2)
               : std::string();
}

std::string with_default(std::string_view text, std::string_view mime_type, std::string_view entry,
                         bool& added) {
    const std::string key = std::string(mime_type) + "=";
    const std::string line = key + std::string(entry) + ";";
    const std::vector<std::string_view> lines = lines_of(text);
    added = false;
    bool in_group = false;
    for (std::string_view l : lines) {
        if (l.starts_with('['))
            in_group = l == k_group;
        else if (in_group && l.starts_with(key))
            return std::string(text);  // the user's choice, or another's
    }
    std::string out;
    in_group = false;
    for (std::string_view l : lines) {
        if (l.starts_with('[')) {
            // The line goes at the end of the group, before the next one.
            if (in_group && !added) out += line + "\n";
            added = added || in_group;
            in_group = l == k_group;
        }
        out.append(l).append("\n");
    }
    if (in_group && !added) out += line + "\n";
    if (!added && !in_group) out += std::string(k_group) + "\n" + line + "\n";
    added = true;
    return out;
}

std::string without_default(std::string_view text, std::string_view line, bool& removed) {
    std::vector<std::string_view> lines = lines_of(text);
    removed = false;
    bool in_group = false;
    size_t header = 0;
    for (size_t i = 0; i < lines.size() && !removed; ++i) {
        if (lines[i].starts_with('[')) {
            in_group = lines[i] == k_group;
            header = i;
        } else if (in_group && lines[i] == line) {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
            removed = true;
            // A group the line was alone in goes with it.
            const bool empty_group =
                header + 1 == i && (i == lines.size() || lines[i].starts_with('['));
            if (empty_group) lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(header));
        }
    }
    std::string out;
    for (std::string_view l : lines) out.append(l).append("\n");
    return out;
}

std::string user_mimeapps_list() {
    std::string config;
    return config_home_folder(config) ? config + "/mimeapps.list" : std::string();
}
