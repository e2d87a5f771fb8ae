// The installer's and uninstaller's fixed texts and names.
#pragma once

#include <string_view>

namespace setup_text {

// Messages.
inline constexpr std::string_view running =
    "Before installation you need to close running\r\nOrvane 1.0b";
inline constexpr std::string_view incomplete = "The distribution is incomplete.\nTerminating.";
inline constexpr std::string_view file_error = "File error";
inline constexpr std::string_view registry_read =
    "Setup can't read system registry.The probable reason is either you don't have enough rights "
    "or registry is corrupt.";
inline constexpr std::string_view registry_write =
    "Setup can't write to system registry.The probable reason is either you don't have enough "
    "rights or registry is corrupt.";
inline constexpr std::string_view drive_info =
    "There is a problem in getting the drive information. Please select another drive for "
    "installation.";
inline constexpr std::string_view no_space =
    "Not enough free space on the drive. Please select another drive for installation.";
inline constexpr std::string_view no_folder =
    "Destination folder can not be created. Please select another directory for installation.";
inline constexpr std::string_view no_copy = "Setup can't copy files.";
inline constexpr std::string_view no_subfolder = "Setup can't create a folder.";
inline constexpr std::string_view no_menu_link = "Setup can't create Start menu link.";
inline constexpr std::string_view package_installed =
    "Orvane 1.0b is installed on this computer from its Debian package \"orvane\". Setup does "
    "not install a second copy: start Orvane from the menu, or remove the package first (sudo apt "
    "remove orvane).";
inline constexpr std::string_view no_html_program =
    "No program opens HTML pages on this computer yet, so the file manager context menu item "
    "[Open With] was not added: it would have become the program that opens them. Run setup "
    "again once a web browser is installed.";
inline constexpr std::string_view no_desktop_folder = "Setup can't find the desktop folder.";
inline constexpr std::string_view no_desktop_made = "Setup can't create the desktop folder: ";
inline constexpr std::string_view no_desktop_icon = "Setup can't create the desktop icon in ";
inline constexpr std::string_view previous_version =
    "Previous version of software is detected. It is highly recommended that you install current "
    "version to the same directory.";

// Registry keys and values.
inline constexpr std::string_view vendor_key = "Software\\VELT";
inline constexpr std::string_view program_key = "Software\\VELT\\ORV1";
inline constexpr std::string_view uninstall_key =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vorn1";
// The HTML file type's key; on this platform the file type is its MIME type.
inline constexpr std::string_view html_type = "text/html";
inline constexpr std::string_view shell_verb = "Create ToC with Orvane 1.0b";

inline constexpr std::string_view inst_dir = "inst_dir";
inline constexpr std::string_view icon_dir = "icon_dir";
inline constexpr std::string_view desktop_icon = "desktop_icon";
// What the uninstaller needs beyond the install record: the files it
// copied (relative to the installation folder, one a line), the folders it
// made (one a line) and the path of the "Open With" entry for HTML files.
inline constexpr std::string_view files = "files";
inline constexpr std::string_view created_dirs = "created_dirs";
inline constexpr std::string_view shell_entry = "shell_entry";
// The submenu's directory file and its entries (one path a line); icon_dir
// holds its merged menu file.
inline constexpr std::string_view menu_directory = "menu_directory";
inline constexpr std::string_view menu_entries = "menu_entries";
// The line the installer added to the user's mimeapps.list to keep the
// program that opened HTML pages before it, and that file's path.
inline constexpr std::string_view mime_pin = "mime_pin";
inline constexpr std::string_view mime_list = "mime_list";

// Names of what the installer creates. The menu's files carry the vendor
// prefix "velt-orvane-", apart from the Debian package's "org.orvane.Orvane".
inline constexpr std::string_view menu_folder = "VELT Orvane";  // the submenu's name
inline constexpr std::string_view menu_directory_file = "velt-orvane.directory";
inline constexpr std::string_view menu_file = "user-velt-orvane.menu";
inline constexpr std::string_view program_link = "VELT Orvane 1.0b.lnk";  // the desktop icon
inline constexpr std::string_view program_entry = "velt-orvane-vorn1.desktop";
inline constexpr std::string_view program_entry_name = "VELT Orvane 1.0b";
inline constexpr std::string_view help_entry = "velt-orvane-help.desktop";
inline constexpr std::string_view help_entry_name = "Help";
inline constexpr std::string_view uninstall_entry = "velt-orvane-uninstall.desktop";
inline constexpr std::string_view uninstall_entry_name = "Uninstall";
inline constexpr std::string_view menu_categories = "Development;WebDevelopment;";
inline constexpr std::string_view window_class = "vorn1";
inline constexpr std::string_view shell_entry_file = "velt-orvane-create-toc.desktop";
inline constexpr std::string_view program = "vorn1";
inline constexpr std::string_view setup_program = "setup";
inline constexpr std::string_view uninstaller = "remove";
inline constexpr std::string_view help_page = "help.html";
inline constexpr std::string_view icon_image = "orvane.png";

}  // namespace setup_text
