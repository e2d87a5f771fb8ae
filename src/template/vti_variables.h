// vti_variables: the variables a template run reads.
//
// Each name (compared byte by byte, case-sensitively) maps to a list with one
// value per position; loops read the lists by index. The caller owns the map
// and keeps it unchanged while any engine of the run uses it.
//
// A list holds its values, or asks a maker for them one at a time: a TOC of
// half a million events would take a few hundred megabytes as stored values
// of its eight variables.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "core/vtarr.h"

// Makes the values of a list on demand.
class vti_list_maker {
  public:
    virtual ~vti_list_maker() = default;
    virtual int32_t count() const = 0;
    // The value at index (0 <= index < count); valid until the next call.
    virtual const vtval& value(int32_t index) const = 0;
};

class vti_list {
  public:
    vti_list() = default;
    vti_list(vtarr values) : values_(std::move(values)) {}  // NOLINT: stored values
    // A list whose values the maker makes; it must outlive the list.
    explicit vti_list(const vti_list_maker& maker) : maker_(&maker) {}

    void push_back(vtval value) { values_.push_back(std::move(value)); }
    int32_t count() const { return maker_ ? maker_->count() : values_.count(); }
    bool empty() const { return count() == 0; }
    // The value at index (0 <= index < count); a made value is valid until
    // the next read of this list.
    const vtval& operator[](int32_t index) const {
        return maker_ ? maker_->value(index) : values_[index];
    }

  private:
    vtarr values_;
    const vti_list_maker* maker_ = nullptr;
};

using vti_variables = std::map<std::string, vti_list, std::less<>>;
