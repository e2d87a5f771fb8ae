// The checks of a multi-file project's source list and destination, shared
// by builds and clearing runs.
#pragma once

#include <string_view>
#include <vector>

#include "core/vtstring.h"

struct build_settings;
class page_refs;

// The failure of a single-file run without its page.
inline constexpr std::string_view source_missing_text = "Source file must be specified";

// False, with the message, when a pattern of the source list lists no page.
bool check_patterns(const build_settings& settings, vtstring& error);

// True when every pattern lists pages (check_patterns), the list is not
// empty, every source exists and is no folder (checked in list order), and
// each is listed once (spellings that name the same path count as one);
// otherwise error says which ("At least one source file must be specified",
// "File doesn't exist: " + path, "Source file is listed twice: " + the later
// entry). sizes, when given, receives each source's size in bytes. With
// refs, each source's reference is made there and looked at instead of the
// file.
bool check_sources(const build_settings& settings, vtstring& error, std::vector<double>* sizes,
                   page_refs* refs = nullptr);

// Sets exists to whether the destination is there. False, with "Can't open
// file for writing: " + path, when it is a folder: no run may write it.
bool check_destination(const build_settings& settings, vtstring& error, bool& exists);
