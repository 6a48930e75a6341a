// The scaling rule: design values at the scalings users' displays are set to, and the reports taken as 96.
#include <gtest/gtest.h>

#include <iterator>

#include "gui/scale.h"

namespace pel::gui {
namespace {

// One row a design value; one column a DPI (100, 125, 150, 200 and 300 %).
// Every expected figure was worked by hand as value * dpi / 96, with halves
// rounded up: 305 at 120 is 381.25 -> 381, 13 at 120 is 16.25 -> 16, 41 at
// 144 is 61.5 -> 62, 17 at 120 is 21.25 -> 21, 25 at 120 is 31.25 -> 31.
TEST(Scale, DesignValuesAtEachScaling) {
  constexpr int kDpis[] = {96, 120, 144, 192, 288};
  struct Row {
    int design;
    int at[5];
  };
  constexpr Row kRows[] = {
      {0, {0, 0, 0, 0, 0}},
      {1, {1, 1, 2, 2, 3}},         // 1.25 -> 1, 1.5 -> 2
      {3, {3, 4, 5, 6, 9}},         // 3.75 -> 4, 4.5 -> 5
      {8, {8, 10, 12, 16, 24}},
      {13, {13, 16, 20, 26, 39}},   // 16.25, 19.5 -> 20
      {17, {17, 21, 26, 34, 51}},   // 21.25, 25.5 -> 26
      {21, {21, 26, 32, 42, 63}},   // 26.25, 31.5 -> 32
      {25, {25, 31, 38, 50, 75}},   // 31.25, 37.5 -> 38
      {27, {27, 34, 41, 54, 81}},   // 33.75 -> 34, 40.5 -> 41
      {41, {41, 51, 62, 82, 123}},  // 51.25, 61.5 -> 62
      {75, {75, 94, 113, 150, 225}},    // 93.75 -> 94, 112.5 -> 113
      {305, {305, 381, 458, 610, 915}}, // 381.25, 457.5 -> 458
      {457, {457, 571, 686, 914, 1371}},  // 571.25, 685.5 -> 686
      {-27, {-27, -34, -41, -54, -81}},   // halves away from zero on the negative side too
      {-1, {-1, -1, -2, -2, -3}},
  };
  for (const Row& r : kRows)
    for (size_t i = 0; i < std::size(kDpis); ++i)
      EXPECT_EQ(Scale(r.design, kDpis[i]), r.at[i]) << r.design << " at " << kDpis[i];
}

TEST(Scale, ReportsOfNoneOrBeyond480AreTakenAs96) {
  struct Case {
    int reported;
    int used;
  };
  constexpr Case kCases[] = {{0, 96}, {-96, 96}, {481, 96}, {1 << 30, 96}, {-2147483647 - 1, 96},
                             {1, 1},  {72, 72},  {480, 480}};
  for (const Case& c : kCases) {
    EXPECT_EQ(UsableDpi(c.reported), c.used) << c.reported;
    EXPECT_EQ(Scale(457, c.reported), MulDivRound(457, c.used, 96)) << c.reported;
  }
  // A broken report gives the design's own size, not a window of nothing.
  EXPECT_EQ(Scale(305, 0), 305);
  EXPECT_EQ(Scale(305, 960), 305);
}

TEST(Scale, RoundsAsThePlatformsMulDiv) {
  struct Case {
    int a, b, c, q;
  };
  constexpr Case kCases[] = {
      {5, 1, 2, 3},   {-5, 1, 2, -3}, {5, -1, 2, -3}, {5, 1, -2, -3}, {-5, -1, 2, 3},
      {7, 1, 3, 2},   {8, 1, 3, 3},   {1, 1, 0, 0},   {2147483647, 2, 2, 2147483647},
  };
  for (const Case& c : kCases) EXPECT_EQ(MulDivRound(c.a, c.b, c.c), c.q) << c.a << "*" << c.b << "/" << c.c;
}

TEST(Scale, TemplateFontPointsAsTheDialogManagerSizesThem) {
  // 8 pt, the wizards' dialog font: 10.67 -> 11 at 96, 13.33 -> 13, 16, 21.33 -> 21, 32.
  constexpr int kDpis[] = {96, 120, 144, 192, 288};
  constexpr int kPixels[] = {11, 13, 16, 21, 32};
  for (size_t i = 0; i < std::size(kDpis); ++i) EXPECT_EQ(PointsToPixels(8, kDpis[i]), kPixels[i]);
  EXPECT_EQ(PointsToPixels(8, 0), 11);
}

}  // namespace
}  // namespace pel::gui
