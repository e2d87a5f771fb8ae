// Path texts: separators, normal and relative paths, the current folder, and
// the walk that follows the symlinks of a path.
#pragma once

#include <string>
#include <string_view>

#include "core/vtstring.h"

// A copy of path with every backslash turned into a slash.
std::string vtfile_path(std::string_view path);
// The folder part of a slash-separated path: "." for a bare name, "/" for a
// file at the root.
std::string vtfile_folder_of(std::string_view path);

// The absolute, normal form of path: a relative path is taken from the
// current folder, and ".", ".." and doubled "/" are resolved in the text
// (backslashes count as "/"). Two spellings of one file give one path when
// no symlink lies between them.
std::string vtfile_normal_path(std::string_view path);

enum class link_walk { ok, foreign_link, loop };
// Follows the symlinks on the way to path, component by component as the
// kernel does, and gives in resolved the same file named without them (a
// relative path stays relative; a missing component and what follows it are
// kept as written). With own_links_only, a link that belongs to neither the
// effective user nor root fails the walk (foreign_link): another user's link
// must not make a build read or write a file of its choosing, whether the
// link stands for the file or for a folder on the way. More than 40 links
// (a loop) give loop.
link_walk vtfile_resolve_links(std::string_view path, std::string& resolved, bool own_links_only);

// The process's current folder (no trailing "/" except for the root). It is
// asked of the kernel once and kept: the program changes its folder only
// through vtfile_set_current_folder, which forgets it, and paths are made
// absolute several times a page.
vtstring vtfile_current_folder();
// Forgets the kept current folder; the next call asks the kernel again.
void vtfile_forget_current_folder();

// The path of target relative to the folder of the file base: both with
// backslashes turned into slashes, split at slashes, common leading
// components dropped (letter case ignored when ignore_case), "../" for each
// remaining folder of base, then the rest of target. Equal paths give an
// empty result; any other empty result becomes ".".
vtstring vtfile_relative_path(std::string_view base, std::string_view target, bool ignore_case);
// A path beginning with "/" and longer than width (width >= 6) becomes "/..."
// and its last width - 4 bytes, exactly width long; any other is unchanged.
vtstring vtfile_short_path(std::string_view path, int32_t width);
