#include "project/toc_project.h"

#include "project/vthash_array.h"

namespace {

// The single-valued settings with their keys and defaults, in file order.
struct field_def {
    const char* key;
    vtval toc_project::*field;
    vtval fallback;
};

const field_def (&fields())[20] {
    static const field_def defs[20] = {
        {"anchor_ids", &toc_project::anchor_ids, vtval(0)},
        {"destination", &toc_project::destination, vtval("")},
        {"heading_links", &toc_project::heading_links, vtval("")},
        {"indent", &toc_project::indent, vtval("")},
        {"insert_local_toc", &toc_project::insert_local_toc, vtval(0)},
        {"is_dest_as_source", &toc_project::is_dest_as_source, vtval(1)},
        {"is_single", &toc_project::is_single, vtval(1)},
        {"named_anchor_attributes", &toc_project::named_anchor_attributes, vtval("")},
        {"number_class", &toc_project::number_class, vtval("")},
        {"numbering_from", &toc_project::numbering_from, vtval("")},
        {"numbering_start", &toc_project::numbering_start, vtval("")},
        {"numbering_to", &toc_project::numbering_to, vtval("")},
        {"process_numbering", &toc_project::process_numbering, vtval(1)},
        {"process_title", &toc_project::process_title, vtval(0)},
        {"range_from", &toc_project::range_from, vtval(1)},
        {"range_to", &toc_project::range_to, vtval(6)},
        {"relative_to", &toc_project::relative_to, vtval("")},
        {"skip_class", &toc_project::skip_class, vtval("")},
        {"template_file", &toc_project::template_file, vtval("")},
        {"unnumbered_class", &toc_project::unnumbered_class, vtval("")},
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
    source_glob.clear();
    normalize(false);
}

void toc_project::normalize(bool after_load_or_copy) {
    if (single()) {
        process_title = vtval(0);
        if (source.empty()) source.push_back(vtval(""));
    } else if (!source.empty() && source[0].text().empty()) {
        source.clear();
        for (source_pattern& p : source_glob) p.place = 0;
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
    source_glob.clear();
    for (const auto& [key, value] : settings.values_in_order("source", "source_glob")) {
        if (key == "source")
            source.push_back(*value);
        else
            source_glob.push_back({*value, source.count()});
    }
    normalize(true);
    return 0;
}

int toc_project::save(std::string_view file_name) {
    vthash_array settings;
    for (const field_def& f : fields()) settings.add(f.key, vtval((this->*f.field).text()));
    // Pages and patterns are one list: their lines keep their order.
    for (const source_line& line : source_lines())
        settings.add(line.is_pattern ? "source_glob" : "source", vtval(line.text));
    settings.write_together("source", "source_glob");
    if (!settings.write(file_name)) {
        error_message = "Can't write to file: ";
        error_message.append(file_name);
        return 1;
    }
    return 0;
}

std::vector<source_line> toc_project::source_lines() const {
    std::vector<source_line> lines;
    size_t p = 0;
    for (int32_t i = 0; i <= source.count(); ++i) {
        for (; p < source_glob.size() && (source_glob[p].place <= i || i == source.count()); ++p)
            lines.push_back({source_glob[p].pattern.text(), true});
        if (i < source.count()) lines.push_back({source[i].text(), false});
    }
    return lines;
}

void toc_project::add_source_pattern(std::string_view pattern) {
    source_glob.push_back({vtval(pattern), source.count()});
}

bool toc_project::same_settings(const toc_project& other) const {
    for (const field_def& f : fields())
        if ((this->*f.field).text() != (other.*f.field).text()) return false;
    if (source.count() != other.source.count()) return false;
    for (int32_t i = 0; i < source.count(); ++i)
        if (source[i].text() != other.source[i].text()) return false;
    if (source_glob.size() != other.source_glob.size()) return false;
    for (size_t i = 0; i < source_glob.size(); ++i)
        if (source_glob[i].pattern.text() != other.source_glob[i].pattern.text() ||
            source_glob[i].place != other.source_glob[i].place)
            return false;
    return true;
}
