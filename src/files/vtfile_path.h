// Path texts: separators, relative paths and the folder helpers of the
// installer, and the walk that follows the symlinks of a path.
#pragma once

#include <string>
#include <string_view>

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
