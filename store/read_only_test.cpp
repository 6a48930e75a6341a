// Read-only media: readers fall back to a read-only open, still unshared; writers never do.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/constants.h"
#include "store/file_manager.h"
#include "store/file_stream_posix.h"
#include "store/store_ops.h"
#include "store/stream.h"
#include "store/test_util.h"

namespace pel {
namespace {

int g_refusal = EROFS;
int g_readOnlyOpens = 0;

// Plays a medium that turns away every opener asking to write.
int RefuseWriters(const char* path, int flags, mode_t mode) {
  if ((flags & O_ACCMODE) != O_RDONLY) {
    errno = g_refusal;
    return -1;
  }
  ++g_readOnlyOpens;
  return ::open(path, flags, mode);
}

class ReadOnlyStore : public test::ScratchDir {
 protected:
  void SetUp() override {
    test::ScratchDir::SetUp();
    StringList msg;
    msg.Add("Host: mail.example.org");
    ASSERT_EQ(WriteSection(DefaultMessageKey, &msg, Db()), 0);
    ASSERT_EQ(WriteSetting("Version", "2.0", Db()), 0);
    before_ = test::ReadFileBytes(Db());
    g_readOnlyOpens = 0;
    PosixOpenHook() = RefuseWriters;
  }
  void TearDown() override {
    PosixOpenHook() = saved_;
    test::ScratchDir::TearDown();
  }
  std::string Db() const { return PathOf("PL.dbc"); }

  test::Bytes before_;
  PosixOpenFunction saved_ = PosixOpenHook();
};

TEST_F(ReadOnlyStore, ReadersGetTheirRecordsAndTheFileStaysAsItWas) {
  for (int refusal : {EROFS, EACCES}) {
    g_refusal = refusal;
    StringList lines;
    EXPECT_EQ(ReadSection(lines, DefaultMessageKey, Db()), 0);
    ASSERT_EQ(lines.Count(), 1);
    EXPECT_EQ(lines[0], "Host: mail.example.org");
    EXPECT_EQ(ReadSetting("Version", "", Db()), "2.0");
    StringList names;
    EXPECT_EQ(ListRoot(names, Db()), 0);
    EXPECT_EQ(names.Count(), 2);
    EXPECT_EQ(test::ReadFileBytes(Db()), before_);
  }
  EXPECT_EQ(g_readOnlyOpens, 6);
}

TEST_F(ReadOnlyStore, WritersAreRefusedAndNeverFallBack) {
  StringList msg;
  msg.Add("x");
  EXPECT_EQ(WriteSection(DefaultArticleKey, &msg, Db()), kOpenError);
  EXPECT_EQ(WriteSetting("Cutmarks", "--", Db()), kOpenError);
  EXPECT_EQ(RenameEntry(DefaultMessageKey, "old", Db()), kOpenError);
  EXPECT_EQ(g_readOnlyOpens, 1);  // the one read WriteSetting makes first
  EXPECT_EQ(test::ReadFileBytes(Db()), before_);
}

TEST_F(ReadOnlyStore, AReadOnlyOpenStillHoldsTheFileUnshared) {
  TFileManager reader(Db(), StoreOpenMode::kReading);
  EXPECT_EQ(reader.ErrorCode(), 0);
  PosixOpenHook() = saved_;
  TFileManager second(Db());
  EXPECT_EQ(second.ErrorCode(), kOpenError);
  EXPECT_EQ(second.OpenFailure().message, "Cannot open file " + Db());
  EXPECT_EQ(second.OpenFailure().reason, StoreFileError::kInUse);
}

TEST_F(ReadOnlyStore, OtherRefusalsAreNotTakenForReadOnly) {
  g_refusal = EIO;
  StringList lines;
  StoreFileError why;
  EXPECT_EQ(ReadSection(lines, DefaultMessageKey, Db(), &why), kOpenError);
  EXPECT_EQ(why.message, "Cannot open file " + Db());
  EXPECT_EQ(why.reason, StoreFileError::kOther);
  EXPECT_EQ(g_readOnlyOpens, 0);
}

}  // namespace
}  // namespace pel
