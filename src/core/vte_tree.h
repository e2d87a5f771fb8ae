// vte_tree<T>: the tree template of documents, TOCs and file listings.
//
// T derives from vte_node<T>, which carries the links (parent, next and
// previous sibling, first and last child) and the number of children. The
// tree owns every node it makes; nodes live in a pool and are freed all at
// once when the tree goes (no recursion, however deep the tree). A node that
// is unlinked and not put back stays in the pool until then.
//
// Every walk is iterative, so a page of a million nested elements cannot
// overflow the stack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

#include "core/vte_pool.h"

template <class T>
struct vte_node {
    T* parent = nullptr;
    T* next = nullptr;
    T* first_child = nullptr;
    T* prev = nullptr;
    T* last_child = nullptr;
    int32_t child_count = 0;
};

template <class T>
class vte_tree {
  public:
    struct unlinked {
        T* parent;
        T* next;
    };

    vte_tree() = default;
    vte_tree(const vte_tree&) = delete;
    vte_tree& operator=(const vte_tree&) = delete;
    vte_tree(vte_tree&&) = default;
    vte_tree& operator=(vte_tree&&) = default;

    // A new node owned by the tree, not yet linked.
    template <class... Args>
    T* make(Args&&... args) {
        return pool_.emplace_back(std::forward<Args>(args)...);
    }

    T* first() const { return first_; }
    T* last_top() const { return last_; }
    int32_t top_count() const { return count_; }
    bool empty() const { return first_ == nullptr; }

    // Next node in document order: first child; else next sibling; else the
    // next sibling of the nearest ancestor that has one.
    static T* next(const T* node) {
        if (node->first_child) return node->first_child;
        return next_after(node);
    }
    // Next node outside node's subtree.
    static T* next_after(const T* node) {
        for (const T* n = node; n; n = n->parent)
            if (n->next) return n->next;
        return nullptr;
    }
    // Next node in document order inside root's subtree (root itself
    // excluded), or none at its end.
    static T* next_within(const T* node, const T* root) {
        if (node->first_child) return node->first_child;
        for (const T* n = node; n && n != root; n = n->parent)
            if (n->next) return n->next;
        return nullptr;
    }
    static int32_t depth(const T* node) {
        int32_t d = 0;
        for (const T* p = node->parent; p; p = p->parent) ++d;
        return d;
    }

    void insert_first_top(T* node) { link(node, nullptr, first_); }
    void append_top(T* node) { link(node, nullptr, nullptr); }
    // Beside other, under the same parent or at the top level.
    void insert_before(T* node, T* other) { link(node, other->parent, other); }
    void insert_after(T* node, T* other) { link(node, other->parent, other->next); }
    void insert_first_child(T* node, T* parent) { link(node, parent, parent->first_child); }
    void append_child(T* node, T* parent) { link(node, parent, nullptr); }
    // After the last sibling of other, at other's level.
    void append_sibling(T* node, T* other) { link(node, other->parent, nullptr); }
    // Before `before` when given, else as the last child of parent when given,
    // else at the end of the top level.
    void insert(T* node, T* parent, T* before) {
        if (before)
            link(node, before->parent, before);
        else
            link(node, parent, nullptr);
    }

    // Detaches node with its subtree; the former neighbours are joined.
    unlinked unlink(T* node) {
        unlinked former{node->parent, node->next};
        T* parent = node->parent;
        if (node->prev)
            node->prev->next = node->next;
        else if (parent)
            parent->first_child = node->next;
        else
            first_ = node->next;
        if (node->next)
            node->next->prev = node->prev;
        else if (parent)
            parent->last_child = node->prev;
        else
            last_ = node->prev;
        if (parent)
            --parent->child_count;
        else
            --count_;
        node->parent = node->next = node->prev = nullptr;
        return former;
    }

    // Number of nodes ever made (linked or not).
    size_t pool_size() const { return pool_.size(); }

  private:
    // Links node under parent (top level when none) before `before` (at the
    // end when none).
    void link(T* node, T* parent, T* before) {
        node->parent = parent;
        node->next = before;
        T*& head = parent ? parent->first_child : first_;
        T*& tail = parent ? parent->last_child : last_;
        if (before) {
            node->prev = before->prev;
            if (before->prev)
                before->prev->next = node;
            else
                head = node;
            before->prev = node;
        } else {
            node->prev = tail;
            if (tail)
                tail->next = node;
            else
                head = node;
            tail = node;
        }
        if (parent)
            ++parent->child_count;
        else
            ++count_;
    }

    vte_pool<T> pool_;
    T* first_ = nullptr;
    T* last_ = nullptr;
    int32_t count_ = 0;
};
