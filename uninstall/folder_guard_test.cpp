// The folders a removal must leave alone, whatever spelling names them, and the evidence a folder needs.
#include <gtest/gtest.h>

#include "app/constants.h"
#include "sys/memory/memory_platform.h"
#include "sys/paths.h"
#include "uninstall/fake_uninst_view.h"
#include "uninstall/folder_guard.h"
#include "uninstall/removal_steps.h"
#include "uninstall/uninst_form.h"

namespace pel {
namespace {

using C = UninstControl;

// A system with the folders a user's machine has, each holding a canary and
// the component's program, so that only the folder's identity can save it.
struct Machine {
  MemoryPlatform m;
  FakeUninstView view;
  ScriptedUi ui;

  Machine() {
    m.dde.AddServer("PROGMAN", "PROGMAN");
    m.files.AddDrive('D');
    for (const char* dir :
         {"C:\\Windows\\Temp", "C:\\Windows\\System32\\drivers", "C:\\Program Files\\Common Files",
          "C:\\ProgramData", "C:\\Users\\Public\\Documents", "C:\\Users\\user\\Documents",
          "C:\\Users\\user\\Contacts", "C:\\Users\\user\\AppData\\Roaming", "C:\\Mail", "D:\\"}) {
      m.files.MakeDirectories(dir);
    }
    m.registry.Put(ShellFoldersKey, "Contacts", {RegType::String, "C:\\Users\\user\\Contacts"});
    m.registry.Put(ShellFoldersKey, "Bad", {RegType::Integer, "", 1});
    m.files.MakeLink("C:\\Mail\\contacts", "C:\\Users\\user\\Contacts", true);
    m.files.MakeLink("C:\\lnk", "C:\\Windows", true);
  }
  void Plant(std::string_view folder) {
    for (const char* f : {"canary.txt", "PL.exe", "mix.exe"}) {
      m.files.WriteWholeFile(WithTrailingBackslash(folder) + f, "mine");
    }
  }
  bool Intact(std::string_view folder) {
    for (const char* f : {"canary.txt", "PL.exe", "mix.exe"}) {
      if (!m.files.FileExists(WithTrailingBackslash(folder) + f)) return false;
    }
    return true;
  }
  // A whole removal run with the product's or Mixmaster's folder as spelled.
  void Remove(std::string_view appDir, std::string_view mixDir) {
    m.registry.DeleteKey(ProductKey);
    m.registry.DeleteKey(MixmasterKey);
    if (!appDir.empty()) m.registry.Put(ProductKey, RegAppDir, {RegType::String, Text(appDir)});
    if (!mixDir.empty()) m.registry.Put(MixmasterKey, RegMixDir, {RegType::String, Text(mixDir)});
    ui.Reset();
    TUninstWiz wiz(view, m.platform());
    wiz.Construct();
    RemovalServices s{m.platform(), ui, nullptr, nullptr};
    RunRemoval(wiz, s);
  }
};

TEST(FolderGuard, EverySpellingOfAProtectedFolderIsRefusedAndItsFilesSurvive) {
  struct Case {
    const char* spelling;
    const char* target;  // the folder the spelling reaches
    const char* reason;  // a part of the box's reason
  };
  const Case cases[] = {
      {"C:\\nonexist\\..\\windows\\", "C:\\Windows", "the Windows folder"},
      {"C:\\windows\\..\\users\\user\\", "C:\\Users\\user", "profile"},
      {"C:\\Windows\\.\\", "C:\\Windows", "the Windows folder"},
      {"C:\\Windows\\System32\\..\\", "C:\\Windows", "the Windows folder"},
      {"C:/Windows/", "C:\\Windows", "the Windows folder"},
      {"C:\\\\Windows\\\\", "C:\\Windows", "the Windows folder"},
      {"\\\\?\\C:\\Windows\\", "C:\\Windows", "the Windows folder"},
      {"\\\\.\\C:\\Windows\\", "C:\\Windows", "the Windows folder"},
      {"C:\\Windows.", "C:\\Windows", "the Windows folder"},
      {"c:\\WINDOWS", "C:\\Windows", "the Windows folder"},
      {"C:\\lnk\\", "C:\\Windows", "the Windows folder"},
      {"C:\\Mail\\contacts\\", "C:\\Users\\user\\Contacts", "(Contacts)"},
      {"C:\\Windows\\Temp\\", "C:\\Windows\\Temp", "inside the Windows folder"},
      {"C:\\Windows\\System32\\drivers", "C:\\Windows\\System32\\drivers", "inside the Windows"},
      {"C:\\Users\\", "C:\\Users", "holds"},
      {"C:\\Users\\user\\AppData\\", "C:\\Users\\user\\AppData", "holds"},
      {"C:\\Users\\Public\\", "C:\\Users\\Public", "Public"},
      {"C:\\ProgramData\\", "C:\\ProgramData", "ProgramData"},
      {"C:\\Program Files\\Common Files\\", "C:\\Program Files\\Common Files", "Common Files"},
      {"C:\\Program Files\\", "C:\\Program Files", "Program Files"},
      {"C:\\PROGRA~1\\", "C:\\Program Files", "Program Files"},
      {"C:\\", "C:\\", "root of a drive"},
      {"d:", "D:\\", "root of a drive"},
  };
  for (bool mix : {false, true}) {
    for (const Case& c : cases) {
      Machine h;
      h.Plant(c.target);
      h.Remove(mix ? "" : c.spelling, mix ? c.spelling : "");
      EXPECT_TRUE(h.Intact(c.target)) << c.spelling << (mix ? " as MixDir" : " as AppDir");
      ASSERT_EQ(h.ui.Boxes().size(), 1u) << c.spelling;
      EXPECT_NE(h.ui.Boxes()[0].text.find(c.reason), Text::npos)
          << c.spelling << ": " << h.ui.Boxes()[0].text;
    }
  }
}

TEST(FolderGuard, AFolderWithoutTheComponentsProgramKeepsAllItsFiles) {
  struct Case {
    const char* program;  // planted beside the files; nullptr: none
    bool mix;
    bool emptied;
  };
  const Case cases[] = {
      {nullptr, false, false}, {"mix.exe", false, false}, {"PL.exe", false, true},
      {"UninstPL.exe", false, true}, {nullptr, true, false}, {"PL.exe", true, false},
      {"MIX.EXE", true, true},
  };
  for (const Case& c : cases) {
    Machine h;
    h.m.files.MakeDirectories("C:\\Tools\\Own");
    h.m.files.WriteWholeFile("C:\\Tools\\notes.txt", "mine");
    if (c.program) h.m.files.WriteWholeFile(Text("C:\\Tools\\") + c.program, "MZ");
    h.Remove(c.mix ? "" : "C:\\Tools", c.mix ? "C:\\Tools" : "");
    std::string what = std::string(c.program ? c.program : "nothing") + (c.mix ? " mix" : " app");
    EXPECT_EQ(h.m.files.FileExists("C:\\Tools\\notes.txt"), !c.emptied) << what;
    EXPECT_TRUE(h.m.files.DirectoryExists("C:\\Tools\\Own")) << what;
    EXPECT_EQ(h.ui.Boxes().size(), c.emptied ? 0u : 1u) << what;
    if (!c.emptied) {
      EXPECT_NE(h.ui.Boxes()[0].text.find(c.mix ? "does not hold mix.exe"
                                                 : "does not hold PL.exe or UninstPL.exe"),
                Text::npos);
    }
  }
}

TEST(FolderGuard, NoBoxWhereThereIsNothingToDelete) {
  Machine h;
  h.m.registry.Put(MixmasterKey, "Other", {RegType::String, "x"});  // a key without MixDir
  TUninstWiz wiz(h.view, h.m.platform());
  wiz.Construct();
  RemovalServices s{h.m.platform(), h.ui, nullptr, nullptr};
  RunRemoval(wiz, s);
  EXPECT_TRUE(h.ui.Boxes().empty());
  h.Remove("", "C:\\Gone\\Mix");
  EXPECT_TRUE(h.ui.Boxes().empty());
  EXPECT_EQ(h.view.Lines(C::RichEdit2).back(), "Done!");
}

TEST(FolderGuard, MessageNamesFolderAndReason) {
  EXPECT_EQ(FolderLeftAloneMessage("Pelmora", "C:\\", "it is the root of a drive"),
            "The files of Pelmora were not deleted from the folder\nC:\\\nbecause it is the root "
            "of a drive. Nothing in it was touched.");
}

}  // namespace
}  // namespace pel
