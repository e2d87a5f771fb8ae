#include "gui/template_catalogue.h"

#include <string>

namespace {

const char* const k_pairing_error =
    "Each template description must have exactly one <file>, <name> and <description> tag.";

}  // namespace

bool template_catalogue::load(std::string_view data_folder) {
    // Read into a fresh container so that a failed reload leaves the
    // catalogue that the template list still shows.
    auto settings = std::make_unique<vthash_array>();
    const std::string path = std::string(data_folder) + "templates.txt";
    vtstring error;
    if (!settings->read(path, error)) {
        error_ = error;
        return false;
    }
    const vtarr* lists[3] = {};
    const char* const keys[3] = {"file", "name", "description"};
    for (int k = 0; k < 3; ++k) {
        lists[k] = settings->get_all(keys[k]);
        if (!lists[k]) {
            error_ = std::string("Tag <") + keys[k] + "> is missing.";
            return false;
        }
    }
    error_ = k_pairing_error;
    if (lists[0]->count() == 0 || lists[1]->count() != lists[0]->count() ||
        lists[2]->count() != lists[0]->count())
        return false;
    settings_ = std::move(settings);
    files_ = lists[0];
    names_ = lists[1];
    descriptions_ = lists[2];
    return true;
}

std::string_view template_catalogue::value(const vtarr* list, int32_t i) {
    if (!list || i < 0 || i >= list->count()) return {};
    return (*list)[i].text();
}
