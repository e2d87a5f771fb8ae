// Regular expressions: POSIX extended syntax over the C library's regcomp and
// regexec, with byte semantics whatever the process locale.
//
// Every compile and match runs under the "C" locale (switched for the calling
// thread only), so bytes 0x80..0xFF are ordinary characters and a pattern
// never fails on text that is not valid UTF-8. Subjects are passed to regexec
// as zero-terminated text: for regex_match a subject holding a zero byte
// matches as if it ended there.
#pragma once

#include <regex.h>

#include <cstddef>

#include "core/vtarr.h"
#include "core/vtval.h"

// Makes the facility ready. Always true here: the functions are the C
// library's own.
bool regex_load();
// Frees what the facility holds (cached compiled patterns).
void regex_unload();

// Compiles pattern with cflags | REG_EXTENDED (plus REG_NOSUB without groups)
// and matches it anywhere in subject; both values are turned into strings in
// place. Returns 0 on a match, otherwise regcomp's or regexec's code. With
// groups: the list is emptied first and, on a match, holds the whole match and
// then each sub-expression's text (empty when it took no part or matched
// nothing).
int regex_match(vtval& pattern, int cflags, vtval& subject, vtarr* groups);

// The raw functions under the "C" locale, for callers that scan themselves.
int vt_regcomp(regex_t* compiled, const char* pattern, int cflags);
int vt_regexec(const regex_t* compiled, const char* subject, size_t nmatch, regmatch_t* matches,
               int eflags);
void vt_regfree(regex_t* compiled);
