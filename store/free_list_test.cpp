// The free list: first fit, cutting from the front, joining on return, and its on-disk form.
#include "store/free_list.h"

#include <gtest/gtest.h>

#include "store/stream.h"
#include "store/test_util.h"

namespace pel {
namespace {

using test::Hex;

std::string Extents(const TFreeList& f) {
  std::string s;
  for (int i = 0; i < f.Count(); ++i)
    s += "[" + std::to_string(f.Position(i)) + "," + std::to_string(f.Length(i)) + "]";
  return s;
}

TFreeList Make(std::initializer_list<std::pair<int32_t, int32_t>> extents) {
  TFreeList f;
  for (auto [p, n] : extents) f.AddExtent(p, n);
  return f;
}

TEST(FreeList, TakeIsFirstFitAndCutsTheFront) {
  TFreeList f = Make({{100, 10}, {200, 40}, {300, 20}});
  EXPECT_EQ(f.TakeExtent(15), 200);
  EXPECT_EQ(Extents(f), "[100,10][215,25][300,20]");
  EXPECT_EQ(f.TakeExtent(10), 100);  // exact fit removes the extent
  EXPECT_EQ(Extents(f), "[215,25][300,20]");
  EXPECT_EQ(f.TakeExtent(26), -1);
  EXPECT_EQ(Extents(f), "[215,25][300,20]");
}

TEST(FreeList, ReturnedExtentsJoinTheirNeighbours) {
  TFreeList f = Make({{100, 10}, {130, 10}});
  f.AddExtent(110, 20);  // between the two: all three become one
  EXPECT_EQ(Extents(f), "[100,40]");
  f.AddExtent(90, 10);  // just before
  EXPECT_EQ(Extents(f), "[90,50]");
  f.AddExtent(140, 5);  // just after
  EXPECT_EQ(Extents(f), "[90,55]");
}

TEST(FreeList, UnconnectedExtentsAreInsertedInOrder) {
  TFreeList f = Make({{300, 10}, {100, 10}, {200, 10}, {50, 5}});
  EXPECT_EQ(Extents(f), "[50,5][100,10][200,10][300,10]");
  EXPECT_TRUE(f.Overlaps(105, 1));
  EXPECT_FALSE(f.Overlaps(110, 90));
}

TEST(FreeList, AreaIsCountThenPositionsThenLengths) {
  TFreeList f = Make({{100, 16}, {200, 32}});
  MemoryStream s;
  ASSERT_TRUE(f.SaveTo(s));
  EXPECT_EQ(Hex(s.Bytes()), "02000000" "64000000" "c8000000" "10000000" "20000000");
  s.Seek(0);
  TFreeList g;
  ASSERT_TRUE(g.LoadFrom(s, 2));
  EXPECT_EQ(Extents(g), "[100,16][200,32]");
}

TEST(FreeList, LoadRefusesCountsAboveTheLimitAndShortAreas) {
  MemoryStream s(test::FromHex("02000000 64000000 c8000000 10000000 20000000"));
  TFreeList f;
  EXPECT_FALSE(f.LoadFrom(s, 1));
  MemoryStream cut(test::FromHex("02000000 64000000 c8000000 10000000"));
  EXPECT_FALSE(f.LoadFrom(cut, 100));
  MemoryStream negative(test::FromHex("ffffffff"));
  EXPECT_FALSE(f.LoadFrom(negative, 100));
}

}  // namespace
}  // namespace pel
