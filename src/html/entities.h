// Character references of the tagged-text reader: numeric ("&#65;",
// "&#x41;") and named ("&lt;") references decoded in place.
//
// Decoding is two passes over the text, numeric first and named second, so a
// numeric reference that yields '&' can form a named reference with the text
// after it ("&#38;lt;" gives "<"). A text without any reference is not
// touched (no copy). Zero bytes inside a text are ordinary bytes: references
// after them are decoded too.
#pragma once

#include "core/vthash.h"
#include "core/vtstring.h"
#include "core/vtval.h"

// The five named entities of the tagged files: amp, lt, gt, apos, quot.
void fill_entity_table(vthash& table);

// "&#" digits ";" (decimal up to the first non-digit, or after a lower-case
// 'x' hexadecimal) becomes one byte, the low 8 bits of the number. True when
// a reference matched (the text was rebuilt).
bool decode_numeric_references(vtstring& text);
// "&name;" found in table becomes the table's text; unknown names stay as
// written. With fold the name is lower-cased (ASCII) before the lookup.
bool decode_named_references(vtstring& text, const vthash& table, bool fold);
// Both passes, numeric first. True when either pass rebuilt the text.
bool decode_entities(vtstring& text, const vthash& table, bool fold);
// The same on a value, turned into a string first.
void decode_entities(vtval& text, const vthash& table, bool fold);
