// Folders that carry more bits than the folder bit are folders to the removal, the pool, stale copies and the copy's work folder.
#include <gtest/gtest.h>

#include "app/constants.h"
#include "sys/file_replacement.h"
#include "sys/memory/memory_platform.h"
#include "sys/paths.h"
#include "uninstall/fake_uninst_view.h"
#include "uninstall/removal_steps.h"
#include "uninstall/temp_copy.h"
#include "uninstall/uninst_form.h"

namespace pel {
namespace {

// The bits a Windows folder often carries besides the folder bit.
struct Mark {
  const char* what;
  uint32_t bits;
  bool compressed;
};
const Mark kMarks[] = {
    {"not content indexed", kAttrNotContentIndexed, false},
    {"compressed", 0, true},
    {"hidden", kAttrHidden, false},
    {"archive", kAttrArchive, false},
    {"system, not content indexed", kAttrSystem | kAttrNotContentIndexed, false},
    {"compressed, archive", kAttrArchive, true},
};

void MarkFolder(MemoryFileSystem& fs, const Text& path, const Mark& m) {
  if (m.bits) ASSERT_TRUE(fs.SetAttributes(path, m.bits)) << path;
  if (m.compressed) ASSERT_TRUE(fs.MarkCompressed(path)) << path;
  uint32_t a = fs.Attributes(path);
  ASSERT_TRUE(a & kAttrDirectory) << path;
  ASSERT_NE(a, kAttrDirectory) << path;
}

TEST(MarkedFolders, ThePoolGoesWithItsTreeAndTheMixFolderAfterIt) {
  for (const Mark& mark : kMarks) {
    SCOPED_TRACE(mark.what);
    MemoryPlatform m;
    MemoryFileSystem& fs = m.files;
    fs.MakeDirectories("C:\\Mix\\pool\\inner");
    fs.MakeDirectories("C:\\Other");
    fs.WriteWholeFile("C:\\Mix\\mix.exe", "MZ");
    fs.WriteWholeFile("C:\\Mix\\pool\\msg1", "queued");
    fs.WriteWholeFile("C:\\Mix\\pool\\inner\\msg2", "queued");
    fs.WriteWholeFile("C:\\Other\\keep.txt", "someone's");
    MarkFolder(fs, "C:\\Mix\\pool", mark);
    MarkFolder(fs, "C:\\Mix\\pool\\inner", mark);
    EXPECT_TRUE(DeleteMixFiles(fs, *ResolveFolder(fs, "C:\\Mix").folder));
    EXPECT_FALSE(fs.DirectoryExists("C:\\Mix"));
    EXPECT_TRUE(fs.FileExists("C:\\Other\\keep.txt"));
  }
}

TEST(MarkedFolders, StaleCopiesGoAndAFolderWithOtherFilesStays) {
  const Text temp = "C:\\Users\\user\\AppData\\Local\\Temp\\";
  for (const Mark& mark : kMarks) {
    SCOPED_TRACE(mark.what);
    MemoryPlatform m;
    MemoryFileSystem& fs = m.files;
    fs.MakeDirectories(temp + "PelmoraUninstall-2");
    fs.MakeDirectories(temp + "PelmoraUninstall-3");
    fs.WriteWholeFile(temp + "PelmoraUninstall-2\\UninstPL.exe", "MZ");
    fs.WriteWholeFile(temp + "PelmoraUninstall-3\\notes.txt", "mine");
    MarkFolder(fs, temp + "PelmoraUninstall-2", mark);
    MarkFolder(fs, temp + "PelmoraUninstall-3", mark);
    EXPECT_EQ(RemoveStaleCopies(fs, temp), 1);
    EXPECT_FALSE(fs.DirectoryExists(temp + "PelmoraUninstall-2"));
    EXPECT_TRUE(fs.FileExists(temp + "PelmoraUninstall-3\\notes.txt"));
  }
}

// A killed setup run left its work folder in the product folder: an earlier
// PL.exe set aside under its record, a half-made copy beside it.
struct KilledRun {
  MemoryPlatform m;
  const Text app = "C:\\Program Files\\Pelmora\\";
  const Text work = app + Text(FileReplacement::WorkFolder) + "\\";

  explicit KilledRun(const Mark& mark) {
    MemoryFileSystem& fs = m.files;
    fs.MakeDirectories(work);
    fs.WriteWholeFile(app + "PL.exe", "new PL.exe");
    fs.WriteWholeFile(app + "PL.dbc", "the user's mail");
    fs.WriteWholeFile(work + "~PLset1.tmp", "earlier PL.exe");
    fs.WriteWholeFile(work + "~PLset2.tmp", "half a copy");
    fs.WriteWholeFile(work + Text(FileReplacement::RecordName),
                      RecordText({app, {{"~PLset1.tmp", "PL.exe"}}}));
    MarkFolder(fs, WithoutTrailingBackslash(work), mark);
  }
  Text Read(const Text& path) {
    Text data;
    m.files.ReadWholeFile(path, &data);
    return data;
  }
};

TEST(MarkedFolders, AKilledRunsWorkFolderIsFinishedAndCleared) {
  for (const Mark& mark : kMarks) {
    SCOPED_TRACE(mark.what);
    {
      // By the next setup run (what it does before it copies anything).
      KilledRun k(mark);
      FileReplacement::Recovery r = FileReplacement::FinishInterrupted(k.m.files, k.app, nullptr);
      EXPECT_EQ(r.outcome, FileReplacement::Recovery::Outcome::Restored);
      EXPECT_EQ(k.Read(k.app + "PL.exe"), "earlier PL.exe");
      EXPECT_FALSE(k.m.files.DirectoryExists(k.work));
      // And a leftover without a record goes with its folder.
      k.m.files.MakeDirectories(k.work);
      k.m.files.WriteWholeFile(k.work + "~PLset9.tmp", "half a copy");
      MarkFolder(k.m.files, WithoutTrailingBackslash(k.work), mark);
      { FileReplacement again(k.m.files, k.app); }
      EXPECT_FALSE(k.m.files.DirectoryExists(k.work));
    }
    {
      // By the removal: the earlier files come back, then the program files go.
      KilledRun k(mark);
      k.m.dde.AddServer("PROGMAN", "PROGMAN");
      k.m.registry.Put(ProductKey, RegAppDir, {RegType::String, WithoutTrailingBackslash(k.app)});
      FakeUninstView view;
      ScriptedUi ui;
      RemovalServices services{k.m.platform(), ui, [](int) {}, [](const Text&, bool) {}};
      TUninstWiz wiz(view, k.m.platform());
      wiz.Construct();
      // Checked first, as the wizard does: what the check claimed must not
      // keep the earlier files from coming back.
      ASSERT_EQ(RemovalFileInUse(wiz), "");
      RunRemoval(wiz, services);
      EXPECT_TRUE(ui.Boxes().empty());
      EXPECT_FALSE(k.m.files.FileExists(k.app + "PL.exe"));
      EXPECT_FALSE(k.m.files.DirectoryExists(k.work));
      EXPECT_EQ(k.Read(k.app + "PL.dbc"), "the user's mail");
    }
  }
}

}  // namespace
}  // namespace pel
