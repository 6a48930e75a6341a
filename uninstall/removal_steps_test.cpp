// The removal run over the memory platform: logs, pauses, survivors, the program group and the notice.
#include <gtest/gtest.h>

#include "app/constants.h"
#include "sys/memory/memory_platform.h"
#include "sys/paths.h"
#include "uninstall/fake_uninst_view.h"
#include "uninstall/manual_delete_notice.h"
#include "uninstall/removal_steps.h"
#include "uninstall/uninst_form.h"

namespace pel {
namespace {

using C = UninstControl;
using Lines = std::vector<Text>;

struct RemovalRun {
  MemoryPlatform m;
  FakeUninstView view;
  ScriptedUi ui;
  std::unique_ptr<TUninstWiz> wiz;
  std::vector<int> sleeps;
  std::vector<std::pair<Text, bool>> notices;
  RemovalServices services{m.platform(), ui, [this](int ms) { sleeps.push_back(ms); },
                           [this](const Text& f, bool complete) { notices.emplace_back(f, complete); }};

  explicit RemovalRun(bool progman = true) {
    if (progman) m.dde.AddServer("PROGMAN", "PROGMAN");
  }
  // Each component's folder holds its own program, as an installation leaves it.
  void App(std::string_view dir, std::string_view group = "Pelmora") {
    m.files.MakeDirectories(dir);
    m.files.WriteWholeFile(WithTrailingBackslash(dir) + "PL.exe", "MZ");
    m.registry.Put(ProductKey, RegAppDir, {RegType::String, Text(dir)});
    m.registry.Put(ProductKey, RegProgramGroup, {RegType::String, Text(group)});
  }
  void Mix(std::string_view dir) {
    m.files.MakeDirectories(dir);
    m.files.WriteWholeFile(WithTrailingBackslash(dir) + "mix.exe", "MZ");
    m.registry.Put(MixmasterKey, RegMixDir, {RegType::String, Text(dir)});
  }
  void File(std::string_view path) { ASSERT_TRUE(m.files.WriteWholeFile(path, "data")) << path; }
  TUninstWiz& Make() {
    wiz = std::make_unique<TUninstWiz>(view, m.platform());
    wiz->Construct();
    return *wiz;
  }
  Lines Go() {
    if (!wiz) Make();
    RunRemoval(*wiz, services);
    return view.Lines(C::RichEdit2);
  }
};

const Lines kPelmoraLines = {"Removing Pelmora...", "   program group...done",
                             "   program files...done", "   registry key...done"};
const Lines kMixLines = {"Removing Mixmaster...", "   program files...done",
                         "   registry key...done"};

Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& p : parts) all.insert(all.end(), p.begin(), p.end());
  all.push_back("Done!");
  return all;
}

struct ShapeCase {
  const char* name;
  const char* app;
  const char* mix;
  Lines log;
  size_t sleeps;
};

class RunShapes : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(RunShapes, LogPausesBeepAndNotice) {
  const ShapeCase& c = GetParam();
  RemovalRun r;
  if (c.app) r.App(c.app);
  if (c.mix) r.Mix(c.mix);
  EXPECT_EQ(r.Go(), c.log);
  EXPECT_EQ(r.sleeps, std::vector<int>(c.sleeps, 300));
  EXPECT_EQ(r.m.shell.beeps(), std::vector<uint32_t>{0});
  EXPECT_EQ(r.notices, (std::vector<std::pair<Text, bool>>{{c.app ? Text(c.app) + "\\" : Text(), true}}));
  EXPECT_EQ(r.view.GetText(C::Label4), "Un-Installation complete!");
  EXPECT_EQ(r.view.GetText(C::Label6), "Thanks!");
  EXPECT_FALSE(r.view.IsEnabled(C::BackBtn) || r.view.IsEnabled(C::NextBtn) ||
               r.view.IsEnabled(C::CancelBtn));
  EXPECT_FALSE(r.m.registry.KeyExists(ProductKey) || r.m.registry.KeyExists(MixmasterKey));
}

INSTANTIATE_TEST_SUITE_P(
    Uninst, RunShapes,
    ::testing::Values(
        ShapeCase{"ProductOnly", "C:\\Pelmora", nullptr, Join({kPelmoraLines}), 4},
        ShapeCase{"BothProductFirst", "C:\\Pelmora", "C:\\Mix", Join({kPelmoraLines, kMixLines}), 7},
        ShapeCase{"ProductInsideMixGoesSecond", "C:\\Mix\\Pelmora", "C:\\Mix",
                  Join({kMixLines, kPelmoraLines}), 7},
        ShapeCase{"MixmasterOnly", nullptr, "C:\\Mix", Join({kMixLines}), 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Removal, ProductFilesGoButDatabaseSubfoldersAndFolderStay) {
  RemovalRun r;
  r.App("C:\\Program Files\\Pelmora");
  const Text d = "C:\\Program Files\\Pelmora\\";
  for (const char* f : {"PL.DBC", "PL.dbc.jnl", "pl.dbc.jnl.old", "pl.pgp", "Pl.Pgp.Bak", "pl.exe",
                        "readme.txt", "UninstPL.exe"})
    r.File(d + f);
  r.m.files.MakeDirectories(d + "data");
  r.File(d + "data\\keep.txt");
  r.File(d + "hidden.txt");
  r.m.files.SetAttributes(d + "hidden.txt", kAttrHidden | kAttrSystem);
  r.Go();
  for (const char* f : {"PL.DBC", "PL.dbc.jnl", "pl.dbc.jnl.old", "pl.pgp", "Pl.Pgp.Bak",
                        "data\\keep.txt"})
    EXPECT_TRUE(r.m.files.FileExists(d + f)) << f;
  for (const char* f : {"pl.exe", "readme.txt", "UninstPL.exe", "hidden.txt"})
    EXPECT_FALSE(r.m.files.FileExists(d + f)) << f;
  EXPECT_EQ(r.m.dde.commands(), std::vector<Text>{"[DeleteGroup(Pelmora)]"});
  EXPECT_TRUE(r.ui.Boxes().empty());
  EXPECT_TRUE(r.services.left.empty());
  EXPECT_FALSE(r.m.registry.KeyExists(ProductKey));
}

// A file that cannot be deleted (read-only here; attributes are never
// changed) keeps the key, the Apps entry and the uninstaller for a later run.
TEST(Removal, AFileThatStaysKeepsKeyEntryAndUninstaller) {
  RemovalRun r;
  r.App("C:\\Program Files\\Pelmora");
  const Text d = "C:\\Program Files\\Pelmora\\";
  for (const char* f : {"pl.dbc", "readme.txt", "UninstPL.exe", "locked.txt"}) r.File(d + f);
  r.m.files.SetAttributes(d + "locked.txt", kAttrReadOnly);
  r.m.registry.Put(UninstallEntryKey, "UninstallString", {RegType::String, d + "UninstPL.exe"});
  Lines log = r.Go();
  for (const char* f : {"pl.dbc", "locked.txt", "UninstPL.exe"}) EXPECT_TRUE(r.m.files.FileExists(d + f)) << f;
  for (const char* f : {"readme.txt", "PL.exe"}) EXPECT_FALSE(r.m.files.FileExists(d + f)) << f;
  EXPECT_TRUE(r.m.registry.KeyExists(ProductKey));
  EXPECT_TRUE(r.m.registry.KeyExists(UninstallEntryKey));
  EXPECT_EQ(r.services.left, (std::vector<Text>{d + "locked.txt", d + "UninstPL.exe"}));
  EXPECT_EQ(Lines(log.end() - 4, log.end()),
            (Lines{"   left: " + d + "locked.txt", "   left: " + d + "UninstPL.exe",
                   "   registry key...kept, so that the removal can be run again",
                   "Not finished: 2 left (named above). Run the removal again once they are free."}));
  EXPECT_EQ(r.view.GetText(C::Label4), "Un-Installation not complete!");
  // The closing notice is told, so that it does not call the removal successful.
  EXPECT_EQ(r.notices, (std::vector<std::pair<Text, bool>>{{d, false}}));
}

// A name outside the code page is none of the product's: it is not deleted,
// whether it has a short form the listing could name it by or not.
TEST(Removal, NamesOutsideTheCodePageSurvive) {
  for (bool short_names : {true, false}) {
    RemovalRun r;
    r.m.files.AddDrive('D', short_names);
    const Text d = "D:\\Pelmora\\";
    r.App(d);
    r.File(d + "readme.txt");
    ASSERT_TRUE(r.m.files.MakeUnicodeEntry(d, "Łukasz's letters.txt", false, "hers"));
    ASSERT_TRUE(r.m.files.MakeUnicodeEntry(d, "Дмитрий", true));
    r.Go();
    EXPECT_FALSE(r.m.files.FileExists(d + "readme.txt"));
    EXPECT_FALSE(r.m.files.FileExists(d + "PL.exe"));
    std::vector<DirEntry> mine, foreign;
    ASSERT_TRUE(r.m.files.List(d + "*.*", kAttrAll, &mine, &foreign));
    EXPECT_TRUE(mine.empty());
    ASSERT_EQ(foreign.size(), 2u) << short_names;
    for (const DirEntry& e : foreign) {
      if (e.attributes & kAttrDirectory) continue;
      EXPECT_EQ(e.shown, "?ukasz's letters.txt");
      Text data;
      if (short_names) {
        EXPECT_TRUE(r.m.files.ReadWholeFile(d + e.name, &data) && data == "hers");
      }
    }
  }
}

TEST(Removal, AppDirWithoutBackslashIsResolvedToTheFolder) {
  RemovalRun r;
  r.App("C:\\P");
  r.File("C:\\P\\a.txt");
  EXPECT_EQ(r.Make().AppDir(), "C:\\P\\");
  ASSERT_TRUE(r.wiz->Folders().app.folder);
  EXPECT_EQ(r.wiz->Folders().app.folder->Path(), "C:\\P\\");
  r.Go();
  EXPECT_FALSE(r.m.files.FileExists("C:\\P\\a.txt"));
  EXPECT_TRUE(r.m.files.DirectoryExists("C:\\P"));
}

struct MixCase {
  const char* name;
  std::vector<const char*> folders;  // below C:\Mix
  bool folderSurvives;
  bool result;
};

class MixFolders : public ::testing::TestWithParam<MixCase> {};

TEST_P(MixFolders, FilesAndPoolGoFolderOnlyWhenEmpty) {
  const MixCase& c = GetParam();
  MemoryPlatform m;
  m.files.MakeDirectories("C:\\Mix");
  m.files.WriteWholeFile("C:\\Mix\\mix.exe", "");
  m.files.WriteWholeFile("C:\\Mix\\mix.cfg", "");
  for (const char* f : c.folders) {
    m.files.MakeDirectories("C:\\Mix\\" + Text(f) + "\\deep");
    m.files.WriteWholeFile("C:\\Mix\\" + Text(f) + "\\deep\\msg", "");
  }
  if (Text(c.name) == "OddSubfolderAttributes") m.files.SetAttributes("C:\\Mix\\odd", kAttrReadOnly);
  EXPECT_EQ(DeleteMixFiles(m.files, *ResolveFolder(m.files, "C:\\Mix").folder), c.result);
  EXPECT_EQ(m.files.DirectoryExists("C:\\Mix"), c.folderSurvives);
  EXPECT_FALSE(m.files.FileExists("C:\\Mix\\mix.exe") || m.files.FileExists("C:\\Mix\\mix.cfg"));
  EXPECT_FALSE(m.files.DirectoryExists("C:\\Mix\\pool"));
  for (const char* f : c.folders) {
    if (!AnsiSameText(f, "pool")) {
      EXPECT_TRUE(m.files.FileExists("C:\\Mix\\" + Text(f) + "\\deep\\msg"));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Uninst, MixFolders,
    ::testing::Values(MixCase{"PoolAndKeys", {"pool", "keys"}, true, true},
                      MixCase{"OnlyUpperCasePool", {"POOL"}, false, true},
                      MixCase{"NoSubfolders", {}, false, true},
                      // A folder is told by its folder bit: a read-only one is a
                      // subfolder like any other, and keeps the folder.
                      MixCase{"OddSubfolderAttributes", {"pool", "odd"}, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Removal, PoolLinksGoAsLinksNeverFollowed) {
  MemoryPlatform m;
  m.files.MakeDirectories("C:\\Mix\\pool\\sub");
  m.files.MakeDirectories("C:\\Users\\user\\Documents");
  m.files.WriteWholeFile("C:\\Users\\user\\Documents\\letter.txt", "mine");
  m.files.WriteWholeFile("C:\\Users\\user\\notes.txt", "mine");
  ASSERT_TRUE(m.files.MakeLink("C:\\Mix\\pool\\docs", "C:\\Users\\user\\Documents", true));
  ASSERT_TRUE(m.files.MakeLink("C:\\Mix\\pool\\sub\\home", "C:\\Users\\user", true));
  ASSERT_TRUE(m.files.MakeLink("C:\\Mix\\pool\\notes", "C:\\Users\\user\\notes.txt", false));
  // The model follows a link on the way, as Windows does.
  ASSERT_TRUE(m.files.FileExists("C:\\Mix\\pool\\docs\\letter.txt"));
  EXPECT_TRUE(DeleteMixFiles(m.files, *ResolveFolder(m.files, "C:\\Mix\\").folder));
  EXPECT_FALSE(m.files.DirectoryExists("C:\\Mix"));
  EXPECT_TRUE(m.files.FileExists("C:\\Users\\user\\Documents\\letter.txt"));
  EXPECT_TRUE(m.files.FileExists("C:\\Users\\user\\notes.txt"));

  // A pool that is itself a link.
  m.files.MakeDirectories("C:\\Mix2");
  ASSERT_TRUE(m.files.MakeLink("C:\\Mix2\\pool", "C:\\Users\\user\\Documents", true));
  EXPECT_TRUE(DeleteMixFiles(m.files, *ResolveFolder(m.files, "C:\\Mix2").folder));
  EXPECT_FALSE(m.files.DirectoryExists("C:\\Mix2"));
  EXPECT_TRUE(m.files.FileExists("C:\\Users\\user\\Documents\\letter.txt"));
}

struct GroupCase {
  const char* name;
  bool sent;
};

TEST(Removal, OnlyPlainGroupNamesReachProgramManager) {
  const GroupCase cases[] = {
      {"Pelmora", true},   {"My Mail 2", true}, {"", false},     {".", false},
      {"..", false},       {"..\\..", false},   {"a\\b", false}, {"a/b", false},
      {"C:", false},       {"a)]", false},      {"a,b", false},  {"[x", false},
      {"a\"b", false},     {"a*", false},       {"a?", false},   {"a|b", false},
      {"a<b>", false},     {"a\tb", false},    {"...", false},  {" ..", false},
      {".. ", false},      {" Pelmora", false}, {"Pelmora.", false}, {". .", false},
      {"Pel.mora", true},
  };
  for (const GroupCase& c : cases) {
    RemovalRun r;
    r.App("C:\\Pelmora", c.name);
    Lines log = r.Go();
    EXPECT_EQ(r.m.dde.commands().size(), c.sent ? 1u : 0u) << c.name;
    EXPECT_EQ(log, Join({kPelmoraLines})) << c.name;
    EXPECT_TRUE(r.ui.Boxes().empty()) << c.name;
    EXPECT_FALSE(r.m.registry.KeyExists(ProductKey));
  }
}

TEST(Removal, ProgramManagerFailuresAreShownAndTheRunGoesOn) {
  RemovalRun none(false);  // no server at all
  none.App("C:\\Pelmora");
  none.File("C:\\Pelmora\\pl.exe");
  Lines log = none.Go();
  ASSERT_EQ(none.ui.Boxes().size(), 1u);
  EXPECT_EQ(none.ui.Boxes()[0].caption, "Error");
  EXPECT_EQ(none.ui.Boxes()[0].text, "Unable to remove Pelmora program group!");
  EXPECT_EQ(log, (Lines{"Removing Pelmora...", "   program files...done", "   registry key...done",
                        "Done!"}));
  EXPECT_FALSE(none.m.files.FileExists("C:\\Pelmora\\pl.exe"));
  EXPECT_EQ(none.sleeps.size(), 3u);

  RemovalRun asleep(false);  // not running: started once, then reached
  asleep.m.dde.AddServer("PROGMAN", "PROGMAN", false, true);
  asleep.App("C:\\Pelmora");
  // Started by its full path, never searched for in the current folder.
  asleep.File("C:\\Pelmora\\PROGMAN.exe");
  asleep.m.files.ChangeDirectory("C:\\Pelmora");
  asleep.Go();
  EXPECT_EQ(asleep.m.dde.started(),
            std::vector<Text>{"\"C:\\Windows\\System32\\progman.exe\" PROGMAN"});
  EXPECT_EQ(asleep.m.dde.commands().size(), 1u);

  RemovalRun missing(false);  // no program to start: the error path
  missing.m.dde.AddServer("PROGMAN", "PROGMAN", false, true);
  missing.m.files.Delete("C:\\Windows\\System32\\progman.exe");
  missing.App("C:\\Pelmora");
  missing.Go();
  EXPECT_TRUE(missing.m.dde.started().empty());
  ASSERT_EQ(missing.ui.Boxes().size(), 1u);
  EXPECT_EQ(missing.ui.Boxes()[0].caption, "Error");

  RemovalRun refused;
  refused.m.dde.RefuseTransactions(true);
  refused.App("C:\\Pelmora");
  EXPECT_EQ(refused.Go(), Join({kPelmoraLines}));
  ASSERT_EQ(refused.ui.Boxes().size(), 1u);
  EXPECT_EQ(refused.ui.Boxes()[0].caption, "Program Error");
  EXPECT_EQ(refused.ui.Boxes()[0].text, "ExecuteMacroLines failed!\nUnable to create Program Group!");
  EXPECT_EQ(refused.m.dde.open_conversations(), 0);
}

TEST(Removal, GuardedFoldersKeepTheirFilesAndTheLogStays) {
  RemovalRun r;
  r.m.files.AddDrive('D');
  r.App("C:\\Windows");
  r.Mix("D:\\");
  r.File("D:\\boot.ini");
  Lines log = r.Go();
  EXPECT_EQ(log, Join({kPelmoraLines, kMixLines}));
  EXPECT_TRUE(r.m.files.FileExists("C:\\Windows\\explorer.exe"));
  EXPECT_TRUE(r.m.files.FileExists("D:\\boot.ini"));
  ASSERT_EQ(r.ui.Boxes().size(), 2u);
  EXPECT_NE(r.ui.Boxes()[0].text.find("C:\\Windows\\"), std::string::npos);
  EXPECT_NE(r.ui.Boxes()[0].text.find("Windows folder"), std::string::npos);
  EXPECT_NE(r.ui.Boxes()[1].text.find("root of a drive"), std::string::npos);
}

TEST(Removal, BadFolderValuesDeleteNothingElsewhere) {
  const Text longName(300, 'x');
  const Text huge = "C:\\Pelmora\\" + Text(300000, 'y');
  for (const Text& dir : {"C:\\" + longName, Text("C:\\a|b"), Text("Pelmora"), Text("\\\\"), huge,
                          Text("C:\\Pel\x01mora"), Text("C:\\Pelmora\\\x7f"),
                          Text("\\\\server\\share\\Pelmora"),
                          // Trailing dots and blanks are dropped: the drive's root, a missing folder.
                          Text("C:\\Pelmora\\.. "), Text("C:\\Pelmora\\nosuch. ")}) {
    RemovalRun r;
    r.File("C:\\keep.txt");
    r.m.files.MakeDirectories("C:\\Pelmora");
    r.File("C:\\Pelmora\\pl.exe");
    r.m.files.ChangeDirectory("C:\\Pelmora");
    r.m.registry.Put(ProductKey, RegAppDir, {RegType::String, dir});
    r.m.registry.Put(MixmasterKey, "Other", {RegType::String, "x"});  // no MixDir
    EXPECT_EQ(r.Go(), Join({kPelmoraLines, kMixLines})) << dir.substr(0, 40);
    EXPECT_TRUE(r.m.files.FileExists("C:\\keep.txt"));
    EXPECT_TRUE(r.m.files.FileExists("C:\\Pelmora\\pl.exe")) << dir;
  }
}

TEST(ManualDeleteNotice, ButtonNamesFolderAndOpensItQuoted) {
  MemoryPlatform m;
  FakeUninstView view;
  TUninstDirDlg dlg(view, m.platform());
  m.files.MakeDirectories("C:\\Program Files\\Pelmora");
  view.SetText(C::Label1, "Pelmora has been successfully uninstalled, but you will need to manually delete the PL "
                          "database and home directory.");
  const Text success = view.GetText(C::Label1);
  dlg.Construct("C:\\Program Files\\Pelmora\\");
  EXPECT_EQ(view.GetText(C::OpenDirBtn), "Open : c:\\program files\\pelmora\\");
  EXPECT_EQ(view.GetText(C::Label1), success);
  dlg.Construct("C:\\Program Files\\Pelmora\\", false);
  EXPECT_EQ(view.GetText(C::Label1),
            "The removal did not finish: the wizard lists what was left. You will also need to manually "
            "delete the PL database and home directory.");
  EXPECT_EQ(dlg.HomeDir(), "C:\\Program Files\\Pelmora\\");
  m.files.WriteWholeFile("C:\\Program Files\\Pelmora\\explorer.exe", "MZ planted");
  m.files.ChangeDirectory("C:\\Program Files\\Pelmora");
  dlg.OpenDirBtnClick();
  ASSERT_EQ(m.shell.starts().size(), 1u);
  EXPECT_EQ(m.shell.starts()[0].program, "C:\\Windows\\explorer.exe");
  EXPECT_EQ(m.shell.starts()[0].command_line,
            "\"C:\\Windows\\explorer.exe\" \"C:\\Program Files\\Pelmora\"");
  dlg.Construct("");
  EXPECT_EQ(view.GetText(C::OpenDirBtn), "Open : ");
  m.files.AddDrive('D');
  dlg.Construct("D:\\");
  dlg.OpenDirBtnClick();
  EXPECT_EQ(m.shell.starts().back().command_line, "\"C:\\Windows\\explorer.exe\" D:\\");
  // A file, or nothing at all, is never handed to the explorer.
  size_t opened = m.shell.starts().size();
  for (const char* notFolder : {"C:\\Windows\\explorer.exe\\", "C:\\Windows\\explorer.exe", "C:\\Gone\\", ""}) {
    dlg.Construct(notFolder);
    dlg.OpenDirBtnClick();
    EXPECT_EQ(m.shell.starts().size(), opened) << notFolder;
  }
}

}  // namespace
}  // namespace pel
