// vtarr: a list of values with a reading cursor.
//
// Index access is constant time (templates read every variable at every loop
// position); both ends take values in constant time. The list owns its values.
#pragma once

#include <cstdint>
#include <deque>

#include "core/vtval.h"

class vtarr {
  public:
    void push_back(vtval value);
    void push_front(vtval value);
    // Removes the first or last value into out; false when the list is empty.
    bool pop_front(vtval& out);
    bool pop_back(vtval& out);
    // Copy of the value at index; false when out of range.
    bool get(int32_t index, vtval& out) const;
    // The value at index; a negative index or one not below the count appends
    // one new integer 0 and returns it.
    vtval& at(int32_t index);
    // Read-only access without the append rule; index must be in range.
    const vtval& operator[](int32_t index) const { return values_[static_cast<size_t>(index)]; }
    bool remove(int32_t index);
    void insert(int32_t index, vtval value);

    // Start reading at the first value (forward) or at the last (backward).
    void set_backward(bool backward) { backward_ = backward; }
    void reset();
    // Copies the current value into out and moves on; false at the end.
    bool next(vtval& out);

    int32_t count() const { return static_cast<int32_t>(values_.size()); }
    bool empty() const { return values_.empty(); }
    void clear();

    auto begin() const { return values_.begin(); }
    auto end() const { return values_.end(); }
    const vtval& front() const { return values_.front(); }
    const vtval& back() const { return values_.back(); }

  private:
    std::deque<vtval> values_;
    int64_t cursor_ = 0;
    bool backward_ = false;
};
