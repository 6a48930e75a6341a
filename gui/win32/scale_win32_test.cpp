// The scaling rule against the platform's own MulDiv, over every DPI a display may report.
#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>

#include "gui/scale.h"

namespace pel::gui {
namespace {

TEST(ScaleOnThePlatform, RoundsAsMulDivAtEveryDpi) {
  int mismatches = 0;
  for (int dpi = 1; dpi <= kMaxDpi; ++dpi)
    for (int v = -1000; v <= 1000; ++v)
      if (Scale(v, dpi) != MulDiv(v, dpi, kDesignDpi) && ++mismatches <= 5)
        ADD_FAILURE() << v << " at " << dpi << ": " << Scale(v, dpi) << ", MulDiv " << MulDiv(v, dpi, kDesignDpi);
  EXPECT_EQ(mismatches, 0);
  for (int points = 1; points <= 72; ++points)
    for (int dpi : {96, 120, 144, 192, 288}) EXPECT_EQ(PointsToPixels(points, dpi), MulDiv(points, dpi, 72));
}

}  // namespace
}  // namespace pel::gui
