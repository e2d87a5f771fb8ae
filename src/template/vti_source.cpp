#include "template/vti_source.h"

#include "template/vti_blocks.h"
#include "template/vti_program.h"
#include "template/vti_scanner.h"

namespace {

// Records the tokens of a text. Tokens tile the input, so each one's offset
// is the sum of the lengths before it. The text still pending at the end of
// the input is one more text token.
class recorder : public vti_scanner {
  public:
    recorder(const vti_variables& variables, std::vector<vti_token>& tokens)
        : variables_(variables), tokens_(tokens) {}

    // Reads text in place: it outlives the recorder.
    void read_all(std::string_view text) {
        append_chunk(text);
        set_input_complete();
        run();
    }

  protected:
    void on_piece(std::string_view bytes, bool /*last*/) override { push(bytes); }
    void on_token(std::string_view bytes, bool directive) override {
        vti_token& token = push(bytes);
        token.markup = true;
        if (directive) token.directive = vti_read_directive(bytes, variables_);
    }

  private:
    vti_token& push(std::string_view bytes) {
        vti_token& token = tokens_.emplace_back();
        token.offset = offset_;
        token.length = static_cast<uint32_t>(bytes.size());
        offset_ += token.length;
        return token;
    }

    const vti_variables& variables_;
    std::vector<vti_token>& tokens_;
    uint32_t offset_ = 0;
};

}  // namespace

vti_source::vti_source(std::string text, const vti_variables& variables) : text_(std::move(text)) {
    // The text is part of a template that was below the scanner's limit, so
    // the run always reaches the end.
    recorder(variables, tokens_).read_all(text_);
    const uint32_t count = static_cast<uint32_t>(tokens_.size());
    std::vector<vti_range> all;
    if (count) all.emplace_back(0, count);
    whole_ = std::make_unique<vti_program>(*this, std::move(all));
    blocks_ = std::make_unique<vti_blocks>(tokens_);
}

vti_source::~vti_source() = default;

const vti_program& vti_source::program(const std::vector<vti_range>& ranges) const {
    std::unique_ptr<vti_program>& known = programs_[ranges];
    if (!known) known = std::make_unique<vti_program>(*this, ranges);
    return *known;
}
