#include "template/vti.h"

#include "template/vti_body.h"
#include "template/vti_body_runner.h"
#include "template/vti_directives.h"
#include "template/vti_state.h"

// The top-level instance: reads the template as it comes, collects a body
// until its closing directive and has the runner run it.
class vti::instance : public vti_scanner {
  public:
    instance(const vti_variables& variables, int32_t index)
        : variables_(variables), state_(index), runner_(output_) {}

    vti_output& output() { return output_; }

  protected:
    void on_piece(std::string_view bytes, bool last) override {
        // The text after the last token is output whatever the mode.
        if (last)
            output_.append(bytes);
        else
            pass(bytes);
    }
    void on_token(std::string_view bytes, bool directive) override;
    int end_result() override { return state_.mode() == vti_mode::output ? VTSGML_DONE : 3; }

  private:
    void pass(std::string_view raw);

    const vti_variables& variables_;
    vti_state state_;
    std::string collected_;
    vti_output output_;
    vti_body_runner runner_;
};

void vti::instance::pass(std::string_view raw) {
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

void vti::instance::on_token(std::string_view bytes, bool directive) {
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

vti::vti(const vti_variables& variables, int32_t index)
    : instance_(std::make_unique<instance>(variables, index)) {}

vti::~vti() = default;

void vti::add(std::string_view chunk) {
    instance_->add(chunk);
}

void vti::mark_end() {
    instance_->set_input_complete();
}

int vti::process() {
    return instance_->run();
}

void vti::take_output(std::vector<vtstring>& out) {
    instance_->output().take(out);
}

void vti::set_output_sink(std::function<void(std::string_view)> sink) {
    instance_->output().set_sink(std::move(sink));
}
