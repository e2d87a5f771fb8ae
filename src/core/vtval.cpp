#include "core/vtval.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "core/vttext.h"

vtval vtval::make_bool(bool flag) {
    vtval v;
    v.type_ = VT_BOOL;
    v.scalar_.r = 0;
    v.scalar_.b = flag;
    return v;
}

vtval vtval::make_real(double number) {
    vtval v;
    v.type_ = VT_REAL;
    v.scalar_.r = number;
    return v;
}

vtval vtval::make_handle(uint16_t tag, uint32_t handle) {
    vtval v;
    v.type_ = tag;
    v.scalar_.r = 0;
    v.scalar_.h = handle;
    return v;
}

vtstring vt_real_text(double number) {
    double a = std::fabs(number);
    if (!(a >= 1e-10 && a <= 1e18)) return vtstring("0");
    char buf[64];
    std::snprintf(buf, sizeof buf, a > 100000 ? "%.3f" : "%.8f", number);
    std::string_view t(buf);
    while (!t.empty() && t.back() == '0') t.remove_suffix(1);
    if (!t.empty() && t.back() == '.') t.remove_suffix(1);
    return vtstring(t);
}

const vtstring& vtval::to_text() const {
    if (cached_) return text_;
    char buf[32];
    switch (type_) {
        case VT_BOOL:
            text_ = scalar_.b ? "1" : "0";
            break;
        case VT_INT:
            std::snprintf(buf, sizeof buf, "%d", scalar_.i);
            text_ = buf;
            break;
        case VT_REAL:
            text_ = vt_real_text(scalar_.r);
            break;
        default:
            std::snprintf(buf, sizeof buf, "0x%x", scalar_.h);
            text_ = buf;
            break;
    }
    cached_ = true;
    return text_;
}

int32_t vtval::to_integer() const {
    switch (type_) {
        case VT_STRING:
            return vt_read_decimal(text_.view());
        case VT_BOOL:
            return scalar_.b ? 1 : 0;
        case VT_INT:
            return scalar_.i;
        case VT_REAL: {
            double r = std::trunc(scalar_.r);
            if (!(r > -2147483649.0 && r < 2147483648.0)) return 0;
            return static_cast<int32_t>(r);
        }
        default:
            return static_cast<int32_t>(scalar_.h);
    }
}

bool vtval::to_boolean() const {
    switch (type_) {
        case VT_STRING:
            return vt_read_decimal(text_.view()) != 0;
        case VT_BOOL:
            return scalar_.b;
        case VT_INT:
            return scalar_.i != 0;
        case VT_REAL:
            return scalar_.r != 0.0;
        default:
            return scalar_.h != 0;
    }
}

double vtval::to_real() const {
    switch (type_) {
        case VT_STRING:
            return vt_read_real(text_.view());
        case VT_BOOL:
            return scalar_.b ? 1.0 : 0.0;
        case VT_INT:
            return scalar_.i;
        case VT_REAL:
            return scalar_.r;
        default:
            return static_cast<int32_t>(scalar_.h);
    }
}

void vtval::convert(uint16_t type) {
    if (type == type_ || type == 0 || type == 1) return;
    switch (type) {
        case VT_STRING:
            to_text();
            type_ = VT_STRING;
            return;
        case VT_BOOL: {
            bool b = to_boolean();
            scalar_.r = 0;
            scalar_.b = b;
            break;
        }
        case VT_INT: {
            int32_t i = to_integer();
            scalar_.i = i;
            break;
        }
        case VT_REAL: {
            double r = to_real();
            scalar_.r = r;
            break;
        }
        default: {
            uint32_t h = static_cast<uint32_t>(to_integer());
            scalar_.r = 0;
            scalar_.h = h;
            break;
        }
    }
    type_ = type;
    cached_ = false;
    text_.clear();
}

vtstring& vtval::str() {
    convert(VT_STRING);
    return text_;
}

namespace {

enum class arith { integer, real, none };

arith arith_of(const vtval& a, const vtval& b) {
    int sum = a.type() + b.type();
    if (sum < 23) return arith::integer;
    if (sum <= 46) return arith::real;
    return arith::none;
}

int32_t int_operand(const vtval& v) {
    switch (v.type()) {
        case VT_STRING:
        case VT_BOOL:
        case VT_INT:
            return v.to_integer();
        default:
            return 0;
    }
}

double real_operand(const vtval& v) {
    switch (v.type()) {
        case VT_STRING:
        case VT_BOOL:
        case VT_INT:
        case VT_REAL:
            return v.to_real();
        default:
            return 0.0;
    }
}

// 32-bit arithmetic wraps around instead of overflowing.
int32_t wrap(int64_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

}  // namespace

vtval& vtval::add(const vtval& other) {
    switch (arith_of(*this, other)) {
        case arith::integer: {
            int32_t sum = wrap(static_cast<int64_t>(int_operand(*this)) + int_operand(other));
            *this = vtval(sum);
            break;
        }
        case arith::real: {
            double sum = real_operand(*this) + real_operand(other);
            *this = make_real(sum);
            break;
        }
        case arith::none:
            break;
    }
    return *this;
}

vtval& vtval::increment() {
    *this = vtval(wrap(static_cast<int64_t>(to_integer()) + 1));
    return *this;
}

vtval& vtval::decrement() {
    *this = vtval(wrap(static_cast<int64_t>(to_integer()) - 1));
    return *this;
}

vtval vtval::multiply(const vtval& other) const {
    switch (arith_of(*this, other)) {
        case arith::integer:
            return vtval(wrap(static_cast<int64_t>(int_operand(*this)) * int_operand(other)));
        case arith::real:
            return make_real(real_operand(*this) * real_operand(other));
        case arith::none:
            break;
    }
    return vtval();
}

vtval vtval::divide(const vtval& other) const {
    switch (arith_of(*this, other)) {
        case arith::integer: {
            int64_t d = int_operand(other);
            if (d == 0) return vtval();
            return vtval(wrap(static_cast<int64_t>(int_operand(*this)) / d));
        }
        case arith::real: {
            double d = real_operand(other);
            if (d == 0.0) return make_real(0.0);
            return make_real(real_operand(*this) / d);
        }
        case arith::none:
            break;
    }
    return vtval();
}

vtval vtval::less(const vtval& other) const {
    switch (arith_of(*this, other)) {
        case arith::integer:
            return make_bool(int_operand(*this) < int_operand(other));
        case arith::real:
            return make_bool(real_operand(*this) < real_operand(other));
        case arith::none:
            break;
    }
    return vtval();
}

int vt_compare_values(const vtval& a, const vtval& b) {
    return vt_compare(a.text(), b.text());
}
