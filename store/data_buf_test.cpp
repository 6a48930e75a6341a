// Payload buffers: fill and wipe rules, and zlib with its exact parameters and error boxes.
#include "store/data_buf.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <iterator>
#include <random>

#include "store/stream.h"
#include "store/test_util.h"
#include "sys/memory/scripted_ui.h"

namespace pel {
namespace {

using test::Bytes;
using test::FromHex;
using test::Hex;

Bytes PayloadOf(const TDataBuf& b) {
  return Bytes(b.Payload(), b.Payload() + b.storedLength);
}

TEST(DataBuf, AssignWithoutDataFillsZeroCharactersAndTerminates) {
  TDataBuf b;
  b.Assign(nullptr, 3);
  EXPECT_EQ(Hex(Bytes(b.Payload(), b.Payload() + 4)), "30303000");
  EXPECT_EQ(b.storedLength, 3);
  EXPECT_EQ(b.uncompressedLength, 3);
  EXPECT_TRUE(b.wipe);
}

TEST(DataBuf, FlagsWordIsKindReservedCompressedInFileOrder) {
  TDataBuf b;
  b.kind = 2;
  b.compressed = 1;
  EXPECT_EQ(Hex(test::Le32(static_cast<int32_t>(b.FlagsWord()))), "02000001");
  b.SetFlagsWord(0x01000201u);
  EXPECT_EQ(b.kind, 1);
  EXPECT_EQ(b.reserved[0], 2);
  EXPECT_EQ(b.compressed, 1);
}

std::vector<Bytes>* g_released = nullptr;
void Capture(const uint8_t* p, int32_t n) { g_released->emplace_back(p, p + n); }

TEST(DataBuf, ClearWipesAssignedBytesBeforeReleasingThem) {
  std::vector<Bytes> released;
  g_released = &released;
  TDataBuf::releaseObserver = Capture;
  {
    TDataBuf b("secret");
    b.kind = 2;
    b.Clear();
    EXPECT_EQ(b.storedLength, 0);
    EXPECT_EQ(b.uncompressedLength, 0);
    EXPECT_EQ(b.FlagsWord(), 0u);
    EXPECT_FALSE(b.HasPayload());
    EXPECT_TRUE(b.wipe);  // keeps its value
  }
  TDataBuf::releaseObserver = nullptr;
  ASSERT_EQ(released.size(), 1u);
  EXPECT_EQ(Hex(released[0]), "000000000000");
}

TEST(DataBuf, CompressingAnEmptyPayloadGivesTheEightByteStream) {
  TDataBuf b("");
  ASSERT_EQ(b.Compress(), 0);
  EXPECT_EQ(b.compressed, 1);
  EXPECT_EQ(Hex(PayloadOf(b)), "789c030000000001");
  EXPECT_EQ(b.uncompressedLength, 0);
  ASSERT_EQ(b.Decompress(), 0);
  EXPECT_EQ(b.compressed, 0);
  EXPECT_EQ(b.storedLength, 0);
  EXPECT_EQ(b.Payload()[0], 0);
}

TEST(DataBuf, CompressionUsesTheStoreParameters) {
  // Level -1, window 15, memLevel 9, default strategy: this exact stream.
  TDataBuf b("message\r\n", 10);  // the index text with its zero byte
  ASSERT_EQ(b.Compress(), 0);
  EXPECT_EQ(Hex(PayloadOf(b)), "789ccb4d2d2e4e4c4fe5e562000014ae02fd");
  EXPECT_EQ(b.uncompressedLength, 10);
  ASSERT_EQ(b.Decompress(), 0);
  EXPECT_EQ(Hex(PayloadOf(b)), "6d6573736167650d0a00");
}

// What a stream set up for this one payload makes of it.
Bytes FreshDeflate(const Bytes& in) {
  z_stream z{};
  deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 9, Z_DEFAULT_STRATEGY);
  Bytes out(static_cast<size_t>(static_cast<double>(in.size()) * 1.2 + 16.0));
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  int rc = deflate(&z, Z_FINISH);
  out.resize(rc == Z_STREAM_END ? z.total_out : 0);
  deflateEnd(&z);
  return out;
}

// The one stream reused for every payload gives each the bytes a stream of
// its own would, whatever came before it: large, empty, incompressible, and
// payloads after a failed inflate.
TEST(DataBuf, AReusedStreamGivesTheBytesOfAFreshOne) {
  ScriptedUi ui;
  ScopedUi scope(&ui);
  std::mt19937 rng(7);
  for (int round = 0; round < 40; ++round) {
    Bytes in(rng() % 3 ? rng() % 5000 : rng() % 200000);
    for (uint8_t& v : in) v = static_cast<uint8_t>(round % 4 == 3 ? rng() : rng() % 9 + 'a');
    TDataBuf b(in.data(), static_cast<int32_t>(in.size()));
    ASSERT_EQ(b.Compress(), 0);
    Bytes fresh = FreshDeflate(in);
    EXPECT_EQ(b.compressed == 1 ? PayloadOf(b) : Bytes{}, fresh) << "round " << round;
    if (round % 5 == 0) {
      TDataBuf broken(FromHex("789c0000").data(), 4);
      broken.compressed = 1;
      broken.uncompressedLength = 10;
      EXPECT_NE(broken.Decompress(), 0);
    }
    if (b.compressed == 1) {
      ASSERT_EQ(b.Decompress(), 0);
      EXPECT_EQ(PayloadOf(b), in);
    }
  }
}

// The Windows build compresses with a zlib of its own, cut down to the one
// level the store uses; the native build with Debian's. What they write must
// be the same bytes, for the mail client reads them back: each case's stored
// length and checksum below are Debian's zlib's. The cases reach every path
// of that level: short input, matches across a sliding window, long chains,
// runs, and data that does not compress (stored blocks).
TEST(DataBuf, EveryBuildCompressesToTheSameBytes) {
  ScriptedUi ui;
  ScopedUi scope(&ui);
  std::mt19937 rng(11);
  const char* words[] = {"remailer", "chain", "From: ", "Subject: ", "\r\n", "pool", "latency",
                         "anon", "the ", "Newsgroups: alt.privacy\r\n", "-----", "a", "0x"};
  auto text = [&](size_t n) {
    Bytes t;
    while (t.size() < n)
      for (const char* c = words[rng() % std::size(words)]; *c && t.size() < n; ++c) t.push_back(*c);
    return t;
  };
  auto noise = [&](size_t n) {
    Bytes t(n);
    for (uint8_t& v : t) v = static_cast<uint8_t>(rng());
    return t;
  };
  struct Case {
    const char* what;
    Bytes in;
    const char* expected;  // stored length, crc32 of the stored bytes
  };
  const Case cases[] = {
      {"one byte", Bytes{'x'}, "9 e208c90e"},
      {"a short message", text(300), "152 58b6a406"},
      {"text past the window", text(40000), "5734 6cc34a8e"},
      {"text of many blocks", text(300000), "40823 c31ff219"},
      {"a long run", Bytes(100000, 0), "120 a8f822d8"},
      {"noise", noise(70000), "70021 ccb6baea"},
      {"text then noise then text", [&] {
         Bytes t = text(20000), n = noise(50000), u = text(20000);
         t.insert(t.end(), n.begin(), n.end());
         t.insert(t.end(), u.begin(), u.end());
         return t;
       }(), "57948 48e23f21"},
  };
  for (const Case& c : cases) {
    TDataBuf b(c.in.data(), static_cast<int32_t>(c.in.size()));
    ASSERT_EQ(b.Compress(), 0) << c.what;
    char got[32];
    std::snprintf(got, sizeof got, "%d %08lx", b.storedLength,
                  crc32(0, b.Payload(), static_cast<uInt>(b.storedLength)));
    EXPECT_STREQ(got, c.expected) << c.what;
  }
}

TEST(DataBuf, ShortUncompressedLengthFailsWithBufErrorAndKeepsTheBytes) {
  ScriptedUi ui;
  ScopedUi scope(&ui);
  TDataBuf b;
  Bytes z = FromHex("789ccb4d2d2e4e4c4fe5e562000014ae02fd");
  b.SetPayload(z.data(), static_cast<int32_t>(z.size()));
  b.compressed = 1;
  b.uncompressedLength = 9;
  EXPECT_EQ(b.Decompress(), -5);
  EXPECT_EQ(b.compressed, 1);
  EXPECT_EQ(Hex(PayloadOf(b)), Hex(z));
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.Boxes()[0].text, "Decompression Error: Z_BUF_ERROR");
  EXPECT_EQ(ui.Boxes()[0].caption, "Inflate Error");
  EXPECT_EQ(ui.Boxes()[0].buttons, MsgButtons::Ok);
}

TEST(DataBuf, DamagedStreamFailsWithDataError) {
  ScriptedUi ui;
  ScopedUi scope(&ui);
  TDataBuf b;
  Bytes z = FromHex("789cffffffff0000");
  b.SetPayload(z.data(), static_cast<int32_t>(z.size()));
  b.compressed = 1;
  b.uncompressedLength = 100;
  EXPECT_EQ(b.Decompress(), -3);
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.Boxes()[0].text, "Decompression Error: -3");
  EXPECT_EQ(ui.Boxes()[0].caption, "Inflate Error");
}

TEST(DataBuf, LongerUncompressedLengthYieldsTheRealContents) {
  // The length is an upper bound: the output is what the stream holds.
  TDataBuf b;
  Bytes z = FromHex("789ccb4d2d2e4e4c4fe5e562000014ae02fd");
  b.SetPayload(z.data(), static_cast<int32_t>(z.size()));
  b.compressed = 1;
  b.uncompressedLength = 1 << 30;  // a lie; must not be allocated
  EXPECT_EQ(b.Decompress(), 0);
  EXPECT_EQ(b.storedLength, 10);
}

TEST(DataBuf, LargePayloadsRoundTripThroughTheGrowingInflateBuffer) {
  Bytes big(300000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>((i * 7) % 251);
  TDataBuf b(big.data(), static_cast<int32_t>(big.size()));
  ASSERT_EQ(b.Compress(), 0);
  EXPECT_LT(b.storedLength, 300000);
  ASSERT_EQ(b.Decompress(), 0);
  EXPECT_TRUE(PayloadOf(b) == big);
}

TEST(DataBuf, ErrorTextsNameTheZlibCodes) {
  EXPECT_EQ(TDataBuf::DecompressionErrorText(-2), "Decompression Error: Z_STREAM_ERROR");
  EXPECT_EQ(TDataBuf::DecompressionErrorText(-4), "Decompression Error: Z_MEM_ERROR");
  EXPECT_EQ(TDataBuf::DecompressionErrorText(-5), "Decompression Error: Z_BUF_ERROR");
  EXPECT_EQ(TDataBuf::DecompressionErrorText(-6), "Decompression Error: Z_VERSION_ERROR");
  EXPECT_EQ(TDataBuf::DecompressionErrorText(2), "Decompression Error: 2");
}

TEST(DataBuf, CompressStreamReplacesTheStreamContents) {
  MemoryStream s(test::AsBytes("message\r\n"));
  s.Bytes().push_back(0);
  bool produced = false;
  ASSERT_EQ(TDataBuf::CompressStream(s, &produced), 0);
  EXPECT_TRUE(produced);
  EXPECT_EQ(Hex(s.Bytes()), "789ccb4d2d2e4e4c4fe5e562000014ae02fd");
}

class DataBufFiles : public test::ScratchDir {};

TEST_F(DataBufFiles, SaveAndLoadFileKeepTheBytes) {
  Bytes raw = FromHex("00ff0d0a41");
  TDataBuf b(raw.data(), 5);
  ASSERT_TRUE(b.SaveToFile(PathOf("p.bin")));
  TDataBuf c;
  EXPECT_FALSE(c.LoadFromFile(PathOf("missing.bin")));
  EXPECT_FALSE(c.HasPayload());
  ASSERT_TRUE(c.LoadFromFile(PathOf("p.bin")));
  EXPECT_EQ(Hex(PayloadOf(c)), "00ff0d0a41");
}

}  // namespace
}  // namespace pel
