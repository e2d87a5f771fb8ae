// desktop_entry: a freedesktop desktop entry, the shortcut of this platform.
//
// The Exec line is built from plain arguments: each is quoted by the
// desktop-entry rules where it needs it, percent signs are doubled, and the
// whole line is then escaped like any string value, so that a launcher
// parsing it back gets exactly the arguments given.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class desktop_entry {
  public:
    std::string name;
    // Program and arguments, as the program should receive them.
    std::vector<std::string> command;
    // Appended unquoted after the command ("%f" for a file); may be empty.
    std::string field_code;
    std::string working_folder;
    std::string icon;
    // "text/html;" and the like; empty for none.
    std::string mime_types;
    // Menu categories, "Development;WebDevelopment;"; empty for none.
    std::string categories;
    // The class of the window the program opens, so docks match it to the
    // entry (and its icon); empty for none.
    std::string startup_wm_class;
    bool no_display = false;

    // The whole entry, line ends LF.
    std::string text() const;
    // Writes the entry atomically. False when it cannot be written.
    bool save(std::string_view path) const;

    // One argument of an Exec line: in double quotes, with a backslash before
    // each double quote, backquote, dollar sign and backslash, when it is
    // empty or holds a reserved byte; "%" doubled.
    static std::string quote_argument(std::string_view argument);
    // A string value: backslash, line feed, tab and carriage return escaped,
    // a leading blank written as \s.
    static std::string escape_value(std::string_view value);
};

// "X.lnk" becomes "X.desktop"; any other name gets ".desktop" appended
// unless it already ends in it.
std::string desktop_entry_path(std::string_view link_path);
