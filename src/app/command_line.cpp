#include "app/command_line.h"

#include "core/vtarr.h"
#include "core/vtstring.h"

void split_command_line(std::string_view text, vtarr& args) {
    vtstring arg;
    bool quoted = false;
    // True while no argument is being collected.
    bool boundary = true;
    for (char c : text) {
        if (c == ' ') {
            if (quoted) {
                arg += c;
            } else if (!boundary) {
                args.push_back(vtval(arg.view()));
                arg.clear();
                boundary = true;
            }
        } else if (c == '"') {
            if (boundary) {
                arg.clear();
                quoted = true;
                boundary = false;
            } else if (quoted) {
                args.push_back(vtval(arg.view()));
                arg.clear();
                quoted = false;
                boundary = true;
            }
            // A quote inside an unquoted word is dropped; the word goes on.
        } else {
            arg += c;
            boundary = false;
        }
    }
    if (!arg.empty()) args.push_back(vtval(arg.view()));
}
