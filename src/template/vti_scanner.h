// vti_scanner: the markup tokenizer set up to pick directive comments
// ("<!--#" ... "-->", quotes protecting the end, backslash escapes inside
// quotes) out of template text. Everything else, tags and ordinary comments
// included, stays text. Input is capped at 16,777,216 bytes.
#pragma once

#include <cstdint>
#include <string_view>

#include "html/vtsgml.h"

class vti_scanner : public vtsgml {
  public:
    static constexpr int64_t size_limit = 16777216;

    vti_scanner();

  protected:
    // A text token, or the text still pending when the input ended (`last`).
    virtual void on_piece(std::string_view bytes, bool last) = 0;
    // A markup token: a directive comment (`directive`), or one of the few
    // constructs the tokenizer ends early ("<>", "<!>"), which are text to
    // the engine. line() and column() stand at its closing '>'.
    virtual void on_token(std::string_view bytes, bool directive) = 0;
    // The result of the run that reached the end of the input.
    virtual int end_result() { return VTSGML_DONE; }

  private:
    int finish() final;
    int on_text(std::string_view bytes) final;
    int on_markup(xml_kind kind, std::string_view bytes) final;
};
