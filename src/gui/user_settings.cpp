#include "gui/user_settings.h"

#include "core/vtval.h"
#include "project/toc_project.h"
#include "project/vthash_array.h"

namespace {

int32_t first_number(const vthash_array& settings, std::string_view key) {
    vtval value;
    settings.get_first(key, value);
    return value.to_integer();
}

}  // namespace

bool user_settings::read(std::string_view path, vtstring& error) {
    vthash_array settings;
    if (!settings.read(path, error)) return false;
    remember_format = first_number(settings, "save_format_on_exit") != 0;
    vtval folder;
    settings.get_first("last_opened_dir", folder);
    last_directory = std::string(folder.text());
    recent.clear();
    if (const vtarr* paths = settings.get_all("recent"))
        for (const vtval& entry : *paths) recent.emplace_back(entry.text());
    geometry.left = first_number(settings, "top_left");
    geometry.top = first_number(settings, "top_top");
    geometry.width = first_number(settings, "form_width");
    geometry.height = first_number(settings, "form_height");
    colour_scheme = first_number(settings, "colour_scheme");
    return true;
}

bool user_settings::write(std::string_view path) const {
    vthash_array settings;
    settings.add("save_format_on_exit", vtval(remember_format ? 1 : 0));
    for (const std::string& entry : recent) settings.add("recent", vtval(entry));
    settings.add("top_left", vtval(geometry.left));
    settings.add("top_top", vtval(geometry.top));
    settings.add("form_width", vtval(geometry.width));
    settings.add("form_height", vtval(geometry.height));
    settings.add("last_opened_dir", vtval(last_directory));
    settings.add("colour_scheme", vtval(colour_scheme));
    return settings.write(path);
}

bool read_format_options(std::string_view path, toc_project& project) {
    toc_project stored;
    if (stored.load(path) != 0) return false;
    project.range_from = stored.range_from;
    project.range_to = stored.range_to;
    project.named_anchor_attributes = stored.named_anchor_attributes;
    project.process_title = stored.process_title;
    project.process_numbering = stored.process_numbering;
    project.template_file = stored.template_file;
    project.indent = stored.indent;
    project.insert_local_toc = stored.insert_local_toc;
    project.anchor_ids = stored.anchor_ids;
    project.skip_class = stored.skip_class;
    project.heading_links = stored.heading_links;
    project.numbering_from = stored.numbering_from;
    project.numbering_to = stored.numbering_to;
    project.numbering_start = stored.numbering_start;
    project.unnumbered_class = stored.unnumbered_class;
    project.number_class = stored.number_class;
    return true;
}
