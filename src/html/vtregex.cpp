#include "html/vtregex.h"

#include <string>
#include <vector>

#include "core/c_locale_scope.h"

namespace {

// A few compiled patterns, kept between calls: the placement pattern is the
// same for every page of a build.
struct cached_pattern {
    std::string pattern;
    int cflags = 0;
    regex_t compiled{};
};

class pattern_cache {
  public:
    ~pattern_cache() { clear(); }
    // A compiled pattern, or null with code set to regcomp's failure.
    const regex_t* get(const std::string& pattern, int cflags, int& code) {
        for (cached_pattern& c : entries_)
            if (c.cflags == cflags && c.pattern == pattern) return &c.compiled;
        cached_pattern fresh;
        code = vt_regcomp(&fresh.compiled, pattern.c_str(), cflags);
        if (code != 0) return nullptr;
        fresh.pattern = pattern;
        fresh.cflags = cflags;
        if (entries_.size() < capacity) {
            entries_.push_back(std::move(fresh));
            return &entries_.back().compiled;
        }
        cached_pattern& slot = entries_[next_victim_];
        next_victim_ = (next_victim_ + 1) % capacity;
        vt_regfree(&slot.compiled);
        slot = std::move(fresh);
        return &slot.compiled;
    }
    void clear() {
        for (cached_pattern& c : entries_) vt_regfree(&c.compiled);
        entries_.clear();
        next_victim_ = 0;
    }

  private:
    static constexpr size_t capacity = 8;
    std::vector<cached_pattern> entries_;
    size_t next_victim_ = 0;
};

// One for each thread: pages are scanned on several at once.
pattern_cache& cache() {
    thread_local pattern_cache instance;
    return instance;
}

}  // namespace

int vt_regcomp(regex_t* compiled, const char* pattern, int cflags) {
    c_locale_scope scope;
    return regcomp(compiled, pattern, cflags);
}

int vt_regexec(const regex_t* compiled, const char* subject, size_t nmatch, regmatch_t* matches,
               int eflags) {
    c_locale_scope scope;
    return regexec(compiled, subject, nmatch, matches, eflags);
}

void vt_regfree(regex_t* compiled) {
    regfree(compiled);
}

bool regex_load() {
    c_locale_scope make_it_now;
    return true;
}

void regex_unload() {
    cache().clear();
}

int regex_match(vtval& pattern, int cflags, vtval& subject, vtarr* groups) {
    if (groups)
        groups->clear();
    else
        cflags |= REG_NOSUB;
    cflags |= REG_EXTENDED;
    vtstring& pattern_text = pattern.str();
    vtstring& subject_text = subject.str();
    int code = 0;
    const regex_t* compiled = cache().get(pattern_text.str(), cflags, code);
    if (!compiled) return code;

    std::vector<regmatch_t> matches(groups ? compiled->re_nsub + 1 : 0);
    code = vt_regexec(compiled, subject_text.c_str(), matches.size(),
                      matches.empty() ? nullptr : matches.data(), 0);
    if (code != 0 || !groups) return code;

    // From the last entry down, each text put at the front of the list.
    const regoff_t length = subject_text.length();
    for (size_t i = matches.size(); i-- > 0;) {
        const regmatch_t& m = matches[i];
        if (m.rm_so >= 0 && m.rm_eo > 0 && m.rm_so < length && m.rm_eo <= length &&
            m.rm_eo > m.rm_so)
            groups->push_front(vtval(subject_text.view().substr(
                static_cast<size_t>(m.rm_so), static_cast<size_t>(m.rm_eo - m.rm_so))));
        else
            groups->push_front(vtval(""));
    }
    return 0;
}
