// The Windows builds' zlib keeps deflate's lazy matcher alone: a caller that
// asks for a level or strategy it no longer has is refused, never given
// other bytes than Debian's zlib would give.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

namespace {

int Init(z_stream& z, int level, int strategy) {
  z = z_stream{};
  return deflateInit2(&z, level, Z_DEFLATED, 15, 9, strategy);
}

TEST(ZlibForStore, TheRemovedLevelsAndStrategiesAreRefusedTheOthersWork) {
  struct Case {
    int level, strategy, expected;
  };
  const Case cases[] = {
      {0, Z_DEFAULT_STRATEGY, Z_STREAM_ERROR}, {1, Z_DEFAULT_STRATEGY, Z_STREAM_ERROR},
      {3, Z_DEFAULT_STRATEGY, Z_STREAM_ERROR}, {6, Z_HUFFMAN_ONLY, Z_STREAM_ERROR},
      {6, Z_RLE, Z_STREAM_ERROR},              {4, Z_DEFAULT_STRATEGY, Z_OK},
      {9, Z_FILTERED, Z_OK},                   {Z_DEFAULT_COMPRESSION, Z_FIXED, Z_OK},
  };
  for (const Case& c : cases) {
    z_stream z;
    EXPECT_EQ(Init(z, c.level, c.strategy), c.expected) << c.level << " " << c.strategy;
    if (c.expected == Z_OK) deflateEnd(&z);
  }
  // Nor can a stream be switched to them later; it keeps working as it was.
  z_stream z;
  ASSERT_EQ(Init(z, Z_DEFAULT_COMPRESSION, Z_DEFAULT_STRATEGY), Z_OK);
  EXPECT_EQ(deflateParams(&z, 1, Z_DEFAULT_STRATEGY), Z_STREAM_ERROR);
  EXPECT_EQ(deflateParams(&z, 6, Z_RLE), Z_STREAM_ERROR);
  Bytef in[] = "a message, a message, a message";
  Bytef out[128];
  z.next_in = in;
  z.avail_in = sizeof in;
  z.next_out = out;
  z.avail_out = sizeof out;
  ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  z_stream i{};
  ASSERT_EQ(inflateInit(&i), Z_OK);
  Bytef back[64];
  i.next_in = out;
  i.avail_in = static_cast<uInt>(z.total_out);
  i.next_out = back;
  i.avail_out = sizeof back;
  EXPECT_EQ(inflate(&i, Z_FINISH), Z_STREAM_END);
  EXPECT_EQ(i.total_out, sizeof in);
  EXPECT_EQ(std::memcmp(back, in, sizeof in), 0);
  inflateEnd(&i);
  deflateEnd(&z);
}

}  // namespace
