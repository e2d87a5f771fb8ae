#include "template/vti_state.h"

vti_decision vti_state::apply(const vti_directive& directive) {
    switch (directive.code) {
        case VTI_ECHO:
            return echo(directive);
        case VTI_FOR:
            return open_for(directive);
        case VTI_ENDFOR:
            return close_for();
        case VTI_IF:
            return open_if(directive);
        case VTI_ELSE:
            return toggle_else();
        case VTI_ENDIF:
            return close_if();
        case VTI_UNKNOWN:
            break;
    }
    return {.pass = true};
}

const vtval* vti_selected(const vti_list* list, int32_t index) {
    if (!list || list->empty()) return nullptr;
    return &(*list)[index > 0 && index < list->count() ? index : 0];
}

vti_decision vti_state::echo(const vti_directive& d) {
    // Echo ignores the depth counters: collected raw, or carried out now.
    const vtval* value = mode_ == vti_mode::output ? vti_selected(d.list, index_) : nullptr;
    if (value) return {.value = value};
    return {.pass = true};
}

vti_decision vti_state::open_for(const vti_directive& d) {
    vti_decision result;
    if (if_depth_ > 0 || for_depth_ > 0) {
        result.pass = true;
    } else if (d.list) {
        loop_list_ = d.list;
        mode_ = vti_mode::capture;
    } else {
        result.error = true;
        mode_ = vti_mode::output;
    }
    ++for_depth_;
    return result;
}

vti_decision vti_state::close_for() {
    vti_decision result;
    if (if_depth_ > 0 || for_depth_ != 1) {
        result.pass = true;
    } else {
        // Without a list the collected body is dropped unrun.
        result.run = true;
        result.loop = true;
        if (mode_ == vti_mode::capture && loop_list_) result.turns = loop_list_->count();
        mode_ = vti_mode::output;
    }
    if (--for_depth_ < 0) {
        result.error = true;
        for_depth_ = 0;
    }
    return result;
}

vti_decision vti_state::open_if(const vti_directive& d) {
    vti_decision result;
    if (if_depth_ > 0 || for_depth_ > 0) {
        result.pass = true;
    } else if (const vtval* value = vti_selected(d.list, index_)) {
        mode_ = value->to_integer() != 0 ? vti_mode::capture : vti_mode::skip;
    } else {
        result.error = true;
        mode_ = vti_mode::output;
    }
    ++if_depth_;
    return result;
}

vti_decision vti_state::toggle_else() {
    if (if_depth_ != 1 || for_depth_ > 0) return {.pass = true};
    if (mode_ == vti_mode::capture)
        mode_ = vti_mode::skip;
    else if (mode_ == vti_mode::skip)
        mode_ = vti_mode::capture;
    return {};
}

vti_decision vti_state::close_if() {
    vti_decision result;
    if (if_depth_ != 1 || for_depth_ > 0) {
        result.pass = true;
    } else {
        result.run = true;
        result.turns = 1;
        mode_ = vti_mode::output;
    }
    if (--if_depth_ < 0) {
        result.error = true;
        if_depth_ = 0;
    }
    return result;
}
