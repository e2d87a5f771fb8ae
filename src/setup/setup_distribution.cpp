#include "setup/setup_distribution.h"

#include <sys/stat.h>

#include "files/vtfile.h"
#include "setup/setup_text.h"

namespace {

int64_t size_of(const vtfile_node& node) {
    return static_cast<int64_t>(node.size.to_real());
}

}  // namespace

const std::vector<std::string_view>& setup_distribution::files() {
    static const std::vector<std::string_view> names = {
        "setup",     "vorn1-desktop", "remove",   "readme.txt",  "license.txt",
        "help.html", "brenit.gif",    "logo.gif", "vorn_set.txt"};
    return names;
}

const std::vector<std::string_view>& setup_distribution::folders() {
    static const std::vector<std::string_view> names = {"vtdata", "help"};
    return names;
}

bool setup_distribution::add_file(std::string name, bool required) {
    vtfile_node info;
    // A folder, device or pipe under a listed name is as good as missing:
    // reading a pipe would wait for ever.
    if (!vtfile_info(folder_ + name, info) || !S_ISREG(info.attributes)) {
        if (required) missing_ = name;
        return !required;
    }
    required_size_ += size_of(info);
    items_.push_back({std::move(name), size_of(info)});
    return true;
}

bool setup_distribution::add_folder(std::string_view name) {
    vtfile_tree tree;
    std::string path = folder_ + std::string(name);
    vtfile_node info;
    // An empty folder lists nothing, yet it is there.
    if (!vtfile_info(path, info) || info.is_directory == 0) {
        missing_ = std::string(name);
        return false;
    }
    vtfile_list(path, tree, nullptr, true, "*");
    for (vtfile_node* node = tree.first(); node != nullptr; node = node->next) {
        // Only plain files are copied: not folders, devices or pipes.
        if (!S_ISREG(node->attributes)) continue;
        int64_t size = size_of(*node);
        required_size_ += size;
        items_.push_back({std::string(name) + "/" + node->path.str(), size});
    }
    return true;
}

bool setup_distribution::check(std::string_view folder) {
    folder_ = std::string(folder);
    if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
    items_.clear();
    required_size_ = 0;
    missing_.clear();
    for (std::string_view name : files()) {
        if (!add_file(std::string(name), true)) return false;
    }
    add_file(std::string(setup_text::icon_image), false);
    for (std::string_view name : folders()) {
        if (!add_folder(name)) return false;
    }
    return true;
}
