// open_name_counts: how many open elements on the HTML reader's way up carry
// each name, by the name's number in the tree (xml_tree::name_number): a
// page has a few dozen names, and every start and end tag asks once.
#pragma once

#include <cstdint>
#include <vector>

class open_name_counts {
  public:
    void increment(uint32_t name) {
        if (name >= counts_.size()) counts_.resize(name + 1, 0);
        ++counts_[name];
    }
    // Never below 0.
    void decrement(uint32_t name) {
        if (name < counts_.size() && counts_[name] > 0) --counts_[name];
    }
    int32_t count(uint32_t name) const { return name < counts_.size() ? counts_[name] : 0; }

  private:
    std::vector<int32_t> counts_;
};
