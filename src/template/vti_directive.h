// vti_directive: what one directive comment of a template asks for.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "template/vti_variables.h"

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
