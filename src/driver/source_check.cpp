#include "driver/source_check.h"

#include <string>
#include <unordered_set>

#include "driver/build_settings.h"
#include "files/page_ref.h"
#include "files/vtfile.h"
#include "files/vtfile_error.h"
#include "files/vtfile_path.h"

bool check_patterns(const build_settings& settings, vtstring& error) {
    if (settings.source_error.empty()) return true;
    error = settings.source_error;
    return false;
}

bool check_sources(const build_settings& settings, vtstring& error, std::vector<double>* sizes,
                   page_refs* refs) {
    if (!check_patterns(settings, error)) return false;
    if (settings.sources.empty()) {
        error = "At least one source file must be specified";
        return false;
    }
    for (const std::string& s : settings.sources) {
        const page_ref* ref = refs ? &refs->of(s) : nullptr;
        double size = 0;
        bool file = false;
        if (ref && ref->walk == link_walk::ok) {
            // The file the walk found, as stat would see it through links.
            file = ref->exists && !S_ISDIR(ref->st.st_mode);
            size = static_cast<double>(ref->st.st_size);
        } else {
            vtfile_node info;
            file = vtfile_info(s, info) && !info.is_directory;
            size = file ? info.size.to_real() : 0;
        }
        if (!file) {
            error = "File doesn't exist: ";
            error.append(s);
            return false;
        }
        if (sizes) sizes->push_back(size);
    }
    // A page listed twice would be numbered twice, and the entries of its
    // first listing would link to the numbers of its second.
    std::unordered_set<std::string> seen;
    for (const std::string& s : settings.sources) {
        if (seen.insert(refs ? refs->of(s).normal : vtfile_normal_path(s)).second) continue;
        error = "Source file is listed twice: ";
        error.append(s);
        return false;
    }
    return true;
}

bool check_destination(const build_settings& settings, vtstring& error, bool& exists) {
    vtfile_node info;
    exists = vtfile_info(settings.destination, info);
    if (exists && info.is_directory) {
        error = vtfile_error_message(vtfile_error::cannot_write, settings.destination);
        return false;
    }
    return true;
}
