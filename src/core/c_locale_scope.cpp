#include "core/c_locale_scope.h"

namespace {

// Made once and kept for the life of the process; null when the C library
// cannot make it, and then the scope changes nothing.
locale_t c_locale() {
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return loc;
}

}  // namespace

c_locale_scope::c_locale_scope()
    : old_(c_locale() ? uselocale(c_locale()) : static_cast<locale_t>(0)) {}

c_locale_scope::~c_locale_scope() {
    if (old_) uselocale(old_);
}
