// vti_directives: how template text is split, and what one directive comment
// asks for.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "html/vtsgml.h"
#include "template/vti.h"

// The markup tokenizer set up to pick directive comments ("<!--#" ... "-->",
// quotes protecting the end, backslash escapes inside quotes) out of template
// text. Everything else, tags and ordinary comments included, stays text.
// Input is capped at 16,777,216 bytes.
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

// Directive codes; 0 stands for a name the engine does not know, whose
// comment is copied through as text.
enum vti_code : int32_t {
    VTI_UNKNOWN = 0,
    VTI_ECHO = 2,
    VTI_FOR = 3,
    VTI_ENDFOR = 4,
    VTI_IF = 5,
    VTI_ELSE = 6,
    VTI_ENDIF = 7,
};

struct vti_directive {
    vti_code code = VTI_UNKNOWN;
    // The list named by the "var" attribute; null when the attribute is
    // missing or names no variable.
    const vti_list* list = nullptr;
};

// Reads a whole directive comment ("<!--#name attr=value ...-->"): the name
// picks the code (letter case ignored), "var" names the variable (letter case
// kept). Text that is not a complete directive comment gives VTI_UNKNOWN.
vti_directive vti_read_directive(std::string_view raw, const vti_variables& variables);

// The error text put into the output for a directive that cannot be carried
// out, with the position at which its closing '>' was read.
std::string vti_error_text(int32_t line, int32_t column);
