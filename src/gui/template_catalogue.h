// template_catalogue: the templates on offer, read from "templates.txt" in
// the data folder as three lists (file, name, description) paired by
// position.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "core/vtstring.h"
#include "project/vthash_array.h"

class template_catalogue {
  public:
    // Reads data_folder + "templates.txt" (data_folder ends in a separator).
    // On failure the error text says why and the catalogue loaded before, if
    // any, stays in use.
    bool load(std::string_view data_folder);

    bool loaded() const { return files_ != nullptr; }
    int32_t count() const { return files_ ? files_->count() : 0; }
    // The values of entry i; empty text for a position that does not exist.
    std::string_view file(int32_t i) const { return value(files_, i); }
    std::string_view name(int32_t i) const { return value(names_, i); }
    std::string_view description(int32_t i) const { return value(descriptions_, i); }

    const vtstring& error() const { return error_; }

  private:
    static std::string_view value(const vtarr* list, int32_t i);

    std::unique_ptr<vthash_array> settings_;
    const vtarr* files_ = nullptr;
    const vtarr* names_ = nullptr;
    const vtarr* descriptions_ = nullptr;
    vtstring error_;
};
