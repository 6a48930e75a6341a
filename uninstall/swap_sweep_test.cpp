// A folder swapped for a link at every call between the check and the last delete: the link's target keeps every byte.
#include <gtest/gtest.h>

#include <map>

#include "app/constants.h"
#include "sys/memory/memory_platform.h"
#include "sys/memory/scripted_ui.h"
#include "sys/memory/swapping_file_system.h"
#include "sys/paths.h"
#include "uninstall/fake_uninst_view.h"
#include "uninstall/removal_steps.h"
#include "uninstall/uninst_form.h"

namespace pel {
namespace {

using C = UninstControl;
using Tree = std::map<Text, Text>;

// Every file below folder with its bytes, links not entered.
void Snapshot(MemoryFileSystem& fs, const Text& folder, Tree* out) {
  std::vector<DirEntry> entries;
  fs.List(folder + "*.*", kAttrAll, &entries);
  for (const DirEntry& e : entries) {
    Text path = folder + e.name;
    if (e.attributes & kAttrReparsePoint) continue;
    if (e.attributes & kAttrDirectory) {
      Snapshot(fs, path + "\\", out);
    } else {
      Text bytes;
      fs.ReadWholeFile(path, &bytes);
      (*out)[path] = bytes;
    }
  }
}

void Put(MemoryFileSystem& fs, const Text& path, const Text& bytes) {
  fs.MakeDirectories(FolderPart(path));
  ASSERT_TRUE(fs.WriteWholeFile(path, bytes)) << path;
}

// The user's own files, with the components' programs planted among them so
// that only the folders' identities can tell them apart.
void PlantUserFiles(MemoryFileSystem& fs, const Text& folder) {
  for (const char* name : {"PL.exe", "UninstPL.exe", "mix.exe", "letter.txt", "QuickStart.rtf"}) {
    Put(fs, folder + name, "the user's " + Text(name));
  }
  Put(fs, folder + "pool\\m1", "the user's pool mail");
  Put(fs, folder + "pool\\deep\\m2", "the user's deep mail");
}

struct Swap {
  const char* name;
  const char* moved;   // what the other user moves away
  const char* link;    // where the link then stands (the moved path)
  const char* target;  // what it leads to
};

// Both components in folders any user could rename under C:\Mail.
const Swap kSwaps[] = {
    {"product folder", "C:\\Mail\\Pelmora", "C:\\Mail\\Pelmora", "C:\\Victim\\"},
    {"Mixmaster folder", "C:\\Mail\\Mix", "C:\\Mail\\Mix", "C:\\Victim\\"},
    {"pool", "C:\\Mail\\Mix\\pool", "C:\\Mail\\Mix\\pool", "C:\\Victim\\pool\\"},
    {"parent of both", "C:\\Mail", "C:\\Mail", "C:\\Decoy\\"},
};

struct Sweep {
  MemoryPlatform m;
  bool moved = false;
  std::unique_ptr<SwappingFileSystem> files;
  std::unique_ptr<Platform> platform;
  FakeUninstView view;
  ScriptedUi ui;

  explicit Sweep(const Swap& swap) {
    Put(m.files, "C:\\Mail\\Pelmora\\PL.exe", "MZ product");
    Put(m.files, "C:\\Mail\\Pelmora\\UninstPL.exe", "MZ uninstaller");
    Put(m.files, "C:\\Mail\\Pelmora\\QuickStart.rtf", "rtf");
    Put(m.files, "C:\\Mail\\Pelmora\\pl.dbc", "database");
    Put(m.files, "C:\\Mail\\Mix\\mix.exe", "MZ mix");
    Put(m.files, "C:\\Mail\\Mix\\pool\\q1", "queued");
    Put(m.files, "C:\\Mail\\Mix\\pool\\sub\\q2", "queued");
    PlantUserFiles(m.files, "C:\\Victim\\");
    PlantUserFiles(m.files, "C:\\Decoy\\Pelmora\\");
    PlantUserFiles(m.files, "C:\\Decoy\\Mix\\");
    m.registry.Put(ProductKey, RegAppDir, {RegType::String, "C:\\Mail\\Pelmora"});
    m.registry.Put(MixmasterKey, RegMixDir, {RegType::String, "C:\\Mail\\Mix"});
    files = std::make_unique<SwappingFileSystem>(m.files, [this, swap] {
      moved = m.files.Move(swap.moved, Text(swap.moved) + ".old", false);
      if (moved) m.files.MakeLink(swap.link, swap.target, true);
    });
    platform = std::make_unique<Platform>(Platform{*files, m.registry, m.shell, m.dde, m.processes});
  }

  Tree Victims() {
    Tree t;
    Snapshot(m.files, "C:\\Victim\\", &t);
    Snapshot(m.files, "C:\\Decoy\\", &t);
    return t;
  }

  // Checks the folders, then swaps at the given call after the check
  // (-1: never), the files in use claimed and then deleted through their
  // claims as the wizard does it; the number of calls made.
  int Run(int at) {
    TUninstWiz wiz(view, *platform);
    wiz.Construct();
    EXPECT_TRUE(view.IsChecked(C::AppEntries) && view.IsChecked(C::MixEntries));
    files->SwapAt(at < 0 ? -1 : files->Calls() + at);
    int start = files->Calls();
    RemovalServices s{*platform, ui, nullptr, nullptr};
    if (RemovalFileInUse(wiz).empty()) RunRemoval(wiz, s);
    EXPECT_EQ(wiz.HeldFolders().claims.Count(), 0u);  // nothing stays held from the user
    return files->Calls() - start;
  }
};

TEST(SwapSweep, TheLinksTargetKeepsEveryFileWhereverTheSwapFalls) {
  for (const Swap& swap : kSwaps) {
    SCOPED_TRACE(swap.name);
    int calls = Sweep(swap).Run(-1);
    ASSERT_GT(calls, 10);
    int wentThrough = 0;
    bool refusedAtOnce = false;
    for (int at = 0; at <= calls; ++at) {
      SCOPED_TRACE("swap before call " + std::to_string(at));
      Sweep sweep(swap);
      Tree before = sweep.Victims();
      sweep.Run(at);
      EXPECT_EQ(sweep.Victims(), before);
      wentThrough += sweep.moved;
      if (at == 0) refusedAtOnce = !sweep.moved;
      // Where the move went through, what was moved is still the product's
      // folder and was emptied through the handle, never through the link.
      if (sweep.moved && Text(swap.moved) == "C:\\Mail") {
        EXPECT_FALSE(sweep.m.files.FileExists("C:\\Mail.old\\Pelmora\\QuickStart.rtf"));
        EXPECT_TRUE(sweep.m.files.FileExists("C:\\Mail.old\\Pelmora\\pl.dbc"));
      }
    }
    // A held folder cannot be moved until the removal lets go of it; the
    // folders above it can, and the handles carry the removal through that.
    if (Text(swap.moved) == "C:\\Mail") {
      EXPECT_GT(wentThrough, 0);
    } else if (Text(swap.name) != "pool") {
      EXPECT_TRUE(refusedAtOnce);
    }
  }
}

// A folder that cannot be held as the folder checked is left whole, logged,
// and reported: its key stays, and the run says it is not finished.
TEST(SwapSweep, AFolderNoLongerTheOneCheckedIsLeftWholeAndReported) {
  Sweep sweep(kSwaps[3]);
  TUninstWiz wiz(sweep.view, *sweep.platform);
  wiz.Construct();
  // The parent swapped for a link between the check and the hold: the path
  // now reaches the decoy's folder, which is not the folder checked.
  wiz.HeldFolders().appHeld.reset();
  ASSERT_TRUE(sweep.m.files.Move("C:\\Mail", "C:\\Mail.old", false));
  ASSERT_TRUE(sweep.m.files.MakeLink("C:\\Mail", "C:\\Decoy\\", true));
  Text reason;
  EXPECT_EQ(HoldResolved(*sweep.files, wiz.Folders().app, &reason), nullptr);
  EXPECT_EQ(reason, "it has been moved or replaced since it was checked");
  wiz.HeldFolders().appHeldReason = reason;
  Tree before = sweep.Victims();
  RemovalServices s{*sweep.platform, sweep.ui, nullptr, nullptr};
  RunRemoval(wiz, s);
  EXPECT_EQ(sweep.Victims(), before);
  EXPECT_TRUE(sweep.m.files.FileExists("C:\\Mail.old\\Pelmora\\QuickStart.rtf"));
  EXPECT_TRUE(sweep.m.files.FileExists("C:\\Mail.old\\Pelmora\\UninstPL.exe"));
  EXPECT_TRUE(sweep.m.registry.KeyExists(ProductKey));
  EXPECT_EQ(s.left, std::vector<Text>{"C:\\Mail\\Pelmora\\"});
  std::vector<Text> log = sweep.view.Lines(C::RichEdit2);
  EXPECT_EQ(log.back(), "Not finished: 1 left (named above). Run the removal again once they are free.");
}

}  // namespace
}  // namespace pel
