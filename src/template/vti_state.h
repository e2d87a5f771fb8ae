// vti_state: the directive rules of one engine instance.
//
// An instance is the top-level run of a template or one run of a loop or
// conditional body. Text and directives that the rules pass through go by the
// mode: to the output, into the body being collected (capture), or nowhere
// (skip). Opening directives are only acted on at nesting depth 0 and closing
// ones at depth 1; deeper ones are collected raw and acted on by the body's
// own instance when the body runs.
#pragma once

#include <cstdint>

#include "template/vti_directives.h"

enum class vti_mode : uint8_t { output, capture, skip };

// What the caller does with one directive, in this order: pass the raw text
// through by the (unchanged) mode; output a value; output the error text;
// when `run` is set, run the collected body `turns` times (possibly none) and
// then forget it.
struct vti_decision {
    bool pass = false;
    const vtval* value = nullptr;
    bool error = false;
    bool run = false;
    int32_t turns = 0;
    // A loop body's turn t reads index t; a conditional body reads the
    // instance's own index.
    bool loop = false;
};

// The value an instance at index reads from list: the one at index when
// 0 < index < length, else the first; null when the list is missing or empty.
const vtval* vti_selected(const vti_list* list, int32_t index);

class vti_state {
  public:
    explicit vti_state(int32_t index = 0) : index_(index) {}

    // Applies one directive to the mode and depth counters.
    vti_decision apply(const vti_directive& directive);

    vti_mode mode() const { return mode_; }
    // The list position this instance reads.
    int32_t index() const { return index_; }
    int32_t if_depth() const { return if_depth_; }
    int32_t for_depth() const { return for_depth_; }
    // Applies tokens that are only passed through, which open and close
    // the given net numbers of ifs and fors without ever closing this
    // instance's block or driving a counter below zero.
    void pass_over(int32_t ifs, int32_t fors) {
        if_depth_ += ifs;
        for_depth_ += fors;
    }

  private:
    vti_decision echo(const vti_directive& d);
    vti_decision open_for(const vti_directive& d);
    vti_decision close_for();
    vti_decision open_if(const vti_directive& d);
    vti_decision toggle_else();
    vti_decision close_if();

    int32_t index_ = 0;
    vti_mode mode_ = vti_mode::output;
    int32_t if_depth_ = 0;
    int32_t for_depth_ = 0;
    const vti_list* loop_list_ = nullptr;
};
