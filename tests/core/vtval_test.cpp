#include "core/vtval.h"

#include <gtest/gtest.h>

TEST(vtval, NewValueIsIntegerZero) {
    vtval v;
    EXPECT_EQ(v.type(), VT_INT);
    EXPECT_EQ(v.text(), "0");
    EXPECT_NE(vt_compare_values(vtval(), vtval("")), 0);
}

TEST(vtval, TextForms) {
    EXPECT_EQ(vtval::make_bool(true).text(), "1");
    EXPECT_EQ(vtval(-17).text(), "-17");
    EXPECT_EQ(vtval::make_handle(40, 0xABCu).text(), "0xabc");
    EXPECT_EQ(vtval::make_real(2.5).text(), "2.5");
    EXPECT_EQ(vtval::make_real(3.0).text(), "3");
    EXPECT_EQ(vtval::make_real(1234567.25).text(), "1234567.25");
    EXPECT_EQ(vtval::make_real(-0.125).text(), "-0.125");
    EXPECT_EQ(vtval::make_real(1e-11).text(), "0");
    EXPECT_EQ(vtval::make_real(0.0).text(), "0");
    EXPECT_EQ(vtval::make_real(2e18).text(), "0");
    EXPECT_EQ(vtval::make_real(123456.0).text(), "123456");
    EXPECT_EQ(vtval::make_real(0.1).text(), "0.1");
}

TEST(vtval, Conversions) {
    vtval s("  12abc");
    EXPECT_EQ(s.to_integer(), 12);
    EXPECT_TRUE(s.to_boolean());
    EXPECT_FALSE(vtval("abc").to_boolean());
    vtval r = vtval::make_real(-2.9);
    r.convert(VT_INT);
    EXPECT_EQ(r.type(), VT_INT);
    EXPECT_EQ(r.text(), "-2");
    vtval i(5);
    i.convert(VT_STRING);
    EXPECT_EQ(i.type(), VT_STRING);
    EXPECT_EQ(i.text(), "5");
    i.convert(1);  // tags 0 and 1 change nothing
    EXPECT_EQ(i.type(), VT_STRING);
    vtval b("2");
    b.convert(VT_BOOL);
    EXPECT_EQ(b.text(), "1");
}

TEST(vtval, ArithmeticBySumOfTags) {
    vtval s("41");
    s.increment();
    EXPECT_EQ(s.type(), VT_INT);
    EXPECT_EQ(s.to_integer(), 42);
    vtval one(1);
    one.add(vtval::make_real(0.5));
    EXPECT_EQ(one.type(), VT_REAL);
    EXPECT_EQ(one.text(), "1.5");
    vtval three(3);
    three.add(vtval("3"));
    EXPECT_EQ(three.type(), VT_INT);
    EXPECT_EQ(three.to_integer(), 6);
    // Two reals sum to 46: still real; a real and a handle go past 46: none.
    vtval r = vtval::make_real(1.0);
    vtval h = vtval::make_handle(30, 7);
    r.add(h);
    EXPECT_EQ(r.text(), "1");
    EXPECT_EQ(vtval::make_real(1.0).multiply(h).type(), VT_INT);
    EXPECT_EQ(vtval(7).divide(vtval(2)).to_integer(), 3);
    EXPECT_EQ(vtval(-7).divide(vtval(2)).to_integer(), -3);
    EXPECT_TRUE(vtval(1).less(vtval(2)).to_boolean());
}

TEST(vtval, DivisionByZeroGivesZero) {
    EXPECT_EQ(vtval(7).divide(vtval(0)).text(), "0");
    EXPECT_EQ(vtval::make_real(7).divide(vtval(0)).text(), "0");
    EXPECT_EQ(vtval(INT32_MIN).divide(vtval(-1)).to_integer(), INT32_MIN);
}
