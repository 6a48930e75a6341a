// plstore in-process: each command's output, exit status and messages.
#include "tools/plstore/plstore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "store/stream.h"
#include "store/test_util.h"

namespace pel {
namespace {

class Plstore : public test::ScratchDir {
 protected:
  struct Result {
    int status;
    std::string out, err;
  };
  Result Run(std::vector<std::string> args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out, err;
    int status = RunPlstore(args, in, out, err);
    return {status, out.str(), err.str()};
  }
  std::string Db() const { return PathOf("PL.dbc"); }
};

TEST_F(Plstore, PutGetCatAndLsRoundTrip) {
  EXPECT_EQ(Run({"put", Db(), "default/message"}, "Host: a\r\nFrom: b\n\r~~").status, 0);
  Result get = Run({"get", Db(), "default/message"});
  EXPECT_EQ(get.status, 0);
  EXPECT_EQ(get.out, "Host: a\nFrom: b\n\n~~\n");
  EXPECT_EQ(Run({"cat", Db(), "default\xFFmessage"}).out, "Host: a\r\nFrom: b\r\n\r\n~~\r\n");
  EXPECT_EQ(Run({"put", Db(), "top"}, "x").status, 0);
  EXPECT_FALSE(std::filesystem::exists(Db() + ".jnl"));  // the commit deleted it
  EXPECT_EQ(Run({"ls", Db()}).out, "default\ntop\n");
  EXPECT_EQ(Run({"ls", Db(), "default"}).out, "message\n");
}

TEST_F(Plstore, PutReadsAFileAndRmDeletes) {
  std::ofstream(PathOf("in.txt"), std::ios::binary) << "one\r\ntwo\r\n";
  EXPECT_EQ(Run({"put", Db(), "a/b", PathOf("in.txt")}).status, 0);
  EXPECT_EQ(Run({"get", Db(), "a/b"}).out, "one\ntwo\n");
  EXPECT_EQ(Run({"rm", Db(), "a/b"}).status, 0);
  EXPECT_EQ(Run({"get", Db(), "a/b"}).out, "");
  EXPECT_EQ(Run({"ls", Db(), "a"}).out, "");
  EXPECT_EQ(Run({"check", Db()}).status, 0);
}

TEST_F(Plstore, SettingsPrintSetAndRemove) {
  EXPECT_EQ(Run({"setting", Db(), "Version", "0.9b2"}).status, 0);
  EXPECT_EQ(Run({"setting", Db(), "version"}).out, "0.9b2\n");
  EXPECT_EQ(Run({"get", Db(), "Initialization"}).out, "Version=0.9b2\n");
  EXPECT_EQ(Run({"setting", Db(), "Version", ""}).status, 0);
  EXPECT_EQ(Run({"setting", Db(), "Version"}).out, "\n");
}

TEST_F(Plstore, UsageErrorsAndMissingFilesExitOne) {
  Result r = Run({"frobnicate", Db()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("usage: plstore"), std::string::npos);
  EXPECT_EQ(Run({}).status, 1);
  EXPECT_EQ(Run({"get", Db()}).status, 1);
  Result missing = Run({"ls", PathOf("missing.dbc")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "Cannot open file " + PathOf("missing.dbc") + "\n");
  EXPECT_FALSE(std::filesystem::exists(PathOf("missing.dbc")));
  Result noInput = Run({"put", Db(), "a", PathOf("none.txt")});
  EXPECT_EQ(noInput.status, 1);
  EXPECT_EQ(noInput.err, "Cannot open file " + PathOf("none.txt") + "\n");
  Result create = Run({"put", PathOf("no/dir/x.dbc"), "a"}, "x");
  EXPECT_EQ(create.status, 1);
  EXPECT_EQ(create.err, "Cannot create file " + PathOf("no/dir/x.dbc") + "\n");
}

TEST_F(Plstore, StoreErrorsExitTwoWithTheirText) {
  test::WriteFileBytes(Db(), test::AsBytes("not a store, just some text in a file"));
  Result r = Run({"get", Db(), "a"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "plstore: Fatal read error!\n");
  Result w = Run({"put", Db(), "a"}, "x");
  EXPECT_EQ(w.status, 2);
  // A damaged settings record is an error, not an empty setting.
  Result setting = Run({"setting", Db(), "Version"});
  EXPECT_EQ(setting.status, 2);
  EXPECT_EQ(setting.out, "");
  EXPECT_EQ(setting.err, "plstore: Fatal read error!\n");
}

TEST_F(Plstore, RefusalsSayWhatWasRefused) {
  struct Case {
    std::vector<std::string> args;
    const char* err;
  } cases[] = {
      {{"setting", Db(), "A=B", "1"}, "plstore: a setting name cannot hold \"=\"\n"},
      {{"setting", Db(), "A=B"}, "plstore: a setting name cannot hold \"=\"\n"},
      {{"setting", Db(), "A", "1\r\nB=2"}, "plstore: a setting name or value cannot hold CR or LF\n"},
      {{"put", Db(), "a/b\rc"}, "plstore: a name in a path cannot hold CR or LF\n"},
      {{"get", Db(), "a/1/2/3/4/5/6/7/8/9/10/11/12/13/14/15/16"},
       "plstore: a path holds at most 16 names, this one 17\n"},
      {{"put", Db(), "a/1/2/3/4/5/6/7/8/9/10/11/12/13/14/15/16"},
       "plstore: a path holds at most 16 names, this one 17\n"},
  };
  for (const Case& c : cases) {
    Result r = Run(c.args, "x");
    EXPECT_EQ(r.status, 2) << c.args[2];
    EXPECT_EQ(r.err, c.err) << c.args[2];
  }
  EXPECT_FALSE(std::filesystem::exists(Db()));  // nothing was written, not even a new store
}

TEST_F(Plstore, AStoreHeldByAnotherProgramIsSaidToBeInUse) {
  ASSERT_EQ(Run({"put", Db(), "a"}, "x").status, 0);
  StoreFileError why;
  std::unique_ptr<ByteStream> holder = OpenStoreFile(Db(), StoreOpenMode::kWriting, why);
  ASSERT_TRUE(holder);
  for (const char* cmd : {"get", "put", "check"}) {
    Result r = Run({cmd, Db(), "a"}, "y");
    if (std::string(cmd) == "check") r = Run({cmd, Db()});
    EXPECT_EQ(r.status, 2) << cmd;
    EXPECT_EQ(r.err.rfind("Cannot open file " + Db() + ": in use by another program", 0), 0u) << r.err;
  }
  holder.reset();
  EXPECT_EQ(Run({"get", Db(), "a"}).out, "x\n");
}

TEST_F(Plstore, ReadingAnEmptyFileLeavesItEmpty) {
  test::WriteFileBytes(Db(), {});
  for (const char* cmd : {"ls", "get", "cat"}) EXPECT_EQ(Run({cmd, Db(), "a"}).status, 0) << cmd;
  EXPECT_EQ(Run({"setting", Db(), "Version"}).out, "\n");
  EXPECT_EQ(std::filesystem::file_size(Db()), 0u);
  Result check = Run({"check", Db()});
  EXPECT_EQ(check.status, 1);
  EXPECT_EQ(check.out, "file is 0 bytes, shorter than a header and free list (50)\n");
}

// A header a power loss zeroed or anything else damaged, on a store with
// records: every command fails with 2 and the file stays byte for byte as it
// was, readers and writers alike; nothing is made new over the records.
TEST_F(Plstore, DamagedHeadersAreReadErrorsForEveryCommandAndNeverWritten) {
  for (int i = 0; i < 40; ++i)
    ASSERT_EQ(Run({"put", Db(), "box/m" + std::to_string(i)}, "Subject: " + std::to_string(i)).status, 0);
  const test::Bytes good = test::ReadFileBytes(Db());
  struct Damage {
    const char* what;
    size_t at, n;
    uint8_t value;
  };
  for (Damage d : {Damage{"zeroed header", 0, 46, 0}, Damage{"zeroed first sector", 0, 512, 0},
                   Damage{"magic", 3, 1, 'X'}, Damage{"root block", 38, 4, 0x7F},
                   Damage{"used-space end", 42, 4, 0x7F}}) {
    test::Bytes bad = good;
    std::fill_n(bad.begin() + static_cast<std::ptrdiff_t>(d.at), d.n, d.value);
    test::WriteFileBytes(Db(), bad);
    const std::vector<std::vector<std::string>> commands = {
        {"ls", Db()},        {"ls", Db(), "box"},         {"get", Db(), "box/m1"},
        {"cat", Db(), "box/m1"}, {"put", Db(), "box/m1"}, {"rm", Db(), "box/m1"},
        {"setting", Db(), "Version"}, {"setting", Db(), "Version", "3"},
        {"check", Db()},     {"dump", Db()}};
    for (const auto& c : commands) {
      EXPECT_EQ(Run(c, "new text").status, 2) << d.what << ": " << c[0];
      EXPECT_EQ(test::ReadFileBytes(Db()), bad) << d.what << ": " << c[0];
      EXPECT_FALSE(std::filesystem::exists(Db() + ".jnl")) << d.what << ": " << c[0];
    }
  }
  // Zeros no longer than a new store hold nothing: that file is made a store.
  test::WriteFileBytes(Db(), test::Bytes(50, 0));
  EXPECT_EQ(Run({"put", Db(), "a"}, "x").status, 0);
  EXPECT_EQ(Run({"get", Db(), "a"}).out, "x\n");
}

TEST_F(Plstore, CheckReportsDamageAndExitsOne) {
  ASSERT_EQ(Run({"put", Db(), "a"}, "text").status, 0);
  test::Bytes f = test::ReadFileBytes(Db());
  f[f.size() - 4] = 9;  // free-list count past the end of the file
  test::WriteFileBytes(Db(), f);
  Result r = Run({"check", Db()});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "free-list count 9 does not fit in the file\n");
}

TEST_F(Plstore, InflateErrorsAreShownOnStandardError) {
  ASSERT_EQ(Run({"put", Db(), "a"}, "text that compresses").status, 0);
  test::Bytes f = test::ReadFileBytes(Db());
  f[58 + 12 + 3] ^= 0x55;  // inside the record's zlib stream
  test::WriteFileBytes(Db(), f);
  // The box's text still reaches standard error, but the still-compressed
  // bytes are not passed off as the record.
  for (const char* cmd : {"cat", "get"}) {
    Result r = Run({cmd, Db(), "a"});
    EXPECT_EQ(r.status, 2) << cmd;
    EXPECT_EQ(r.out, "") << cmd;
    EXPECT_EQ(r.err.rfind("Inflate Error: Decompression Error: ", 0), 0u) << cmd;
  }
}

}  // namespace
}  // namespace pel
