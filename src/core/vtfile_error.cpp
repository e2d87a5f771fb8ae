#include "core/vtfile_error.h"

vtstring vtfile_error_message(vtfile_error error, std::string_view path) {
    vtstring message;
    switch (error) {
        case vtfile_error::none:
            return message;
        case vtfile_error::cannot_read:
            message = "Can't open source file: ";
            break;
        case vtfile_error::cannot_write:
            message = "Can't open file for writing: ";
            break;
        case vtfile_error::foreign_link:
            message = "Can't follow link of another user: ";
            break;
        case vtfile_error::too_large:
            message = "Page is too large: ";
            break;
        case vtfile_error::bad_backup:
            message = "Can't restore file from its backup: ";
            break;
    }
    message.append(path);
    return message;
}
