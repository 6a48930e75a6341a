// The check for files in use claims what it found free, the removal deletes through those claims, and a held file leaves nothing claimed.
#include <gtest/gtest.h>

#include "app/database_files.h"
#include "sys/memory/memory_platform.h"
#include "sys/paths.h"
#include "uninstall/held_removal.h"
#include "uninstall/removal_steps.h"

namespace pel {
namespace {

const Text kApp = "C:\\Apps\\Pelmora\\";
const Text kMix = "C:\\Apps\\Mix\\";

struct Folders {
  MemoryPlatform m;
  std::shared_ptr<HeldFolder> app, mix;
  EntryClaims claims;

  Folders() {
    for (const char* f : {"PL.exe", "UninstPL.exe", "QuickStart.rtf", "pl.dbc"}) Put(kApp + f);
    for (const char* f : {"mix.exe", "pool\\q1", "pool\\sub\\q2"}) Put(kMix + f);
    app = m.files.HoldFolder(WithoutTrailingBackslash(kApp));
    mix = m.files.HoldFolder(WithoutTrailingBackslash(kMix));
  }
  void Put(const Text& path) {
    m.files.MakeDirectories(FolderPart(path));
    ASSERT_TRUE(m.files.WriteWholeFile(path, path));
  }
  Text CheckApp() {
    return FirstEntryInUse(*app, kApp, [](const HeldEntry& e) { return IsDatabaseFileName(e.name); }, false,
                           claims);
  }
  Text CheckMix() { return FirstEntryInUse(*mix, kMix, nullptr, true, claims); }
  // Whether another program could write the file now (a claim keeps it out).
  bool Free(const Text& path) { return m.files.WriteWholeFile(path, path); }
};

TEST(EntryClaims, WhatTheCheckFoundFreeStaysFreeForTheRemovalAlone) {
  Folders f;
  ASSERT_EQ(f.CheckApp(), "");
  ASSERT_EQ(f.CheckMix(), "");
  EXPECT_EQ(f.claims.Count(), 6u);  // every file but the database
  for (const char* p : {"PL.exe", "UninstPL.exe", "QuickStart.rtf"}) {
    EXPECT_FALSE(f.Free(kApp + p)) << p;
    EXPECT_EQ(f.m.files.LastError(), kErrorSharingViolation);
  }
  EXPECT_FALSE(f.Free(kMix + "pool\\sub\\q2"));
  EXPECT_TRUE(f.Free(kApp + "pl.dbc"));
  // Checked again (a retry), nothing is claimed twice nor found in use.
  EXPECT_EQ(f.CheckApp(), "");
  EXPECT_EQ(f.claims.Count(), 6u);

  std::vector<Text> left;
  EXPECT_TRUE(DeleteAppFiles(*f.app, kApp, &left, f.claims));
  ResolvedFolder mix = *ResolveFolder(f.m.files, kMix).folder;
  EXPECT_TRUE(DeleteMixFiles(f.m.files, f.mix, mix, {}, &left, f.claims));
  EXPECT_EQ(left, std::vector<Text>{});
  EXPECT_EQ(f.claims.Count(), 0u);  // each went through its claim
  EXPECT_TRUE(f.m.files.FileExists(kApp + "pl.dbc"));
  EXPECT_FALSE(f.m.files.FileExists(kApp + "PL.exe"));
  EXPECT_FALSE(f.m.files.DirectoryExists(kMix));
}

TEST(EntryClaims, AFileHeldAnywhereLeavesEveryFileFreeAndWhole) {
  struct Case {
    const char* held;
    bool appFirst;
  };
  for (const Case& c : {Case{"QuickStart.rtf", false}, Case{"pool\\sub\\q2", true}}) {
    SCOPED_TRACE(c.held);
    Folders f;
    bool inApp = Text(c.held) == "QuickStart.rtf";
    const Text held = (inApp ? kApp : kMix) + c.held;
    ASSERT_TRUE(f.m.files.SetHeld(held, true));
    // The other component checked first claims its files; the held one then lets every claim go.
    Text busy = c.appFirst ? f.CheckApp() : f.CheckMix();
    if (busy.empty()) busy = c.appFirst ? f.CheckMix() : f.CheckApp();
    EXPECT_EQ(busy, held);
    EXPECT_EQ(f.claims.Count(), 0u);
    f.m.files.SetHeld(held, false);
    for (const Text& p : {kApp + "PL.exe", kApp + "UninstPL.exe", kMix + "mix.exe", kMix + "pool\\q1"}) {
      Text data;
      EXPECT_TRUE(f.m.files.ReadWholeFile(p, &data)) << p;
      EXPECT_EQ(data, p);
    }
  }
}

TEST(EntryClaims, OneFolderHeldTwiceClaimsEachFileOnce) {
  Folders f;
  std::unique_ptr<HeldFolder> twice = f.m.files.HoldFolder(WithoutTrailingBackslash(kApp));
  ASSERT_EQ(f.CheckApp(), "");
  size_t claimed = f.claims.Count();
  EXPECT_EQ(FirstEntryInUse(*twice, kApp, nullptr, false, f.claims), "");
  EXPECT_EQ(f.claims.Count(), claimed + 1);  // only the database, which the first check spared
  // Let go by folder: the product's files are free again, nothing deleted.
  f.claims.Release(f.app->Identity());
  EXPECT_EQ(f.claims.Count(), 0u);
  EXPECT_TRUE(f.Free(kApp + "PL.exe"));
  EXPECT_TRUE(f.m.files.FileExists(kApp + "pl.dbc"));
}

}  // namespace
}  // namespace pel
