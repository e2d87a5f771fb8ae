#include "template/vti.h"

#include "template/vti_program.h"
#include "template/vti_source.h"

vti::vti(const vti_variables& variables, int32_t index)
    : variables_(variables), state_(index), runner_(output_) {}

void vti::pass(std::string_view raw) {
    switch (state_.mode()) {
        case vti_mode::output:
            output_.append(raw);
            break;
        case vti_mode::capture:
            collected_ += raw;
            break;
        case vti_mode::skip:
            break;
    }
}

void vti::on_piece(std::string_view bytes, bool last) {
    // The text after the last token is output whatever the mode.
    if (last)
        output_.append(bytes);
    else
        pass(bytes);
}

void vti::on_token(std::string_view bytes, bool directive) {
    const vti_directive parsed =
        directive ? vti_read_directive(bytes, variables_) : vti_directive{};
    const vti_decision d = state_.apply(parsed);
    if (d.pass) pass(bytes);
    if (d.value) output_.append(d.value->text());
    if (d.error) output_.append(vti_error_text(line(), column()));
    if (!d.run) return;
    if (d.turns > 0 && !collected_.empty()) {
        const vti_source body(std::move(collected_), variables_);
        runner_.run(body.whole(), d.turns, d.loop, state_.index());
    }
    collected_.clear();
}

int vti::end_result() {
    return state_.mode() == vti_mode::output ? VTSGML_DONE : 3;
}
