// The path conversion rule over the code page 1252 model, and the model against Windows' table.
#include "base/narrow_path.h"

#include <gtest/gtest.h>

#include "base/narrow_path_cases.h"

namespace pel {
namespace {

NarrowedPath Convert(const CodePage& cp, const NarrowCase& c, int* asked) {
  return NarrowPath(cp, Utf16FromUtf8(c.long_path), [&](std::u16string_view) {
    ++*asked;
    return Utf16FromUtf8(c.short_path);
  });
}

TEST(NarrowPath, TheRuleOverTheCodePageModel) {
  WesternCodePage cp;
  for (const NarrowCase& c : kNarrowCases) {
    int asked = 0;
    NarrowedPath got = Convert(cp, c, &asked);
    EXPECT_EQ(got.form, c.form) << c.what;
    EXPECT_EQ(got.path, c.bytes) << c.what;
    // The short form is asked for only when the long one cannot come in.
    EXPECT_EQ(asked, c.form == PathForm::Exact ? 0 : 1) << c.what;
    // What cannot be held is shown with '?' and never with a look-alike.
    if (c.form != PathForm::Exact) {
      EXPECT_NE(got.shown.find('?'), Text::npos) << c.what;
      EXPECT_EQ(got.shown.find("Lukasz"), Text::npos) << c.what;
      EXPECT_EQ(got.shown.find('"'), Text::npos) << c.what;
      EXPECT_EQ(got.shown.find("a/b"), Text::npos) << c.what;
    }
  }
}

TEST(NarrowPath, EveryByteOfTheCodePageComesBackAsItself) {
  WesternCodePage cp;
  Text all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  Text back;
  ASSERT_TRUE(cp.Narrow(cp.Widen(all), &back));
  EXPECT_EQ(back, all);
}

TEST(NarrowPath, Utf8RoundTripsThroughUtf16) {
  for (std::string_view s : {"plain", "Łukasz", "Дмитрий", "王小明", "\xF0\x9F\x93\xA7"}) {
    EXPECT_EQ(Utf8FromUtf16(Utf16FromUtf8(s)), s);
  }
  EXPECT_EQ(Utf16FromUtf8("\xF0\x9F\x93\xA7").size(), 2u);
  EXPECT_EQ(Utf16FromUtf8("a\xC3"), u"a\uFFFD");
}

}  // namespace
}  // namespace pel
