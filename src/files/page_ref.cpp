#include "files/page_ref.h"

#include <fcntl.h>

#include "files/file_state.h"

namespace {

std::string join(const std::string& folder, std::string_view name) {
    std::string path = folder == "/" ? std::string() : folder;
    (path += '/') += name;
    return path;
}

}  // namespace

void page_refs::add(const std::vector<std::string_view>& paths) {
    for (std::string_view path : paths) of(path);
}

page_ref& page_refs::of(std::string_view path) {
    const auto found = refs_.find(std::string(path));
    return found != refs_.end() ? found->second : make(path);
}

const page_ref* page_refs::find(std::string_view path) const {
    const auto found = refs_.find(std::string(path));
    return found == refs_.end() ? nullptr : &found->second;
}

page_ref& page_refs::make(std::string_view path) {
    page_ref& ref = refs_[std::string(path)];
    ref.written = path;
    const std::string p = vtfile_path(path);
    ref.normal = vtfile_normal_path(p);
    const size_t slash = p.find_last_of('/');
    const std::string_view name =
        slash == std::string::npos ? std::string_view(p) : std::string_view(p).substr(slash + 1);
    std::string candidate;
    if (!name.empty() && name != "." && name != "..") {
        if (slash == std::string::npos) {
            candidate = p;
        } else {
            const std::string folder = p.substr(0, slash == 0 ? 1 : slash);
            auto known = folders_.find(folder);
            if (known == folders_.end()) {
                std::string resolved;
                const link_walk walk = vtfile_resolve_links(folder, resolved, true);
                known = folders_.emplace(folder, walk == link_walk::ok ? resolved : "").first;
            }
            // Spelt as written when no link lies on the way, as a walk of
            // the whole path would give it.
            if (known->second == folder)
                candidate = p;
            else if (!known->second.empty())
                candidate = join(known->second, name);
        }
    }
    // The file itself a link, missing, or its folder's walk failed: the
    // whole path is walked, as the kernel would.
    ref.clock = file_state::clock();
    if (!candidate.empty() && stat_plain(AT_FDCWD, candidate.c_str(), ref.st, ref.plain) &&
        !S_ISLNK(ref.st.st_mode)) {
        ref.resolved = std::move(candidate);
        ref.exists = true;
        return ref;
    }
    ref.walk = vtfile_resolve_links(p, ref.resolved, true);
    ref.clock = file_state::clock();
    ref.exists =
        ref.walk == link_walk::ok && stat_plain(AT_FDCWD, ref.resolved.c_str(), ref.st, ref.plain);
    if (!ref.exists) ref.st = {};
    return ref;
}

std::string page_ref_folder(const page_ref& ref) {
    return vtfile_folder_of(ref.resolved);
}
