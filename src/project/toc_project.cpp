#include "project/toc_project.h"

#include "project/vthash_array.h"

namespace {

// The single-valued settings with their keys and defaults, in file order.
struct field_def {
    const char* key;
    vtval toc_project::*field;
    vtval fallback;
};

const field_def (&fields())[13] {
    static const field_def defs[13] = {
        {"anchor_ids", &toc_project::anchor_ids, vtval(0)},
        {"destination", &toc_project::destination, vtval("")},
        {"indent", &toc_project::indent, vtval("")},
        {"insert_local_toc", &toc_project::insert_local_toc, vtval(0)},
        {"is_dest_as_source", &toc_project::is_dest_as_source, vtval(1)},
        {"is_single", &toc_project::is_single, vtval(1)},
        {"named_anchor_attributes", &toc_project::named_anchor_attributes, vtval("")},
        {"process_numbering", &toc_project::process_numbering, vtval(1)},
        {"process_title", &toc_project::process_title, vtval(0)},
        {"range_from", &toc_project::range_from, vtval(1)},
        {"range_to", &toc_project::range_to, vtval(6)},
        {"skip_class", &toc_project::skip_class, vtval("")},
        {"template_file", &toc_project::template_file, vtval("")},
    };
    return defs;
}

}  // namespace

toc_project::toc_project() {
    reset();
}

void toc_project::reset() {
    for (const field_def& f : fields()) this->*f.field = f.fallback;
    source.clear();
    normalize(false);
}

void toc_project::normalize(bool after_load_or_copy) {
    if (single()) {
        process_title = vtval(0);
        if (source.empty()) source.push_back(vtval(""));
    } else if (!source.empty() && source[0].text().empty()) {
        source.clear();
    }
    if (after_load_or_copy) {
        std::string_view attrs = named_anchor_attributes.text();
        if (!attrs.empty() && attrs[0] != ' ') {
            vtstring with_blank(" ");
            with_blank.append(attrs);
            named_anchor_attributes = vtval(with_blank.view());
        }
    }
}

int toc_project::load(std::string_view file_name, const vthash_array::file_check& check) {
    vthash_array settings;
    vtstring error;
    if (!settings.read(file_name, error, check)) {
        error_message = error;
        return 1;
    }
    for (const field_def& f : fields()) {
        vtval value;
        if (settings.get_first(f.key, value) && !value.text().empty())
            this->*f.field = value;
        else
            this->*f.field = f.fallback;
    }
    source.clear();
    if (const vtarr* sources = settings.get_all("source"))
        for (const vtval& s : *sources) source.push_back(s);
    normalize(true);
    return 0;
}

int toc_project::save(std::string_view file_name) {
    vthash_array settings;
    for (const field_def& f : fields()) settings.add(f.key, vtval((this->*f.field).text()));
    for (const vtval& s : source) settings.add("source", vtval(s.text()));
    if (!settings.write(file_name)) {
        error_message = "Can't write to file: ";
        error_message.append(file_name);
        return 1;
    }
    return 0;
}
