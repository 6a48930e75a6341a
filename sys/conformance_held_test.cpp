// What a held folder guarantees on every implementation: it stays put, and nothing below it is reached through a swapped name.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "sys/conformance_env.h"
#include "sys/paths.h"

namespace pel {
namespace {

class Held : public ::testing::Test {
 protected:
  void SetUp() override { env_ = MakeConformanceEnv(); }
  void TearDown() override { env_->ReleaseHeld(); }
  FileSystem& fs() { return env_->platform().files; }
  Text S(std::string_view rest) { return env_->scratch() + Text(rest); }
  Text Read(std::string_view rest) {
    Text data;
    fs().ReadWholeFile(S(rest), &data);
    return data;
  }
  // The listed entry of that name; its name empty when there is none.
  static HeldEntry Entry(HeldFolder& folder, std::string_view name) {
    std::vector<HeldEntry> entries;
    folder.List(&entries);
    for (const HeldEntry& e : entries) {
      if (AnsiSameText(e.name, name)) return e;
    }
    return HeldEntry();
  }
  std::unique_ptr<ConformanceEnv> env_;
};

TEST_F(Held, AHeldFolderIsTheOneIdentifiedAndCannotBeMovedUntilLetGo) {
  ASSERT_TRUE(fs().MakeDirectory(S("Prod")));
  ASSERT_TRUE(fs().WriteWholeFile(S("Prod\\readme.txt"), "keep"));
  FileIdentity id;
  ASSERT_TRUE(fs().Identify(S("Prod"), &id));
  std::unique_ptr<HeldFolder> held = fs().HoldFolder(S("Prod"));
  ASSERT_TRUE(held);
  EXPECT_EQ(held->Identity(), id);
  EXPECT_FALSE(fs().Move(S("Prod"), S("Moved"), false));
  EXPECT_FALSE(fs().RemoveEmptyDirectory(S("Prod")));
  EXPECT_EQ(Read("Prod\\readme.txt"), "keep");
  // A second holder is welcome: holding asks for no deletion itself.
  EXPECT_TRUE(fs().HoldFolder(S("Prod")));
  held.reset();
  EXPECT_TRUE(fs().Move(S("Prod"), S("Moved"), false));
  FileIdentity moved;
  ASSERT_TRUE(fs().Identify(S("Moved"), &moved));
  EXPECT_EQ(moved, id);  // a rename keeps who it is
}

TEST_F(Held, EntriesGoThroughTheHoldOnlyWhenTheyCan) {
  ASSERT_TRUE(fs().MakeDirectory(S("Prod")));
  ASSERT_TRUE(fs().MakeDirectory(S("Prod\\empty")));
  ASSERT_TRUE(fs().MakeDirectory(S("Prod\\full")));
  for (const char* f : {"a.txt", "ro.txt", "held.txt", "full\\x.txt"}) {
    ASSERT_TRUE(fs().WriteWholeFile(S("Prod\\") + f, f));
  }
  ASSERT_TRUE(fs().SetAttributes(S("Prod\\ro.txt"), kAttrReadOnly));
  ASSERT_TRUE(env_->Hold(S("Prod\\held.txt")));
  std::unique_ptr<HeldFolder> held = fs().HoldFolder(S("Prod"));
  ASSERT_TRUE(held);
  std::vector<HeldEntry> entries;
  ASSERT_TRUE(held->List(&entries));
  std::vector<Text> names;
  for (const HeldEntry& e : entries) names.push_back(AnsiLowerCase(e.name));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<Text>{"a.txt", "empty", "full", "held.txt", "ro.txt"}));

  // Each entry claimed, then deleted through the claim where it was one, or
  // by name where it was not; a read-only file opens for deletion and stays.
  struct Case {
    const char* name;
    bool claimed;
    bool deleted;
  };
  for (const Case& c : {Case{"a.txt", true, true}, Case{"ro.txt", true, false},
                        Case{"held.txt", false, false}, Case{"empty", true, true},
                        Case{"full", true, false}}) {
    SCOPED_TRACE(c.name);
    HeldEntry e = Entry(*held, c.name);
    ASSERT_FALSE(e.name.empty());
    std::unique_ptr<ClaimedEntry> claim = held->Claim(e);
    EXPECT_EQ(claim != nullptr, c.claimed);
    if (claim) {
      EXPECT_EQ(claim->Delete(), c.deleted);
      EXPECT_FALSE(claim->Delete());  // once only
    } else {
      EXPECT_EQ(held->LastError(), kErrorSharingViolation);
      EXPECT_EQ(held->Delete(e), c.deleted);
    }
    EXPECT_EQ(fs().Attributes(S("Prod\\") + c.name) == kNoAttributes, c.deleted);
  }
  EXPECT_EQ(Read("Prod\\full\\x.txt"), "full\\x.txt");
  env_->ReleaseHeld();
  EXPECT_TRUE(held->Delete(Entry(*held, "held.txt")));
  EXPECT_FALSE(fs().FileExists(S("Prod\\held.txt")));
}

TEST_F(Held, AnEntryReplacedSinceTheListingIsLeftAlone) {
  ASSERT_TRUE(fs().MakeDirectory(S("Prod")));
  ASSERT_TRUE(fs().WriteWholeFile(S("Prod\\QuickStart.rtf"), "product"));
  ASSERT_TRUE(fs().MakeDirectory(S("Prod\\pool")));
  std::unique_ptr<HeldFolder> held = fs().HoldFolder(S("Prod"));
  ASSERT_TRUE(held);
  HeldEntry file = Entry(*held, "QuickStart.rtf");
  HeldEntry pool = Entry(*held, "pool");
  // Another program puts other entries under the same names.
  ASSERT_TRUE(fs().Move(S("Prod\\QuickStart.rtf"), S("Prod\\old.rtf"), false));
  ASSERT_TRUE(fs().WriteWholeFile(S("Prod\\QuickStart.rtf"), "someone else's"));
  ASSERT_TRUE(fs().Move(S("Prod\\pool"), S("Prod\\oldpool"), false));
  ASSERT_TRUE(fs().MakeDirectory(S("Prod\\pool")));
  ASSERT_TRUE(fs().WriteWholeFile(S("Prod\\pool\\mine.txt"), "mine"));

  EXPECT_EQ(held->Claim(file), nullptr);
  EXPECT_EQ(held->LastError(), kErrorEntryChanged);
  EXPECT_FALSE(held->Delete(file));
  EXPECT_EQ(held->LastError(), kErrorEntryChanged);
  EXPECT_EQ(held->HoldChild(pool), nullptr);
  EXPECT_EQ(held->LastError(), kErrorEntryChanged);
  EXPECT_EQ(Read("Prod\\QuickStart.rtf"), "someone else's");
  EXPECT_EQ(Read("Prod\\pool\\mine.txt"), "mine");
  EXPECT_EQ(Read("Prod\\old.rtf"), "product");
}

TEST_F(Held, AClaimedFileIsTakenByNobodyElseAndLettingGoDeletesNothing) {
  ASSERT_TRUE(fs().MakeDirectory(S("Prod")));
  ASSERT_TRUE(fs().WriteWholeFile(S("Prod\\PL.exe"), "program"));
  ASSERT_TRUE(fs().WriteWholeFile(S("Prod\\other.txt"), "other"));
  std::unique_ptr<HeldFolder> held = fs().HoldFolder(S("Prod"));
  ASSERT_TRUE(held);
  HeldEntry e = Entry(*held, "PL.exe");
  std::unique_ptr<ClaimedEntry> claim = held->Claim(e);
  ASSERT_TRUE(claim);
  // Whoever else would rename, replace, delete, read without sharing
  // deletion, or claim it too, is refused while the claim lasts.
  struct Attempt {
    const char* what;
    std::function<bool()> act;
  };
  Text data;
  std::unique_ptr<HeldFolder> again = fs().HoldFolder(S("Prod"));
  ASSERT_TRUE(again);
  for (const Attempt& a : {
           Attempt{"move away", [&] { return fs().Move(S("Prod\\PL.exe"), S("Prod\\away.exe"), false); }},
           Attempt{"replace", [&] { return fs().Move(S("Prod\\other.txt"), S("Prod\\PL.exe"), true); }},
           Attempt{"delete", [&] { return fs().Delete(S("Prod\\PL.exe")); }},
           Attempt{"write", [&] { return fs().WriteWholeFile(S("Prod\\PL.exe"), "planted"); }},
           Attempt{"read", [&] { return fs().ReadWholeFile(S("Prod\\PL.exe"), &data); }},
           Attempt{"delete held", [&] { return again->Delete(Entry(*again, "PL.exe")); }},
           Attempt{"claim twice", [&] { return again->Claim(Entry(*again, "PL.exe")) != nullptr; }},
       }) {
    SCOPED_TRACE(a.what);
    EXPECT_FALSE(a.act());
  }
  EXPECT_EQ(again->LastError(), kErrorSharingViolation);
  claim.reset();
  EXPECT_EQ(Read("Prod\\PL.exe"), "program");
  EXPECT_EQ(Read("Prod\\other.txt"), "other");
  // Claimed again and deleted through the claim: it goes, the rest stays.
  claim = held->Claim(Entry(*held, "PL.exe"));
  ASSERT_TRUE(claim);
  EXPECT_TRUE(claim->Delete());
  EXPECT_FALSE(fs().FileExists(S("Prod\\PL.exe")));
  EXPECT_EQ(Read("Prod\\other.txt"), "other");
}

TEST_F(Held, ALinkIsNeverHeldNorEnteredAndItsTargetKeepsItsFiles) {
  ASSERT_TRUE(fs().MakeDirectory(S("Theirs")));
  ASSERT_TRUE(fs().WriteWholeFile(S("Theirs\\letter.txt"), "theirs"));
  ASSERT_TRUE(fs().MakeDirectory(S("Prod")));
  if (!env_->MakeFolderLink(S("Prod\\pool"), S("Theirs"))) GTEST_SKIP() << "no folder links here";
  ASSERT_TRUE(env_->MakeFolderLink(S("Link"), S("Theirs")));
  EXPECT_EQ(fs().HoldFolder(S("Link")), nullptr);
  EXPECT_EQ(fs().LastError(), kErrorEntryChanged);
  std::unique_ptr<HeldFolder> held = fs().HoldFolder(S("Prod"));
  ASSERT_TRUE(held);
  HeldEntry pool = Entry(*held, "pool");
  EXPECT_TRUE(pool.attributes & kAttrReparsePoint);
  EXPECT_EQ(held->HoldChild(pool), nullptr);
  held->Delete(pool);  // the link may go, as a link; Wine keeps it
  EXPECT_EQ(Read("Theirs\\letter.txt"), "theirs");
}

TEST_F(Held, AnEmptyFolderIsRemovedOnlyWhileItIsTheOneIdentified) {
  ASSERT_TRUE(fs().MakeDirectory(S("Mix")));
  FileIdentity first;
  ASSERT_TRUE(fs().Identify(S("Mix"), &first));
  ASSERT_TRUE(fs().Move(S("Mix"), S("MixOld"), false));
  ASSERT_TRUE(fs().MakeDirectory(S("Mix")));
  EXPECT_FALSE(fs().RemoveEmptyDirectoryIf(S("Mix"), first));
  EXPECT_EQ(fs().LastError(), kErrorEntryChanged);
  EXPECT_TRUE(fs().DirectoryExists(S("Mix")));
  EXPECT_TRUE(fs().RemoveEmptyDirectoryIf(S("MixOld"), first));
  EXPECT_FALSE(fs().DirectoryExists(S("MixOld")));
}

}  // namespace
}  // namespace pel
