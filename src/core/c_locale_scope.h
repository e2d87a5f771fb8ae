// The "C" locale for one scope of the calling thread: the C library's
// regular expressions and number conversions then read bytes and decimal
// points the same way whatever locale the process runs in (Qt sets it from
// the environment).
#pragma once

#include <locale.h>

class c_locale_scope {
  public:
    c_locale_scope();
    ~c_locale_scope();
    c_locale_scope(const c_locale_scope&) = delete;
    c_locale_scope& operator=(const c_locale_scope&) = delete;

  private:
    locale_t old_;
};
