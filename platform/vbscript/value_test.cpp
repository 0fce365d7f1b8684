#include "platform/vbscript/value.h"

#include <gtest/gtest.h>

#include "platform/vbscript/errors.h"

namespace gildex::vbscript {
namespace {

TEST(ValueTest, NumbersPrintAsVBScriptPrintsThem) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {{0, "0"}, {-0.0, "0"}, {12, "12"}, {0.1, "0.1"}, {1.0 / 3, "0.333333333333333"}, {1e15, "1E+15"},
               {123456789012345, "123456789012345"}, {1.5e-7, "1.5E-07"}, {-2.25, "-2.25"}};
  for (const auto& c : cases) EXPECT_EQ(FormatDouble(c.value), c.text) << c.value;
}

TEST(ValueTest, NumericTextIsRecognisedAsIsNumericDoes) {
  struct Case {
    const char* text;
    bool ok;
    double value;
  } cases[] = {{"12", true, 12},    {" -1.5 ", true, -1.5}, {"1e3", true, 1000}, {"&HFF", true, 255},
               {"&H", false, 0},    {"1,000", true, 1000},  {"", false, 0},      {"abc", false, 0},
               {"1.2.3", false, 0}, {".5", true, 0.5},      {"+3", true, 3},     {"1e", false, 0}};
  for (const auto& c : cases) {
    double out = 0;
    EXPECT_EQ(ParseNumber(c.text, out), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(out, c.value) << c.text;
    }
  }
}

TEST(ValueTest, DatesReadAndPrintLikeAnEnglishWindows) {
  struct Case {
    const char* text;
    const char* shown;  // nullptr: not a date
  } cases[] = {{"1/15/2024", "1/15/2024"},
               {"2024-01-15", "1/15/2024"},
               {"January 15, 2024", "1/15/2024"},
               {"15 Jan 2024", "1/15/2024"},
               {"1/15/24", "1/15/2024"},
               {"1/15/2024 3:04:05 PM", "1/15/2024 3:04:05 PM"},
               {"13:30", "1:30:00 PM"},
               {"12:00 AM", "12:00:00 AM"},
               {"2/30/2024", nullptr},
               {"2/29/2023", nullptr},
               {"25:00", nullptr},
               {"hello", nullptr},
               {"", nullptr}};
  for (const auto& c : cases) {
    double d = 0;
    const bool ok = ParseDate(c.text, d);
    EXPECT_EQ(ok, c.shown != nullptr) << c.text;
    if (ok && c.shown) {
      EXPECT_EQ(FormatDate(d), c.shown) << c.text;
    }
  }
  EXPECT_EQ(FormatDate(0), "12:00:00 AM");
  EXPECT_EQ(FormatDate(DateFromParts(1900, 1, 1)), "1/1/1900");
  EXPECT_EQ(WeekdayOf(DateFromParts(2024, 3, 9)), 7);
}

TEST(ValueTest, ArraysAreCopiedWhenWritten) {
  Variant a = Variant::Array(MakeArray({2}));
  Variant b = a;
  MutableArray(b).items[0] = Variant::Int(1);
  EXPECT_TRUE(a.arr->items[0].IsEmpty());
  EXPECT_EQ(b.arr->items[0].i, 1);
  std::int64_t index[] = {2};
  EXPECT_THROW(a.arr->Offset(index), ScriptException);
}

}  // namespace
}  // namespace gildex::vbscript
