// SPDX-License-Identifier: GPL-3.0-or-later
// The one whole-number parser, form by form.
#include <gtest/gtest.h>

#include "core/WholeNumber.h"

namespace zf {
namespace {

using Form = WholeNumberForm;

TEST(WholeNumberTest, DigitsTakeNothingButDigits) {
  EXPECT_EQ(ParseWholeNumber("0042", Form::Digits), 42);
  for (const char* text : {"", "-1", "-0", "+1", " 1", "1 ", "1.0", "1e3", "0x10", "12a"})
    EXPECT_FALSE(ParseWholeNumber(text, Form::Digits)) << '"' << text << '"';
}

TEST(WholeNumberTest, SignedTakesAMinusOnly) {
  EXPECT_EQ(ParseWholeNumber("-32768", Form::Signed), -32768);
  EXPECT_EQ(ParseWholeNumber("7", Form::Signed), 7);
  for (const char* text : {"+7", " 7", "7 ", "--7", "7.5", ""})
    EXPECT_FALSE(ParseWholeNumber(text, Form::Signed)) << '"' << text << '"';
}

TEST(WholeNumberTest, TypedAllowsBlanksAndEitherSign) {
  EXPECT_EQ(ParseWholeNumber(" \t+12\t ", Form::Typed), 12);
  EXPECT_EQ(ParseWholeNumber("  -3", Form::Typed), -3);
  for (const char* text : {"+-3", "++3", " ", "1 2", "1.5", "\n1"})
    EXPECT_FALSE(ParseWholeNumber(text, Form::Typed)) << '"' << text << '"';
}

TEST(WholeNumberTest, RoundedDecimalRoundsTiesToEven) {
  EXPECT_EQ(ParseWholeNumber(" 2.5 ", Form::RoundedDecimal), 2);
  EXPECT_EQ(ParseWholeNumber("3.5", Form::RoundedDecimal), 4);
  EXPECT_EQ(ParseWholeNumber("+1e3", Form::RoundedDecimal), 1000);
  EXPECT_EQ(ParseWholeNumber("-.5", Form::RoundedDecimal), 0);
  for (const char* text : {"inf", "nan", "", "1,5", "\t1", "1e400"})
    EXPECT_FALSE(ParseWholeNumber(text, Form::RoundedDecimal)) << '"' << text << '"';
}

TEST(WholeNumberTest, RangeIsInclusiveForEveryForm) {
  for (Form form : {Form::Digits, Form::Signed, Form::Typed, Form::RoundedDecimal}) {
    EXPECT_EQ(ParseWholeNumber("1", form, 1, 3), 1);
    EXPECT_EQ(ParseWholeNumber("3", form, 1, 3), 3);
    EXPECT_FALSE(ParseWholeNumber("0", form, 1, 3));
    EXPECT_FALSE(ParseWholeNumber("4", form, 1, 3));
  }
  EXPECT_EQ(ParseWholeNumber("9223372036854775807", Form::Digits), INT64_MAX);
  EXPECT_FALSE(ParseWholeNumber("9223372036854775808", Form::Digits));
  EXPECT_FALSE(ParseWholeNumber("1e19", Form::RoundedDecimal));
}

}  // namespace
}  // namespace zf
