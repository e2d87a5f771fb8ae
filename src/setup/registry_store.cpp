#include "setup/registry_store.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "files/atomic_file.h"
#include "files/vtfile.h"

namespace {

const char* root_name(reg_root root) {
    switch (root) {
        case reg_root::hklm:
            return "HKLM";
        case reg_root::hkcu:
            return "HKCU";
        case reg_root::hkcr:
            return "HKCR";
    }
    return "HKLM";
}

reg_value to_reg_value(std::string_view name, const vtval& value) {
    reg_value out;
    out.name = std::string(name);
    switch (value.type()) {
        case VT_BOOL:
        case VT_INT:
            out.kind = reg_kind::integer;
            out.number = value.to_integer();
            break;
        case VT_REAL: {
            double number = value.to_real();
            out.kind = reg_kind::binary;
            out.bytes.assign(reinterpret_cast<const char*>(&number), sizeof number);
            break;
        }
        default:
            out.bytes = std::string(value.text());
    }
    return out;
}

vtval from_reg_value(const reg_value* value) {
    if (value == nullptr) return vtval("");
    if (value->kind == reg_kind::integer) return vtval(value->number);
    return vtval(std::string_view(value->bytes));
}

}  // namespace

registry_store::registry_store(std::string folder) : folder_(std::move(folder)) {
    while (folder_.size() > 1 && folder_.back() == '/') folder_.pop_back();
}

std::string registry_store::default_folder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return std::string(config) + "/VELT/registry";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return std::string(home) + "/.config/VELT/registry";
    return {};
}

std::string registry_store::file_path(reg_root root) const {
    return folder_ + "/" + root_name(root);
}

bool registry_store::load(reg_root root, registry_file& file) {
    error_.clear();
    std::string path = file_path(root);
    vtfile_node info;
    if (folder_.empty()) {
        error_ = "The registry store has no folder: neither XDG_CONFIG_HOME nor HOME is set.";
        return false;
    }
    if (!vtfile_info(path, info)) {
        file = registry_file();
        return true;
    }
    vtstring bytes;
    std::string why;
    if (info.is_directory != 0 || !vtfile_read_all(path, bytes)) {
        error_ = "Can't read the registry store file " + path + ".";
        return false;
    }
    if (bytes.view().find('\0') != std::string_view::npos) {
        why = "binary content";
    } else if (file.parse(bytes.view(), why)) {
        return true;
    }
    error_ = "The registry store file " + path + " is damaged (" + why +
             "). Repair or delete it and try again.";
    return false;
}

bool registry_store::make_folder() {
    // Creates every missing level of the folder.
    for (size_t cut = 1; cut <= folder_.size(); ++cut) {
        if (cut < folder_.size() && folder_[cut] != '/') continue;
        std::string level = folder_.substr(0, cut);
        vtfile_node info;
        if (vtfile_info(level, info)) {
            if (info.is_directory == 0) return false;
            continue;
        }
        if (!vtfile_create_folder(level)) return false;
    }
    return true;
}

void registry_store::remove_empty_folders() {
    if (rmdir(folder_.c_str()) != 0) return;
    size_t cut = folder_.rfind('/');
    if (cut == std::string::npos || cut == 0) return;
    std::string parent = folder_.substr(0, cut);
    // The parent is the vendor's folder of the default layout; other
    // parents are not ours to remove.
    if (parent.size() >= 5 && parent.compare(parent.size() - 5, 5, "/VELT") == 0) {
        rmdir(parent.c_str());
    }
}

bool registry_store::save(reg_root root, const registry_file& file) {
    std::string path = file_path(root);
    if (file.empty()) {
        if (unlink(path.c_str()) != 0 && errno != ENOENT) {
            error_ = "Can't write the registry store file " + path + ".";
            return false;
        }
        remove_empty_folders();
        return true;
    }
    if (!make_folder() || !vtfile_write_atomic(path, file.serialize())) {
        error_ = "Can't write the registry store file " + path + ".";
        return false;
    }
    return true;
}

bool registry_store::read_values(reg_root root, std::string_view key, vthash& values) {
    registry_file file;
    if (!load(root, file)) return false;
    const reg_key* found = file.find(key);
    if (found == nullptr) return false;
    vthash filled;
    for (const auto& [name, entry] : values) {
        filled.set(entry.key, from_reg_value(found->find(entry.key.text())));
    }
    values = filled;
    return true;
}

bool registry_store::write_values(reg_root root, std::string_view key, const vthash& values) {
    registry_file file;
    if (!load(root, file)) return false;
    reg_key* found = file.find(key);
    if (found == nullptr) return false;
    for (const auto& [name, entry] : values)
        found->set(to_reg_value(entry.key.text(), entry.value));
    return save(root, file);
}

bool registry_store::create_key(reg_root root, std::string_view key) {
    registry_file file;
    if (!load(root, file)) return false;
    if (file.find(key) != nullptr) return true;
    if (file.ensure(key) == nullptr) {
        error_ = "Not a valid registry key name: " + std::string(key);
        return false;
    }
    return save(root, file);
}

bool registry_store::key_exists(reg_root root, std::string_view key) {
    registry_file file;
    return load(root, file) && file.find(key) != nullptr;
}

bool registry_store::delete_key(reg_root root, std::string_view key) {
    registry_file file;
    if (!load(root, file) || !file.erase_tree(key)) return false;
    return save(root, file);
}
