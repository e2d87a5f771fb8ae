#include "files/vtfile_error.h"

#include <string>

#include "files/page_backup.h"

vtstring vtfile_error_message(vtfile_error error, std::string_view path) {
    // In the order of vtfile_error.
    static constexpr std::string_view texts[] = {
        "",
        "Can't open source file: ",
        "Can't open file for writing: ",
        "Can't follow link of another user: ",
        "Page is too large: ",
        "Can't restore file from its backup: ",
        "File was changed by another program: ",
        "File was changed after an interrupted write; compare it with its backup: ",
        "Gave up waiting for another program: ",
        "Too many open files: ",
        "Not a lock file of ours: ",
    };
    if (error == vtfile_error::none) return {};
    vtstring message(texts[static_cast<size_t>(error)]);
    message.append(path);
    if (error == vtfile_error::stale_backup) {
        message.append(" and ");
        message.append(page_backup_path(std::string(path)));
    }
    return message;
}
