// vte_pool<T>: the node store of a tree.
//
// Nodes are constructed in blocks of growing size (up to max_block nodes) and
// never move. Nothing is freed one node at a time: the pool destroys its nodes
// and frees its blocks when it goes. One allocation per block instead of one
// per few nodes, and a page of plain nodes (trivially destructible) is torn
// down with one free per block. A big document's blocks reach two
// megabytes and are asked to be backed by huge pages: faulting in fresh
// memory a page at a time costs more than building the nodes.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/byte_block.h"

template <class T>
class vte_pool {
  public:
    static constexpr size_t first_block = 32;
    static constexpr size_t huge_page = huge_page_bytes;
    static constexpr size_t max_block = huge_page / sizeof(T);

    vte_pool() = default;
    vte_pool(const vte_pool&) = delete;
    vte_pool& operator=(const vte_pool&) = delete;
    vte_pool(vte_pool&& other) noexcept { swap(other); }
    vte_pool& operator=(vte_pool&& other) noexcept {
        vte_pool gone(std::move(*this));
        swap(other);
        return *this;
    }
    ~vte_pool() { clear(); }

    template <class... Args>
    T* emplace_back(Args&&... args) {
        if (left_ == 0) new_block();
        T* node = ::new (static_cast<void*>(next_)) T(std::forward<Args>(args)...);
        ++next_;
        --left_;
        ++size_;
        return node;
    }

    // Nodes made so far.
    size_t size() const { return size_; }

  private:
    struct block {
        T* nodes;
        size_t capacity;
    };
    struct slot {
        alignas(T) unsigned char bytes[sizeof(T)];
    };

    void new_block() {
        const size_t n =
            blocks_.empty() ? first_block : std::min(blocks_.back().capacity * 2, max_block);
        blocks_.reserve(blocks_.size() + 1);
        slot* raw = n == max_block ? huge_block() : new slot[n];
        blocks_.push_back({reinterpret_cast<T*>(raw), n});
        next_ = blocks_.back().nodes;
        left_ = n;
    }

    // A block of max_block nodes on a huge-page boundary; the kernel may back
    // it with one huge page when it has one.
    static slot* huge_block() {
        void* raw = ::operator new[](huge_page, std::align_val_t(huge_page));
        madvise(raw, huge_page, MADV_HUGEPAGE);
        return static_cast<slot*>(raw);
    }

    void clear() {
        for (size_t i = 0; i < blocks_.size(); ++i) {
            block& b = blocks_[i];
            if constexpr (!std::is_trivially_destructible_v<T>) {
                const size_t used = i + 1 == blocks_.size() ? b.capacity - left_ : b.capacity;
                for (size_t k = 0; k < used; ++k) b.nodes[k].~T();
            }
            if (b.capacity == max_block)
                ::operator delete[](static_cast<void*>(b.nodes), std::align_val_t(huge_page));
            else
                delete[] reinterpret_cast<slot*>(b.nodes);
        }
        blocks_.clear();
        next_ = nullptr;
        left_ = 0;
        size_ = 0;
    }

    void swap(vte_pool& other) noexcept {
        blocks_.swap(other.blocks_);
        std::swap(next_, other.next_);
        std::swap(left_, other.left_);
        std::swap(size_, other.size_);
    }

    std::vector<block> blocks_;
    T* next_ = nullptr;
    size_t left_ = 0;
    size_t size_ = 0;
};
