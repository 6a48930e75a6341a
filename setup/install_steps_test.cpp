// The installation steps against the in-memory platform: files, registry, templates, group.
#include <gtest/gtest.h>

#include "app/constants.h"
#include "setup/install_steps.h"
#include "setup/memory_store_access.h"
#include "store/stream.h"
#include "sys/memory/memory_platform.h"
#include "sys/memory/scripted_ui.h"

namespace pel {
namespace {

constexpr const char* kPrograms = "C:\\Users\\Jane\\Start Menu\\Programs";

struct Install : ::testing::Test {
  MemoryPlatform mem;
  MemoryStoreAccess store{mem.files};
  ScriptedUi ui;
  InstallServices s{mem.platform(), store, ui, "C:\\DIST\\SETUP.dbc", [] { return Text(); }};
  InstallContext c;

  void SetUp() override {
    MemoryFileSystem& fs = mem.files;
    fs.MakeDirectories("C:\\Dist\\Extras");
    fs.MakeDirectories("C:\\Program Files");
    fs.MakeDirectories(kPrograms);
    for (const char* name : {"Setup.EXE", "PL.exe", "License.txt", "ReadMe.txt", "QuickStart.rtf"})
      fs.WriteWholeFile(Text("C:\\Dist\\") + name, Text("bytes of ") + name);
    fs.WriteWholeFile("C:\\Dist\\Extras\\inner.txt", "x");
    StringList settings;
    settings.Add("Version=1.0 demo");
    ASSERT_EQ(store.WriteSection(SettingsRecord, &settings, "C:\\Dist\\PL.ini"), 0);
    mem.registry.Put("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                     "Programs", {RegType::String, kPrograms});
    c.appDir = "C:\\Program Files\\Pelmora";
    c.address = "Jane <jane@example.org>";
    c.host = "smtp.example.org";
    c.sourceFolder = "C:\\Dist";
    c.version = "1.0 demo";
  }
  Text File(const Text& path) {
    Text data;
    mem.files.ReadWholeFile(path, &data);
    return data;
  }
  StringList Record(std::string_view key, const Text& file) {
    StringList l;
    EXPECT_EQ(store.ReadSection(l, key, file), 0);
    return l;
  }
  std::optional<RegValue> Reg(std::string_view name) { return mem.registry.Get(ProductKey, name); }
};

TEST_F(Install, FreshInstallCopiesRegistersStoresAndGroups) {
  ASSERT_TRUE(RunInstallSteps(c, s));
  EXPECT_TRUE(ui.Boxes().empty());
  const Text dest = "C:\\Program Files\\Pelmora\\";
  EXPECT_EQ(File(dest + "UninstPL.exe"), "bytes of Setup.EXE");
  EXPECT_FALSE(mem.files.FileExists(dest + "setup.exe"));
  EXPECT_EQ(File(dest + "License.txt"), "bytes of License.txt");
  EXPECT_FALSE(mem.files.DirectoryExists(dest + "Extras"));
  // The database starts as the shipped template and gains both templates.
  EXPECT_EQ(store.ReadSetting("Version", "", dest + "PL.dbc"), "1.0 demo");
  StringList message = Record(DefaultMessageKey, dest + "PL.dbc");
  EXPECT_EQ(message.GetText(),
            "Fcc: outbox\r\nHost: smtp.example.org\r\nFrom: Jane <jane@example.org>\r\n"
            "Chain: *,*,*,*; copies=1\r\nTo: \r\nSubject: \r\n\r\n~~\r\n");
  StringList article = Record(DefaultArticleKey, dest + "PL.dbc");
  ASSERT_EQ(article.Count(), 10);
  EXPECT_EQ(article[4], "To: " + Text(NewsGatewayAddress));
  EXPECT_EQ(article[5], "X-No-Archive: Yes");
  EXPECT_EQ(article[9], "~~");

  EXPECT_EQ(Reg("AppDir")->text, "C:\\Program Files\\Pelmora");
  EXPECT_EQ(Reg("Version")->text, "1.0 demo");
  EXPECT_EQ(Reg("Program Group")->text, "Pelmora");
  EXPECT_EQ(*Reg("WindowState"), (RegValue{RegType::Integer, "", 0}));
  EXPECT_EQ(Reg("WindowPos")->text, "-1,-1,565,350");
  EXPECT_EQ(*Reg("Update"), (RegValue{RegType::Integer, "", 1}));

  const auto& links = mem.shell.shortcuts();
  ASSERT_EQ(links.size(), 5u);
  const Text group = AnsiLowerCase(kPrograms) + "\\Pelmora";
  EXPECT_TRUE(mem.files.DirectoryExists(group));
  const char* names[] = {"License.LNK", "Pelmora.LNK", "Uninstall PL.LNK", "QuickStart.LNK",
                         "ReadMe.LNK"};
  const char* targets[] = {"license.txt", "pl.exe", "uninstpl.exe", "quickstart.rtf", "readme.txt"};
  const char* descriptions[] = {"License", "Pelmora", "Uninstall Pelmora", "Quick Start", "Read Me"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(links[i].link_file, group + "\\" + names[i]);
    EXPECT_EQ(links[i].link.path, Text("c:\\program files\\pelmora\\") + targets[i]);
    EXPECT_EQ(links[i].link.icon_file, links[i].link.path);
    EXPECT_EQ(links[i].link.description, descriptions[i]);
    EXPECT_EQ(links[i].link.working_directory, "c:\\program files\\pelmora\\");
    EXPECT_FALSE(links[i].arguments_set);
  }
  ASSERT_EQ(mem.shell.starts().size(), 1u);
  EXPECT_EQ(mem.shell.starts()[0].command_line, "explorer.exe " + group);
  EXPECT_EQ(mem.shell.starts()[0].show, 5);
}

TEST_F(Install, ReinstallKeepsWindowSettingsDatabaseAndOpensNoWindow) {
  ASSERT_TRUE(RunInstallSteps(c, s));
  const Text db = "C:\\Program Files\\Pelmora\\PL.dbc";
  StringList other;
  other.Add("kept");
  ASSERT_EQ(store.WriteSection("Notes\xFFone", &other, db), 0);
  mem.registry.Put(ProductKey, "WindowState", {RegType::Integer, "", 2});
  mem.registry.Put(ProductKey, "WindowPos", {RegType::String, "1,2,3,4"});

  c.earlierInstall = true;
  c.host = "mail.other.org";
  ASSERT_TRUE(RunInstallSteps(c, s));
  EXPECT_EQ(Reg("WindowState")->number, 2u);
  EXPECT_EQ(Reg("WindowPos")->text, "1,2,3,4");
  EXPECT_EQ(mem.shell.starts().size(), 1u);  // only the first installation's window
  EXPECT_EQ(Record("Notes\xFFone", db)[0], "kept");
  EXPECT_EQ(Record(DefaultMessageKey, db)[1], "Host: mail.other.org");
  EXPECT_EQ(store.ReadSetting("Version", "", db), "1.0 demo");  // PL.ini not copied again
}

TEST_F(Install, EncryptedDatabaseIsLeftAlone) {
  mem.files.MakeDirectories("C:\\Program Files\\Pelmora");
  mem.files.WriteWholeFile("C:\\Program Files\\Pelmora\\PL.pgp", "sealed");
  ASSERT_TRUE(RunInstallSteps(c, s));
  EXPECT_EQ(File("C:\\Program Files\\Pelmora\\PL.pgp"), "sealed");
  EXPECT_FALSE(mem.files.FileExists("C:\\Program Files\\Pelmora\\PL.dbc"));
}

TEST_F(Install, DestinationEqualToSourceCopiesNothingButRegisters) {
  for (const char* same : {"c:\\dist", "C:\\DIST\\"}) {
    c.appDir = same;
    ASSERT_TRUE(CopyProgramFiles(c, s)) << same;
    EXPECT_FALSE(mem.files.FileExists("C:\\Dist\\UninstPL.exe")) << same;
    EXPECT_FALSE(mem.files.FileExists("C:\\Dist\\PL.dbc")) << same;
  }
  c.appDir = mem.files.ShortPathName("C:\\Dist");
  ASSERT_TRUE(RunInstallSteps(c, s));
  EXPECT_FALSE(mem.files.FileExists("C:\\Dist\\UninstPL.exe"));
  EXPECT_EQ(Reg("AppDir")->text, c.appDir);
  EXPECT_EQ(Record(DefaultMessageKey, "C:\\Dist\\PL.dbc").Count(), 8);
}

TEST_F(Install, UncreatableDestinationsStopWithFolderCreationError) {
  mem.files.WriteWholeFile("C:\\Blocker", "a file where a folder should go");
  for (const char* bad : {"", "relative\\folder", "C:", "C:\\Blocker\\Pelmora", "C:\\bad|name",
                          "C:\\a\\..\\b", "Q:\\Pelmora", "C:\\trailing. "}) {
    ui.Reset();
    c.appDir = bad;
    EXPECT_FALSE(RunInstallSteps(c, s)) << bad;
    ASSERT_EQ(ui.Boxes().size(), 1u) << bad;
    EXPECT_EQ(ui.Boxes()[0].caption, "PelmoraFolder Creation Error");
    EXPECT_EQ(ui.Boxes()[0].text,
              "Unable to create the destination folder.\nPlease review your entry for errors or\n"
              "illegal characters.");
  }
  c.appDir = "C:\\" + Text(250, 'x');
  EXPECT_FALSE(CopyProgramFiles(c, s));
  EXPECT_FALSE(mem.registry.KeyExists(ProductKey));
  EXPECT_FALSE(mem.files.DirectoryExists("C:\\relative"));
}

TEST_F(Install, MissingParentsAreCreated) {
  c.appDir = "C:\\Apps\\Mail\\Pelmora\\";
  ASSERT_TRUE(CopyProgramFiles(c, s));
  EXPECT_TRUE(mem.files.FileExists("C:\\Apps\\Mail\\Pelmora\\PL.dbc"));
}

TEST_F(Install, ReadOnlyTargetStopsWithCopyFailed) {
  ASSERT_TRUE(RunInstallSteps(c, s));
  mem.registry.DeleteKey(ProductKey);
  const Text target = "C:\\Program Files\\Pelmora\\License.txt";
  ASSERT_TRUE(mem.files.SetAttributes(target, kAttrReadOnly));
  ui.Reset();
  EXPECT_FALSE(RunInstallSteps(c, s));
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.Boxes()[0].caption, "Copy Failed");
  EXPECT_EQ(ui.Boxes()[0].text, "System Error: " + mem.shell.ErrorText(5) + "File: C:\\Dist\\License.txt");
  EXPECT_FALSE(mem.registry.KeyExists(ProductKey));  // later steps did not run
}

// A distribution on a CD: every file read-only. The copies lose only that bit,
// so the database takes the templates and a second installation replaces them.
TEST_F(Install, ReadOnlyDistributionGivesWritableCopies) {
  for (const char* name : {"Setup.EXE", "PL.exe", "License.txt", "ReadMe.txt", "QuickStart.rtf", "PL.ini"})
    ASSERT_TRUE(mem.files.SetAttributes(Text("C:\\Dist\\") + name, kAttrReadOnly | kAttrArchive));
  ASSERT_TRUE(mem.files.SetAttributes("C:\\Dist\\ReadMe.txt", kAttrReadOnly | kAttrHidden));
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_TRUE(RunInstallSteps(c, s));
    EXPECT_TRUE(ui.Boxes().empty());
    const Text dest = "C:\\Program Files\\Pelmora\\";
    for (const char* name : {"UninstPL.exe", "PL.exe", "License.txt", "QuickStart.rtf", "PL.ini", "PL.dbc"})
      EXPECT_EQ(mem.files.Attributes(dest + name), kAttrArchive) << name;
    EXPECT_EQ(mem.files.Attributes(dest + "ReadMe.txt"), kAttrHidden | kAttrArchive);
    EXPECT_EQ(Record(DefaultMessageKey, dest + "PL.dbc")[2], "From: Jane <jane@example.org>");
    c.earlierInstall = true;
  }
  EXPECT_EQ(mem.files.Attributes("C:\\Dist\\PL.ini"), kAttrReadOnly | kAttrArchive);  // source untouched
}

TEST_F(Install, RegistryRefusalStopsBeforeTheTemplates) {
  mem.registry.CreateKey(ProductKey);
  mem.registry.RefuseWrites(ProductKey);
  EXPECT_FALSE(RunInstallSteps(c, s));
  ASSERT_EQ(ui.Boxes().size(), 1u);
  EXPECT_EQ(ui.Boxes()[0].caption, "Registry Error");
  EXPECT_EQ(ui.Boxes()[0].text, "Unable to write to Win95 registry!\n\nEntries NOT saved!");
  EXPECT_TRUE(Record(DefaultMessageKey, "C:\\Program Files\\Pelmora\\PL.dbc").Empty());
}

TEST_F(Install, AProductKeyThatCannotBeOpenedOrCreatedIsARegistryError) {
  // The key there but refused, or never made: either way nothing is
  // recorded, so the installation must not say it is complete.
  for (bool exists : {true, false}) {
    SCOPED_TRACE(exists ? "key exists, refused" : "key cannot be created");
    MemoryPlatform fresh;
    ScriptedUi box;
    MemoryStoreAccess st{fresh.files};
    InstallServices svc{fresh.platform(), st, box, "C:\\DIST\\SETUP.dbc", [] { return Text(); }};
    fresh.files.MakeDirectories("C:\\Dist");
    fresh.files.WriteWholeFile("C:\\Dist\\PL.exe", "bytes");
    fresh.registry.Put("Software\\Other", "Kept", {RegType::String, "other bytes"});
    if (exists) fresh.registry.CreateKey(ProductKey);
    fresh.registry.RefuseOpen(ProductKey);
    EXPECT_FALSE(RunInstallSteps(c, svc));
    ASSERT_EQ(box.Boxes().size(), 1u);
    EXPECT_EQ(box.Boxes()[0].caption, "Registry Error");
    EXPECT_EQ(box.Boxes()[0].text, "Unable to write to Win95 registry!\n\nEntries NOT saved!");
    // The steps after it did not run: no database templates, no group.
    StringList msg;
    st.ReadSection(msg, DefaultMessageKey, "C:\\Program Files\\Pelmora\\PL.dbc");
    EXPECT_TRUE(msg.Empty());
    EXPECT_TRUE(fresh.shell.shortcuts().empty());
    EXPECT_FALSE(fresh.registry.Get(UninstallEntryKey, "DisplayName"));
    // What the copy put in place stays, as after any failed step, and the
    // registry's other keys are untouched.
    EXPECT_TRUE(fresh.files.FileExists("C:\\Program Files\\Pelmora\\PL.exe"));
    EXPECT_EQ(fresh.registry.Get("Software\\Other", "Kept")->text, "other bytes");
  }
}

// A store file held by another program: the steps stop with the store's text
// for the standard error box, show no box of their own, keep what the
// earlier steps did and leave the database's records as they were.
struct HeldStore : Install, ::testing::WithParamInterface<const char*> {};

TEST_P(HeldStore, StopsTheStepsWithItsTextAndKeepsTheDatabase) {
  const Text db = "C:\\Program Files\\Pelmora\\PL.dbc";
  mem.files.MakeDirectories("C:\\Program Files\\Pelmora");
  mem.files.MakeDirectories("C:\\DIST");
  StringList mine;
  mine.Add("keep me");
  ASSERT_EQ(store.WriteSection("Notes\xFFone", &mine, db), 0);
  StringList settings;
  settings.Add("Cutmarks=-- cut --");
  ASSERT_EQ(store.WriteSection(SettingsRecord, &settings, "C:\\DIST\\SETUP.dbc"), 0);
  Text before;
  ASSERT_TRUE(mem.files.ReadWholeFile(db, &before));

  store.locked.insert(GetParam());
  EXPECT_FALSE(RunInstallSteps(c, s));
  EXPECT_EQ(s.failure, "Cannot open file " + Text(GetParam()));
  EXPECT_TRUE(ui.Boxes().empty());
  EXPECT_EQ(Reg("AppDir")->text, c.appDir);     // the registry step ran
  EXPECT_TRUE(mem.shell.shortcuts().empty());  // the group step did not
  Text after;
  ASSERT_TRUE(mem.files.ReadWholeFile(db, &after));
  EXPECT_EQ(after, before);
  store.locked.clear();
  EXPECT_EQ(Record("Notes\xFFone", db)[0], "keep me");
  EXPECT_TRUE(Record(DefaultMessageKey, db).Empty());
}

INSTANTIATE_TEST_SUITE_P(Install, HeldStore,
                         ::testing::Values("C:\\Program Files\\Pelmora\\PL.dbc",
                                           "C:\\DIST\\SETUP.dbc"));

TEST_F(Install, ADatabaseThatCannotBeCreatedIsSaidSo) {
  // The folder is gone by the time the templates are stored.
  c.appDir = "C:\\Nowhere";
  EXPECT_FALSE(StoreDefaultTemplates(c, s));
  EXPECT_EQ(s.failure, "Cannot create file C:\\Nowhere\\PL.dbc");
  EXPECT_TRUE(ui.Boxes().empty());
  EXPECT_FALSE(mem.files.DirectoryExists("C:\\Nowhere"));
}

TEST_F(Install, CutMarksComeFromTheStoreBesideSetup) {
  mem.files.MakeDirectories("C:\\DIST");
  StringList settings;
  settings.Add("Cutmarks=-- cut --");
  ASSERT_EQ(store.WriteSection(SettingsRecord, &settings, "C:\\DIST\\SETUP.dbc"), 0);
  ASSERT_TRUE(CopyProgramFiles(c, s));
  ASSERT_TRUE(StoreDefaultTemplates(c, s));
  EXPECT_EQ(Record(DefaultMessageKey, "C:\\Program Files\\Pelmora\\PL.dbc")[7], "-- cut --");
}

TEST_F(Install, CutMarksDefaultWhenTheStoreBesideSetupHasNone) {
  mem.files.MakeDirectories("C:\\DIST");
  const std::vector<std::pair<std::string_view, Text>> stores = {
      {SettingsRecord, "Version=1.0"}, {SettingsRecord, "Cutmarks="}, {"notes", "Cutmarks=no"}};
  for (const auto& [record, line] : stores) {
    SCOPED_TRACE(line);
    mem.files.Delete("C:\\DIST\\SETUP.dbc");
    StringList l;
    l.Add(line);
    ASSERT_EQ(store.WriteSection(record, &l, "C:\\DIST\\SETUP.dbc"), 0);
    ASSERT_TRUE(RunInstallSteps(c, s));
    EXPECT_EQ(Record(DefaultMessageKey, "C:\\Program Files\\Pelmora\\PL.dbc")[7], "~~");
  }
}

TEST_F(Install, EmptyFieldsGiveBareHeaders) {
  c.address.clear();
  c.host.clear();
  ASSERT_TRUE(RunInstallSteps(c, s));
  StringList m = Record(DefaultMessageKey, "C:\\Program Files\\Pelmora\\PL.dbc");
  EXPECT_EQ(m[1], "Host: ");
  EXPECT_EQ(m[2], "From: ");
  EXPECT_FALSE(mem.files.FileExists("C:\\DIST\\SETUP.dbc"));  // reading cut marks created nothing
}

TEST_F(Install, NoGroupWantedLeavesGroupAndOldValueAlone) {
  mem.registry.Put(ProductKey, "Program Group", {RegType::String, "Pelmora"});
  c.groupWanted = false;
  ASSERT_TRUE(RunInstallSteps(c, s));
  EXPECT_EQ(Reg("Program Group")->text, "Pelmora");
  EXPECT_TRUE(mem.shell.shortcuts().empty());
  EXPECT_TRUE(mem.shell.starts().empty());
  EXPECT_FALSE(mem.files.DirectoryExists(AnsiLowerCase(kPrograms) + "\\Pelmora"));
}

TEST_F(Install, MissingProgramsValueFallsBackToTheSystemFolder) {
  mem.registry.DeleteKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
  ASSERT_TRUE(CreateProgramGroup(c, s));
  EXPECT_TRUE(mem.shell.shortcuts().empty());  // no folder known: no group at all
  EXPECT_TRUE(mem.registry.KeyExists("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"));

  s.systemProgramsFolder = [] { return Text("C:\\Users\\Jane\\Start Menu\\Programs"); };
  ASSERT_TRUE(CreateProgramGroup(c, s));
  ASSERT_EQ(mem.shell.shortcuts().size(), 5u);
  EXPECT_EQ(mem.shell.shortcuts()[0].link_file, AnsiLowerCase(kPrograms) + "\\Pelmora\\License.LNK");
}

TEST_F(Install, ProductStartsQuotedFromItsFolder) {
  ASSERT_TRUE(RunInstallSteps(c, s));
  FinishAndStartProduct(s, c.appDir, "PL.exe", false);
  EXPECT_EQ(mem.files.CurrentDirectory(), "C:\\Program Files\\Pelmora");
  size_t before = mem.shell.starts().size();
  FinishAndStartProduct(s, c.appDir, "PL.exe", true);
  ASSERT_EQ(mem.shell.starts().size(), before + 1);
  const MemoryShell::Start& st = mem.shell.starts().back();
  EXPECT_EQ(st.program, "C:\\Program Files\\Pelmora\\PL.exe");
  EXPECT_EQ(st.show, 1);
  EXPECT_EQ(st.command_line.front(), '"');
  // A folder that does not exist leaves the current folder where it was.
  FinishAndStartProduct(s, "C:\\Nowhere", "PL.exe", false);
  EXPECT_EQ(mem.files.CurrentDirectory(), "C:\\Program Files\\Pelmora");
}

}  // namespace
}  // namespace pel
