// What the in-memory platform models beyond the shared suite: Windows' own short names, program search, DDE peers, refusals.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sys/memory/memory_platform.h"
#include "sys/paths.h"
#include "sys/services.h"

namespace pel {
namespace {

using ::testing::ElementsAre;

class MemoryPlatformTest : public ::testing::Test {
 protected:
  MemoryPlatform m;
};

// ---- short names and their use by DeleteTree ----

TEST_F(MemoryPlatformTest, LongNamesGetNumberedShortNames) {
  ASSERT_TRUE(m.files.MakeDirectory("C:\\Program Files"));
  ASSERT_TRUE(m.files.MakeDirectory("C:\\Program Files (x86)"));
  ASSERT_TRUE(m.files.MakeDirectory("C:\\Program Files\\Pelmora"));
  ASSERT_TRUE(m.files.WriteWholeFile("C:\\Program Files\\Pelmora\\Read Me.text", "r"));
  EXPECT_EQ(ShortPathName(m.files, "C:\\Program Files\\Pelmora"), "C:\\PROGRA~1\\Pelmora");
  EXPECT_EQ(ShortPathName(m.files, "c:\\program files (x86)\\"), "c:\\PROGRA~2\\");
  EXPECT_EQ(ShortPathName(m.files, "C:\\Program Files\\Pelmora\\Read Me.text"),
            "C:\\PROGRA~1\\Pelmora\\README~1.TEX");
  EXPECT_TRUE(m.files.FileExists("C:\\progra~1\\PELMORA\\readme~1.tex"));
  EXPECT_EQ(m.files.StoredSpelling("c:\\progra~1\\pelmora\\readme~1.tex"),
            "C:\\Program Files\\Pelmora\\Read Me.text");
}

TEST_F(MemoryPlatformTest, ShortNamesFollowTheRulesOf83) {
  EXPECT_TRUE(IsShortName("PL.EXE"));
  EXPECT_TRUE(IsShortName("pelmora"));
  EXPECT_TRUE(IsShortName("12345678.123"));
  EXPECT_FALSE(IsShortName("123456789"));
  EXPECT_FALSE(IsShortName("a.b.c"));
  EXPECT_FALSE(IsShortName("pl.pgp.bak"));
  EXPECT_FALSE(IsShortName("a b"));
  EXPECT_FALSE(IsShortName("file.text"));
}

TEST_F(MemoryPlatformTest, MasksMatchLikeWindows) {
  EXPECT_TRUE(MatchesMask("noext", "*.*"));
  EXPECT_TRUE(MatchesMask("PL.DBC", "*.dbc"));
  EXPECT_FALSE(MatchesMask("PL.DBC", "*.pgp"));
  EXPECT_TRUE(MatchesMask("PL", "pl.*"));
  EXPECT_TRUE(MatchesMask("abc", "a?c"));
  EXPECT_FALSE(MatchesMask("abcd", "a?c"));
}

TEST_F(MemoryPlatformTest, DeleteTreeEntersLongFoldersThroughShortNames) {
  ASSERT_TRUE(m.files.MakeDirectories("C:\\Mix\\pool\\Long Sub Folder\\Even Longer Name"));
  ASSERT_TRUE(m.files.WriteWholeFile("C:\\Mix\\pool\\Long Sub Folder\\Even Longer Name\\f", "f"));
  EXPECT_TRUE(DeleteTree(m.files, *ResolveFolder(m.files, "C:\\Mix\\pool").folder));
  EXPECT_FALSE(m.files.DirectoryExists("C:\\Mix\\pool"));
  EXPECT_TRUE(m.files.DirectoryExists("C:\\Mix"));
}

TEST_F(MemoryPlatformTest, DeleteTreeEntersAMarkedFolderButNeverAJunction) {
  // Other bits besides the folder bit leave a folder a folder; only a link
  // is left as what it is, its target untouched.
  ASSERT_TRUE(m.files.MakeDirectories("C:\\T\\Hidden"));
  ASSERT_TRUE(m.files.MakeDirectories("C:\\Elsewhere"));
  ASSERT_TRUE(m.files.WriteWholeFile("C:\\T\\Hidden\\gone", "g"));
  ASSERT_TRUE(m.files.WriteWholeFile("C:\\Elsewhere\\keep", "k"));
  ASSERT_TRUE(m.files.SetAttributes("C:\\T\\Hidden", kAttrHidden | kAttrNotContentIndexed));
  ASSERT_TRUE(m.files.MakeLink("C:\\T\\Link", "C:\\Elsewhere", true));
  ASSERT_TRUE(m.files.SetAttributes("C:\\T\\Link", kAttrHidden));
  EXPECT_EQ(m.files.Attributes("C:\\T\\Link"), kAttrDirectory | kAttrReparsePoint | kAttrHidden);
  EXPECT_TRUE(DeleteTree(m.files, *ResolveFolder(m.files, "C:\\T").folder));
  EXPECT_FALSE(m.files.DirectoryExists("C:\\T"));
  EXPECT_TRUE(m.files.FileExists("C:\\Elsewhere\\keep"));
}

TEST_F(MemoryPlatformTest, DrivesRootsAndRelativePaths) {
  EXPECT_TRUE(m.files.DirectoryExists("C:\\"));
  EXPECT_TRUE(m.files.DirectoryExists("C:"));
  EXPECT_FALSE(m.files.DirectoryExists("D:\\"));
  EXPECT_FALSE(m.files.MakeDirectory("D:\\x"));
  EXPECT_EQ(m.files.LastError(), kErrorPathNotFound);
  ASSERT_TRUE(m.files.AddDrive('d'));
  ASSERT_TRUE(m.files.MakeDirectory("D:\\x"));
  EXPECT_EQ(m.files.CurrentDirectory(), "C:\\");
  ASSERT_TRUE(m.files.ChangeDirectory("d:\\X"));
  EXPECT_EQ(m.files.CurrentDirectory(), "D:\\x");
  ASSERT_TRUE(m.files.WriteWholeFile("..\\up.txt", "u"));
  EXPECT_TRUE(m.files.FileExists("D:\\up.txt"));
  EXPECT_FALSE(m.files.MakeDirectory("C:\\bad|name"));
  EXPECT_EQ(m.files.LastError(), kErrorInvalidName);
}

TEST_F(MemoryPlatformTest, CopyOntoItselfKeepsTheData) {
  ASSERT_TRUE(m.files.WriteWholeFile("C:\\a.txt", "data"));
  EXPECT_FALSE(m.files.Copy("C:\\a.txt", "c:\\A.TXT", false));
  Text data;
  ASSERT_TRUE(m.files.ReadWholeFile("C:\\a.txt", &data));
  EXPECT_EQ(data, "data");
}

TEST_F(MemoryPlatformTest, FindFirstSemanticsKeepDotsOutAndReportNoMatch) {
  ASSERT_TRUE(m.files.MakeDirectories("C:\\D\\Sub"));
  std::vector<DirEntry> entries;
  EXPECT_TRUE(m.files.List("C:\\D\\*.*", kAttrAll, &entries));
  EXPECT_THAT(entries, ElementsAre(DirEntry{"Sub", kAttrDirectory}));
  EXPECT_FALSE(m.files.List("C:\\D\\*.txt", kAttrAll, &entries));
  EXPECT_EQ(m.files.LastError(), kErrorFileNotFound);
  EXPECT_FALSE(m.files.List("C:\\None\\*.*", kAttrAll, &entries));
  EXPECT_EQ(m.files.LastError(), kErrorPathNotFound);
  EXPECT_TRUE(ExcludedByMask(kAttrSystem, kAttrAll & ~kAttrSystem));
  EXPECT_FALSE(ExcludedByMask(kAttrReadOnly | kAttrArchive, 0));
}

// ---- shell: shortcuts, starts, beeps ----

TEST_F(MemoryPlatformTest, ShortcutWorkingFolderRules) {
  EXPECT_EQ(ShortcutWorkingDirectory("C:\\Program Files\\Pelmora\\PL.EXE"),
            "c:\\program files\\pelmora\\");
  EXPECT_EQ(ShortcutWorkingDirectory("D:PL.exe"), "d:");
  EXPECT_EQ(ShortcutWorkingDirectory("PL.exe"), "");
  EXPECT_EQ(ShortcutWorkingDirectory("C:\\\xC4RGER\\x.txt"), "c:\\\xE4rger\\");
}

TEST_F(MemoryPlatformTest, ShortcutSetsArgumentsOnlyWhenGiven) {
  ASSERT_TRUE(m.files.MakeDirectory("C:\\G"));
  EXPECT_EQ(CreateShortcut(m.shell, "C:\\P\\PL.exe", "C:\\G\\Pelmora.LNK", "C:\\P\\PL.exe",
                           "Pelmora", ""), kHrOk);
  EXPECT_EQ(CreateShortcut(m.shell, "C:\\P\\PL.exe", "C:\\G\\Args.LNK", "C:\\P\\icon.ico",
                           "With", "-u"), kHrOk);
  ASSERT_EQ(m.shell.shortcuts().size(), 2u);
  EXPECT_FALSE(m.shell.shortcuts()[0].arguments_set);
  EXPECT_TRUE(m.shell.shortcuts()[1].arguments_set);
  ShortcutFields want{"C:\\P\\PL.exe", "With", "c:\\p\\", "C:\\P\\icon.ico", 0, "-u"};
  EXPECT_EQ(m.shell.shortcuts()[1].link, want);
  EXPECT_EQ(m.shell.shortcuts()[1].link_file, "C:\\G\\Args.LNK");
}

TEST_F(MemoryPlatformTest, UnquotedPathWithBlankStartsTheWrongProgram) {
  ASSERT_TRUE(m.files.MakeDirectories("C:\\Program Files\\Pelmora"));
  ASSERT_TRUE(m.files.WriteWholeFile("C:\\Program Files\\Pelmora\\PL.exe", "MZ"));
  ASSERT_TRUE(m.files.WriteWholeFile("C:\\Program.exe", "MZ planted"));
  // The model does what CreateProcess does with such a command line ...
  ASSERT_NE(StartProgram(m.shell, "C:\\Program Files\\Pelmora\\PL.exe", kShowNormal), nullptr);
  EXPECT_EQ(m.shell.starts().back().program, "C:\\Program.exe");
  // ... which is why a program is started by its path only through StartProgramFile.
  ASSERT_NE(StartProgramFile(m.shell, "C:\\Program Files\\Pelmora\\PL.exe", kShowNormal), nullptr);
  const MemoryShell::Start& s = m.shell.starts().back();
  EXPECT_EQ(s.program, "C:\\Program Files\\Pelmora\\PL.exe");
  EXPECT_EQ(s.application, "C:\\Program Files\\Pelmora\\PL.exe");
  EXPECT_EQ(s.command_line, "\"C:\\Program Files\\Pelmora\\PL.exe\"");
  EXPECT_EQ(s.show, kShowNormal);
}

TEST_F(MemoryPlatformTest, OpenFolderWindowPassesTheFolderUnquoted) {
  ASSERT_NE(OpenFolderWindow(m.shell, "C:\\Program Files\\Pelmora\\"), nullptr);
  ASSERT_NE(OpenFolderWindow(m.shell, "c:\\users\\x\\start menu\\pelmora", kShow), nullptr);
  ASSERT_EQ(m.shell.starts().size(), 2u);
  EXPECT_EQ(m.shell.starts()[0].command_line, "explorer.exe C:\\Program Files\\Pelmora\\");
  EXPECT_EQ(m.shell.starts()[0].application, "");
  EXPECT_EQ(m.shell.starts()[0].program, "C:\\Windows\\explorer.exe");
  EXPECT_EQ(m.shell.starts()[0].show, kShowNormal);
  EXPECT_EQ(m.shell.starts()[1].command_line, "explorer.exe c:\\users\\x\\start menu\\pelmora");
  EXPECT_EQ(m.shell.starts()[1].show, kShow);
}

TEST_F(MemoryPlatformTest, StartInheritsTheCurrentFolder) {
  ASSERT_TRUE(m.files.MakeDirectories("C:\\Dest"));
  ASSERT_TRUE(m.files.WriteWholeFile("C:\\Dest\\PL.exe", "MZ"));
  ASSERT_TRUE(m.files.ChangeDirectory("C:\\Dest"));
  ASSERT_NE(StartProgram(m.shell, "PL.exe", kShowNormal), nullptr);
  EXPECT_EQ(m.shell.starts().back().current_directory, "C:\\Dest");
  EXPECT_EQ(m.shell.starts().back().program, "C:\\Dest\\PL.exe");
}

TEST_F(MemoryPlatformTest, BeepAndErrorTexts) {
  SystemBeep(m.shell, 0);
  EXPECT_THAT(m.shell.beeps(), ElementsAre(0u));
  EXPECT_EQ(SystemErrorText(m.shell, 5), "Access denied.\r\n");
  EXPECT_EQ(SystemErrorText(m.shell, 999999), "");
}

// ---- registry refusals ----

TEST_F(MemoryPlatformTest, RegistryRefusalsAsAccessRightsGiveThem) {
  m.registry.Put("Software\\Pelmora", "AppDir", {RegType::String, "C:\\P", 0});
  m.registry.RefuseOpen("software\\pelmora");
  EXPECT_TRUE(m.registry.KeyExists("Software\\Pelmora"));
  EXPECT_EQ(m.registry.OpenKey("Software\\Pelmora"), nullptr);
  EXPECT_EQ(m.registry.CreateKey("Software\\Pelmora"), nullptr);

  m.registry.RefuseWrites("Software\\Mixmaster");
  auto k = m.registry.CreateKey("Software\\Mixmaster");
  ASSERT_NE(k, nullptr);
  EXPECT_FALSE(k->WriteString("MixDir", "C:\\Mix"));
  EXPECT_EQ(m.registry.ValueCount("Software\\Mixmaster"), 0);

  m.registry.RefuseDelete("Software\\Mixmaster");
  EXPECT_FALSE(m.registry.DeleteKey("Software\\Mixmaster"));
  EXPECT_TRUE(m.registry.KeyExists("Software\\Mixmaster"));
}

TEST_F(MemoryPlatformTest, RegistryExpandableStringsReadAsTextOtherTypesDoNot) {
  m.registry.Put("K", "Exp", {RegType::ExpandString, "%HOME%", 0});
  m.registry.Put("K", "Bin", {RegType::Binary, "\x01\x02", 0});
  auto k = m.registry.OpenKey("k");
  ASSERT_NE(k, nullptr);
  EXPECT_EQ(k->ReadString("exp").value, "%HOME%");
  EXPECT_EQ(k->ReadString("Bin").error, "Invalid data type for 'Bin'");
  EXPECT_EQ(m.registry.Get("K", "bin")->type, RegType::Binary);
}

// ---- DDE peer: the two flags the uninstaller relies on ----

constexpr std::string_view kProgmanExe = "C:\\Windows\\progman.exe";

TEST_F(MemoryPlatformTest, DdeRefusedConnectionTriesOneStartThenGivesUp) {
  EXPECT_EQ(m.dde.Connect("PROGMAN", "PROGMAN", kProgmanExe), nullptr);
  EXPECT_THAT(m.dde.started(), ElementsAre("\"C:\\Windows\\progman.exe\" PROGMAN"));
  EXPECT_EQ(m.dde.connect_attempts(), 1);
  m.dde.AddServer("PROGMAN", "PROGMAN", false, false);
  EXPECT_EQ(m.dde.Connect("PROGMAN", "PROGMAN", kProgmanExe), nullptr);
  EXPECT_EQ(m.dde.started().size(), 2u);
  // Without a program to start, nothing is started.
  m.dde.AddServer("PROGMAN", "PROGMAN", false, true);
  EXPECT_EQ(m.dde.Connect("PROGMAN", "PROGMAN", ""), nullptr);
  EXPECT_EQ(m.dde.started().size(), 2u);
}

TEST_F(MemoryPlatformTest, DdeServerStartedOnDemandTakesTheCommand) {
  m.dde.AddServer("PROGMAN", "PROGMAN", false, true);
  {
    auto conv = m.dde.Connect("progman", "Progman", kProgmanExe);
    ASSERT_NE(conv, nullptr);
    EXPECT_EQ(m.dde.connect_attempts(), 2);
    EXPECT_EQ(m.dde.open_conversations(), 1);
    EXPECT_TRUE(conv->Execute("[DeleteGroup(Pelmora)]"));
  }
  EXPECT_EQ(m.dde.open_conversations(), 0);
  EXPECT_THAT(m.dde.commands(), ElementsAre("[DeleteGroup(Pelmora)]"));
  // Running now: no second start.
  EXPECT_NE(m.dde.Connect("PROGMAN", "PROGMAN", kProgmanExe), nullptr);
  EXPECT_EQ(m.dde.started().size(), 1u);
}

TEST_F(MemoryPlatformTest, DdeRefusedTransactionReportsNotStarted) {
  m.dde.AddServer("PROGMAN", "PROGMAN");
  m.dde.RefuseTransactions(true);
  auto conv = m.dde.Connect("PROGMAN", "PROGMAN", kProgmanExe);
  ASSERT_NE(conv, nullptr);
  EXPECT_FALSE(conv->Execute("[DeleteGroup()]"));
  EXPECT_TRUE(m.dde.commands().empty());
}

// The twin's own volume without short names: a name outside the code page
// can then not reach the core at all, and says so rather than turn into another.
TEST(MemoryFileSystem, AVolumeWithoutShortNamesGivesForeignNamesNoWayIn) {
  MemoryFileSystem fs;
  ASSERT_TRUE(fs.AddDrive('D', false));
  ASSERT_TRUE(fs.MakeDirectories("D:\\Users"));
  ASSERT_TRUE(fs.MakeUnicodeEntry("D:\\Users", "Łukasz", true));
  ASSERT_TRUE(fs.MakeDirectories("D:\\Users\\A long plain name"));
  std::vector<DirEntry> mine, foreign;
  ASSERT_TRUE(fs.List("D:\\Users\\*", kAttrAll, &mine, &foreign));
  ASSERT_EQ(foreign.size(), 1u);
  EXPECT_EQ(foreign[0].name, "");
  EXPECT_EQ(foreign[0].shown, "?ukasz");
  // Plain long names keep no short form there either.
  ASSERT_EQ(mine.size(), 1u);
  EXPECT_EQ(fs.ShortPathName("D:\\Users\\A long plain name"), "D:\\Users\\A long plain name");
  // No 8-bit spelling reaches it: not the best-fitted one, not the '?' one.
  for (std::string_view p : {"D:\\Users\\Lukasz", "D:\\Users\\?ukasz", "D:\\Users\\_UKASZ~1"})
    EXPECT_FALSE(fs.DirectoryExists(p)) << p;

  // On the system drive the same name has a short form, and every path
  // through it comes out by that form.
  ASSERT_TRUE(fs.MakeDirectories("C:\\Users"));
  ASSERT_TRUE(fs.MakeUnicodeEntry("C:\\Users", "Łukasz", true));
  ASSERT_TRUE(fs.List("C:\\Users\\*", kAttrAll, &mine, &foreign));
  ASSERT_EQ(foreign.size(), 1u);
  EXPECT_EQ(foreign[0].name, "_UKASZ~1");
  ASSERT_TRUE(fs.WriteWholeFile("C:\\Users\\_ukasz~1\\PL.exe", "MZ"));
  EXPECT_EQ(fs.FinalPathName("C:\\Users\\_UKASZ~1\\PL.exe"), "C:\\Users\\_UKASZ~1\\PL.exe");
  ASSERT_TRUE(fs.ChangeDirectory("C:\\Users\\_UKASZ~1"));
  EXPECT_EQ(fs.CurrentDirectory(), "C:\\Users\\_UKASZ~1");
  EXPECT_TRUE(fs.FileExists("PL.exe"));
}

}  // namespace
}  // namespace pel
