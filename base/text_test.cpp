// Case mapping: the code page 1252 table, and (under Wine) its agreement with the system.
#include <gtest/gtest.h>

#include "base/text.h"

namespace pel {
namespace {

TEST(CaseTable, FoldsAsciiAndWesternLettersOnly) {
  EXPECT_EQ(TableLower('A'), 'a');
  EXPECT_EQ(TableLower('a'), 'a');
  EXPECT_EQ(TableLower('@'), '@');
  EXPECT_EQ(TableLower(0xC4), 0xE4);  // A diaeresis
  EXPECT_EQ(TableLower(0xD7), 0xD7);  // multiplication sign is no letter
  EXPECT_EQ(TableLower(0x8A), 0x9A);
  EXPECT_EQ(TableLower(0x9F), 0xFF);
  EXPECT_EQ(TableUpper(0xFF), 0x9F);
  EXPECT_EQ(TableUpper(0xF7), 0xF7);  // division sign
  EXPECT_EQ(TableUpper(0xDF), 0xDF);  // sharp s has no single upper letter
  for (int c = 0; c < 256; ++c) {
    unsigned char u = static_cast<unsigned char>(c);
    // Lower-casing then upper-casing an upper-case letter gives it back.
    if (TableLower(u) != u) {
      EXPECT_EQ(TableUpper(TableLower(u)), u) << c;
    }
  }
}

// In the Windows build AnsiLowerCase/AnsiUpperCase are the system's calls: the
// native table must give the same answer for every byte, or the native tests
// would prove behaviour the real program does not have.
TEST(Numbers, SpellAsPrintfWouldWithoutCuttingDigits) {
  struct Case { unsigned long long value; int width; const char* decimal; const char* hex; };
  const Case cases[] = {
      {0, 0, "0", "0"},           {7, 3, "007", "007"},
      {2026, 4, "2026", "07EA"},  {123456, 2, "123456", "1E240"},
      {0x80004005, 8, "2147500037", "80004005"},
      {18446744073709551615ull, 1, "18446744073709551615", "FFFFFFFFFFFFFFFF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ZeroPadded(c.value, c.width), c.decimal) << c.value;
    EXPECT_EQ(UpperHex(c.value, c.width), c.hex) << c.value;
  }
}

TEST(CaseMapping, AgreesWithTableForAllBytes) {
  for (int c = 1; c < 256; ++c) {
    Text one(1, static_cast<char>(c));
    EXPECT_EQ(static_cast<unsigned char>(AnsiLowerCase(one)[0]), TableLower(c)) << "lower " << c;
    EXPECT_EQ(static_cast<unsigned char>(AnsiUpperCase(one)[0]), TableUpper(c)) << "upper " << c;
  }
}

TEST(CaseMapping, SameTextIgnoresCaseButNotLength) {
  EXPECT_TRUE(AnsiSameText("Default", "DEFAULT"));
  EXPECT_TRUE(AnsiSameText("\xC4rger", "\xE4RGER"));
  EXPECT_FALSE(AnsiSameText("default", "defaults"));
  EXPECT_FALSE(AnsiSameText("message", "massage"));
  EXPECT_TRUE(AnsiSameText("", ""));
  EXPECT_FALSE(AnsiSameText("", "a"));
  EXPECT_TRUE(AnsiStartsText("from: ", "FROM: someone"));
  EXPECT_FALSE(AnsiStartsText("from: ", "From:x"));
  EXPECT_FALSE(AnsiStartsText("from: ", "From"));
}

}  // namespace
}  // namespace pel
