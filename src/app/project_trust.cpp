#include "app/project_trust.h"

#include <sys/stat.h>
#include <unistd.h>

#include "project/toc_project.h"

vtstring project_distrust(int descriptor, std::string_view name) {
    const uid_t self = geteuid();
    if (self != 0) return {};
    struct stat st {};
    vtstring refused;
    if (fstat(descriptor, &st) != 0)
        refused = "Can't open file ";
    else if (st.st_uid != self)
        refused = "Project file of another user (--trust-project runs it as root): ";
    else if (st.st_mode & (S_IWGRP | S_IWOTH))
        // With an ACL the group bits are its mask, the most any named user
        // or group may do: no write bit there, no writer but the owner.
        refused = "Project file that others may write (--trust-project runs it as root): ";
    else
        return {};
    refused.append(name);
    return refused;
}
