#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/vtarr.h"
#include "core/vte_tree.h"
#include "core/vthash.h"

TEST(vtarr, AtPastTheEndAppendsIntegerZero) {
    vtarr a;
    a.push_back(vtval("x"));
    a.push_back(vtval("y"));
    a.push_back(vtval("z"));
    vtval& v = a.at(3);
    EXPECT_EQ(v.type(), VT_INT);
    EXPECT_EQ(a.count(), 4);
    a.at(-1);
    EXPECT_EQ(a.count(), 5);
    EXPECT_EQ(a.at(1).text(), "y");
}

TEST(vtarr, EndsAndCursor) {
    vtarr a;
    a.push_back(vtval(2));
    a.push_front(vtval(1));
    a.push_back(vtval(3));
    vtval out;
    a.reset();
    std::vector<int> seen;
    while (a.next(out)) seen.push_back(out.to_integer());
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
    a.set_backward(true);
    a.reset();
    seen.clear();
    while (a.next(out)) seen.push_back(out.to_integer());
    EXPECT_EQ(seen, (std::vector<int>{3, 2, 1}));
    EXPECT_TRUE(a.pop_front(out));
    EXPECT_EQ(out.to_integer(), 1);
    EXPECT_TRUE(a.pop_back(out));
    EXPECT_EQ(out.to_integer(), 3);
    EXPECT_TRUE(a.remove(0));
    EXPECT_FALSE(a.pop_back(out));
    EXPECT_FALSE(a.get(0, out));
}

TEST(vthash, OrdersByTextBytesAndReplaces) {
    vthash h;
    h.set(vtval("9"), vtval("nine"));
    h.set(vtval("10"), vtval("ten"));
    h.set(vtval(5), vtval("int five"));
    h.set(vtval("5"), vtval("string five"));  // same key as the integer 5
    h.set(vtval(""), vtval("empty"));
    EXPECT_EQ(h.count(), 4);
    vtval k, v;
    std::vector<std::string> keys;
    h.start_listing();
    while (h.next(k, v)) keys.push_back(std::string(k.text()));
    EXPECT_EQ(keys, (std::vector<std::string>{"", "10", "5", "9"}));
    EXPECT_TRUE(h.get(vtval(5), v));
    EXPECT_EQ(v.text(), "string five");
    EXPECT_FALSE(h.get(vtval("missing"), v));
    EXPECT_EQ(v.text(), "0");
}

TEST(vthash, InsertDiscardsListing) {
    vthash h;
    h.set(vtval("a"), vtval(1));
    h.start_listing();
    h.set(vtval("b"), vtval(2));
    vtval k, v;
    EXPECT_FALSE(h.next(k, v));
}

struct tnode : vte_node<tnode> {
    int id = 0;
    explicit tnode(int i) : id(i) {}
};

// Nodes that own memory: the tree must destroy every node once, in all
// blocks, also after it was moved.
struct counted_node : vte_node<counted_node> {
    static inline int alive = 0;
    vtstring text;
    counted_node() { ++alive; }
    ~counted_node() { --alive; }
};

TEST(vte_tree, DestroysEveryNodeOnceAlsoAfterAMove) {
    {
        vte_tree<counted_node> t;
        for (int i = 0; i < 5000; ++i) {
            counted_node* n = t.make();
            n->text = std::string(40, 'x');
            t.append_top(n);
        }
        EXPECT_EQ(counted_node::alive, 5000);
        EXPECT_EQ(t.pool_size(), 5000u);
        vte_tree<counted_node> moved(std::move(t));
        vte_tree<counted_node> other;
        other.make();
        other = std::move(moved);
        EXPECT_EQ(counted_node::alive, 5000) << "the replaced tree's node is gone";
        EXPECT_EQ(other.top_count(), 5000);
    }
    EXPECT_EQ(counted_node::alive, 0);
}

TEST(vte_tree, DocumentOrderAndDepth) {
    vte_tree<tnode> t;
    tnode* a = t.make(1);
    tnode* b = t.make(2);
    tnode* c = t.make(3);
    tnode* d = t.make(4);
    t.append_top(a);
    t.append_top(d);
    t.append_child(b, a);
    t.append_child(c, b);
    std::vector<int> order;
    for (tnode* n = t.first(); n; n = t.next(n)) order.push_back(n->id);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(t.depth(b), 1);
    EXPECT_EQ(t.depth(c), 2);
    EXPECT_EQ(t.next_after(b), d);
    // A walk bounded by a subtree ends with it.
    EXPECT_EQ(t.next_within(a, a), b);
    EXPECT_EQ(t.next_within(c, a), nullptr);
    EXPECT_EQ(t.next_within(c, b), nullptr);
    EXPECT_EQ(t.top_count(), 2);
}

TEST(vte_tree, InsertionsKeepCounts) {
    vte_tree<tnode> t;
    tnode* p = t.make(0);
    t.append_top(p);
    tnode* x = t.make(1);
    tnode* y = t.make(2);
    tnode* z = t.make(3);
    t.append_child(y, p);
    t.insert_first_child(x, p);
    t.insert_after(z, y);
    EXPECT_EQ(p->child_count, 3);
    tnode* w = t.make(4);
    t.insert_before(w, x);  // before a first child: becomes the first child
    EXPECT_EQ(p->first_child, w);
    tnode* top = t.make(5);
    t.insert_first_top(top);
    EXPECT_EQ(t.first(), top);
    EXPECT_EQ(t.top_count(), 2);
    tnode* s = t.make(6);
    t.append_sibling(s, x);
    EXPECT_EQ(p->last_child, s);
    EXPECT_EQ(p->child_count, 5);
}

TEST(vte_tree, UnlinkJoinsNeighboursAndInsertPutsBack) {
    vte_tree<tnode> t;
    tnode* p = t.make(0);
    t.append_top(p);
    tnode* a = t.make(1);
    tnode* b = t.make(2);
    tnode* c = t.make(3);
    t.append_child(a, p);
    t.append_child(b, p);
    t.append_child(c, p);
    auto former = t.unlink(b);
    EXPECT_EQ(former.parent, p);
    EXPECT_EQ(former.next, c);
    EXPECT_EQ(a->next, c);
    EXPECT_EQ(c->prev, a);
    EXPECT_EQ(p->child_count, 2);
    t.insert(b, former.parent, former.next);
    EXPECT_EQ(a->next, b);
    EXPECT_EQ(p->child_count, 3);
    t.unlink(c);
    t.insert(c, p, nullptr);  // as last child
    EXPECT_EQ(p->last_child, c);
}

TEST(vte_tree, DeepTreeIsWalkedAndFreedWithoutRecursion) {
    vte_tree<tnode> t;
    tnode* parent = nullptr;
    for (int i = 0; i < 1000000; ++i) {
        tnode* n = t.make(i);
        if (parent)
            t.append_child(n, parent);
        else
            t.append_top(n);
        parent = n;
    }
    int count = 0;
    for (tnode* n = t.first(); n; n = t.next(n)) ++count;
    EXPECT_EQ(count, 1000000);
}
