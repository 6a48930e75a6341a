// Delimited fields: empty fields are skipped and not counted.
#include "sys/delimited_field.h"

#include <gtest/gtest.h>

namespace pel {
namespace {

TEST(DelimitedField, CountsOnlyNonEmptyFields) {
  EXPECT_EQ(DelimitedField(0, "a,b", ",", "d"), "a");
  EXPECT_EQ(DelimitedField(1, ",,a,,b,", ",", "d"), "b");
  EXPECT_EQ(DelimitedField(2, ",,a,,b,", ",", "d"), "d");
  EXPECT_EQ(DelimitedField(-1, "a", ",", "d"), "d");
  EXPECT_EQ(DelimitedField(0, "", ",", "d"), "d");
  EXPECT_EQ(DelimitedField(0, ",,,", ",", ""), "");
}

TEST(DelimitedField, MultiByteAndEmptyDelimiters) {
  EXPECT_EQ(DelimitedField(1, "a::::b::c", "::", ""), "b");
  EXPECT_EQ(DelimitedField(0, "a,b", "", "d"), "a,b");
  EXPECT_EQ(DelimitedField(1, "a,b", "", "d"), "d");
  EXPECT_EQ(DelimitedField(1, "default\xFFmessage", "\xFF", ""), "message");
}

}  // namespace
}  // namespace pel
