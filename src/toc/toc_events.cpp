#include "toc/toc_events.h"

#include <string_view>
#include <utility>
#include <vector>

toc_events::toc_events(const toc_node* start_item, const toc_node* end_item)
    : start_(start_item == end_item ? nullptr : start_item), end_(end_item) {
    restart();
    if (!next_) return;
    step();
    first_ = current_;
    for (count_ = 1; next_ || climb_; ++count_) step();
    restart();
}

void toc_events::restart() {
    index_ = -1;
    ended_ = false;
    climb_ = nullptr;
    next_ = start_;
    depth_ = start_ ? toc_tree::depth(start_) : 0;
}

void toc_events::leave(const toc_node* n) {
    // A page's local TOC ends before the next page's first item, which may
    // follow n's subtree or open it; the parents' later siblings come after
    // it too.
    if (end_ && (n->next == end_ || n->first_child == end_)) ended_ = true;
    const toc_node* after = ended_ ? nullptr : n->next;
    if (!after && n->parent) {
        climb_ = n;
        next_ = nullptr;
    } else {
        climb_ = nullptr;
        next_ = after;
    }
}

void toc_events::step() {
    ++index_;
    if (climb_) {
        // Every ancestor is closed on the way up, also those of the start
        // item, which were never opened.
        climb_ = climb_->parent;
        current_ = {nullptr, --depth_};
        leave(climb_);
        return;
    }
    current_ = {next_, depth_};
    if (has_children(next_)) {
        ++depth_;
        next_ = next_->first_child;
        return;
    }
    leave(next_);
}

const toc_event& toc_events::at(int32_t index) {
    if (index == 0) return first_;
    if (index < index_) restart();
    while (index_ < index) step();
    return current_;
}

enum class event_field { item, text, link, open, numbering, level, indentation, children };

// One variable: a property of every event, made when the engine reads it.
class toc_variables::field : public vti_list_maker {
  public:
    field(toc_events& events, const toc_tree& toc, event_field which)
        : events_(events), toc_(toc), which_(which) {}

    int32_t count() const override { return events_.count(); }

    const vtval& value(int32_t index) const override {
        const toc_event& e = events_.at(index);
        switch (which_) {
            case event_field::item:
                value_ = vtval(index + 1);
                break;
            case event_field::text:
                set_text(e.item ? e.item->text() : std::string_view());
                break;
            case event_field::link:
                set_text(e.item ? toc_.link(*e.item, link_) : std::string_view());
                break;
            case event_field::open:
                value_ = vtval(e.item ? 1 : 0);
                break;
            case event_field::numbering:
                set_text(e.item ? e.item->numbering() : std::string_view());
                break;
            case event_field::level:
                value_ = vtval(e.level);
                break;
            case event_field::indentation:
                set_text(indentation(e.level));
                break;
            case event_field::children:
                // Only items with sub-items are closed.
                value_ = vtval::make_bool(!e.item || events_.has_children(e.item));
                break;
        }
        return value_;
    }

  private:
    // A string value, its storage reused from read to read.
    void set_text(std::string_view text) const { value_.str().assign(text); }
    // The indent unit repeated level times, made once per level.
    std::string_view indentation(int32_t level) const {
        if (indentations_.empty()) indentations_.emplace_back();
        while (static_cast<int32_t>(indentations_.size()) <= level) {
            vtstring deeper = indentations_.back();
            deeper.append(toc_.indent.view());
            indentations_.push_back(std::move(deeper));
        }
        return indentations_[static_cast<size_t>(level)].view();
    }

    toc_events& events_;
    const toc_tree& toc_;
    event_field which_;
    mutable vtval value_;
    mutable vtstring link_;
    mutable std::vector<vtstring> indentations_;
};

toc_variables::toc_variables(const toc_tree& toc, const toc_node* start_item,
                             const toc_node* end_item)
    : events_(start_item, end_item) {
    const std::pair<const char*, event_field> names[] = {
        {"item", event_field::item},
        {"text", event_field::text},
        {"link", event_field::link},
        {"open", event_field::open},
        {"numbering", event_field::numbering},
        {"level", event_field::level},
        {"indentation", event_field::indentation},
        {"children", event_field::children},
    };
    for (const auto& [name, which] : names)
        variables_.emplace(name, vti_list(fields_.emplace_back(events_, toc, which)));
}

toc_variables::~toc_variables() = default;
