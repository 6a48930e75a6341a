// String list: text form, line splitting and name=value lookups.
#include <gtest/gtest.h>

#include "base/string_list.h"

namespace pel {
namespace {

TEST(StringList, TextFormEndsEveryLineWithCrLf) {
  StringList l;
  EXPECT_EQ(l.GetText(), "");
  l.Add("one");
  l.Add("");
  l.Add("three");
  EXPECT_EQ(l.GetText(), "one\r\n\r\nthree\r\n");
}

TEST(StringList, SplitsAtCrLfCrOrLfWithoutTrailingEmptyLine) {
  StringList l;
  l.SetText("a\r\nb\rc\nd\r\n");
  ASSERT_EQ(l.Count(), 4);
  EXPECT_EQ(l[0], "a");
  EXPECT_EQ(l[1], "b");
  EXPECT_EQ(l[2], "c");
  EXPECT_EQ(l[3], "d");
  l.SetText("x\n\ny");
  ASSERT_EQ(l.Count(), 3);
  EXPECT_EQ(l[1], "");
  l.SetText("\n");
  ASSERT_EQ(l.Count(), 1);
  EXPECT_EQ(l[0], "");
  l.SetText("");
  EXPECT_EQ(l.Count(), 0);
  l.SetText("\r\r\n");  // CR, then CR LF: two empty lines
  EXPECT_EQ(l.Count(), 2);
}

TEST(StringList, NameLookupUsesPartBeforeFirstEquals) {
  StringList l;
  l.SetText("Plain line\nVersion=1.0=beta\nversion=shadowed\nEmpty=\n");
  EXPECT_EQ(l.IndexOfName("VERSION"), 1);
  EXPECT_EQ(l.ValueOf("version"), "1.0=beta");
  EXPECT_EQ(l.ValueOf("empty"), "");
  EXPECT_EQ(l.IndexOfName("Plain line"), -1);
  EXPECT_EQ(l.ValueOf("missing"), "");
  l.SetValueOf("Version", "2");
  EXPECT_EQ(l[1], "Version=2");
  EXPECT_EQ(l[2], "version=shadowed");
  l.SetValueOf("New", "x");
  EXPECT_EQ(l[l.Count() - 1], "New=x");
}

TEST(StringList, ValuesTravelWithTheirLines) {
  StringList l;
  l.Add("a", 10);
  l.Add("b", 20);
  l.Insert(1, "m", 15);
  EXPECT_EQ(l.Value(1), 15);
  l.Delete(0);
  EXPECT_EQ(l[0], "m");
  EXPECT_EQ(l.Value(1), 20);
  EXPECT_EQ(l.IndexOf("B"), 1);
}

}  // namespace
}  // namespace pel
