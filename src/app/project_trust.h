// Whether a batch run as root takes a project file. A project names the
// files a build reads (its template can be any readable file, and it is
// copied into a page) and the files it writes, so it is as powerful as a
// script: root runs only a project file of its own that nobody else may
// write, unless told to trust it.
#pragma once

#include <string_view>

#include "core/vtstring.h"

class toc_project;

// The message that refuses the open project file (descriptor) named name,
// or empty when a run may read it: always empty unless this process runs as
// root. Refused are a file that another user owns, and one that anybody but
// its owner may write (a group or other write bit; an ACL that lets another
// user or group write shows as the group write bit).
vtstring project_distrust(int descriptor, std::string_view name);
