// Header lookup: the header block's end, prefix matching, continuations and the value cut.
#include "mail/message_headers.h"

#include <gtest/gtest.h>

namespace pel {
namespace {

StringList Lines(std::initializer_list<const char*> lines) {
  StringList l;
  for (const char* s : lines) l.Add(s);
  return l;
}

TEST(MessageHeaders, EmptyListsAndEmptyFirstLineFindNothing) {
  StringList empty;
  StringList blankFirst = Lines({"", "From: a@b"});
  for (const StringList* l : {&empty, &blankFirst}) {
    TMessageHeaders h(l);
    EXPECT_EQ(h.IndexOfHeader("From: "), -1);
    EXPECT_EQ(h.GetHeaderText("From: "), "");
    EXPECT_EQ(h.GetHeaderValue("From: "), "");
  }
  TMessageHeaders none(nullptr);
  EXPECT_EQ(none.GetHeaderValue("From: "), "");
}

TEST(MessageHeaders, EmptyNameNeverMatches) {
  StringList l = Lines({"From: a"});
  EXPECT_EQ(TMessageHeaders(&l).IndexOfHeader(""), -1);
}

TEST(MessageHeaders, OnlyTheHeaderBlockIsSearched) {
  StringList l = Lines({"To: x", "", "Host: in the body"});
  EXPECT_EQ(TMessageHeaders(&l).IndexOfHeader("Host: "), -1);
  // Blank-only lines do not end the block; short lines are skipped.
  StringList m = Lines({"   ", "X", "Host: mail.example.org"});
  EXPECT_EQ(TMessageHeaders(&m).IndexOfHeader("Host: "), 2);
  EXPECT_EQ(TMessageHeaders(&m).GetHeaderValue("Host: "), "mail.example.org");
}

TEST(MessageHeaders, NameMatchesCaseInsensitivelyWithItsBlank) {
  StringList l = Lines({"FROM:x", "From : y", "fRoM: Me <me@example.org>"});
  TMessageHeaders h(&l);
  EXPECT_EQ(h.IndexOfHeader("From: "), 2);
  EXPECT_EQ(h.GetHeaderValue("From: "), "Me <me@example.org>");
  // Locale case folding, not ASCII only: the accented capital matches its small form.
  StringList accents = Lines({"\xC9t\xE9: 1"});
  EXPECT_EQ(TMessageHeaders(&accents).IndexOfHeader("\xE9T\xC9: "), 0);
}

TEST(MessageHeaders, ValueIsNotTrimmed) {
  StringList l = Lines({"From:   abc  "});
  EXPECT_EQ(TMessageHeaders(&l).GetHeaderValue("From: "), "  abc  ");
}

TEST(MessageHeaders, ContinuationLinesJoinWithCrLf) {
  StringList l = Lines({"Subject: one", " two", "\tthree", "To: x", " not subject"});
  TMessageHeaders h(&l);
  EXPECT_EQ(h.GetHeaderText("Subject: "), "Subject: one\r\n two\r\n\tthree");
  EXPECT_EQ(h.GetHeaderValue("Subject: "), "one\r\n two\r\n\tthree");
}

TEST(MessageHeaders, FirstOfDuplicatesWinsAndLongValuesAreCut) {
  Text longValue(1500, 'v');
  StringList l = Lines({"Host: first", "Host: second"});
  l.Add("X-Long: " + longValue);
  TMessageHeaders h(&l);
  EXPECT_EQ(h.GetHeaderValue("Host: "), "first");
  EXPECT_EQ(h.GetHeaderValue("X-Long: "), Text(1024, 'v'));
}

TEST(MessageHeaders, ACallWithAListReattaches) {
  StringList a = Lines({"Host: a"}), b = Lines({"Host: b"});
  TMessageHeaders h(&a);
  EXPECT_EQ(h.GetHeaderValue("Host: ", &b), "b");
  EXPECT_EQ(h.GetHeaderValue("Host: "), "b");
}

}  // namespace
}  // namespace pel
