// Tests of the placement of a dialog over its owner.
#include "setup/center_over.h"

#include <gtest/gtest.h>

namespace pel {
namespace {

TEST(CenterOver, MiddleOfTheOwnerWithHalvesRoundedTowardsZero) {
  // An odd difference of 5 moves by 2, not 3.
  WindowBox owner{200, 100, 500, 305};
  WindowBox placed = CenterOver({0, 0, 301, 300}, owner);
  EXPECT_EQ(placed, (WindowBox{299, 102, 301, 300}));
}

TEST(CenterOver, LargerDialogMovesOutByTheTruncatedHalf) {
  // Differences of -3 and -5 give -1 and -2; flooring would give -2 and -3.
  WindowBox owner{400, 300, 200, 100};
  EXPECT_EQ(CenterOver({7, 9, 205, 103}, owner), (WindowBox{398, 299, 205, 103}));
}

TEST(CenterOver, NotClippedToTheScreen) {
  WindowBox owner{-1000, -50, 100, 80};
  EXPECT_EQ(CenterOver({0, 0, 400, 300}, owner), (WindowBox{-1150, -160, 400, 300}));
}

TEST(CenterOver, WithoutOwnerTheDialogStaysWhereItWas) {
  WindowBox dialog{123, 45, 257, 140};
  EXPECT_EQ(CenterOver(dialog, std::nullopt), dialog);
}

}  // namespace
}  // namespace pel
