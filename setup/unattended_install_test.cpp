// Unattended installation: the wizard's inputs and steps without a window, the installed-programs entry, the log.
#include "setup/unattended_install.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/command_line.h"
#include "app/constants.h"
#include "setup/fake_setup_view.h"
#include "setup/install_driver.h"
#include "setup/memory_store_access.h"
#include "sys/logging_platform.h"
#include "sys/memory/memory_platform.h"

namespace pel {
namespace {

constexpr const char* kPrograms = "C:\\Users\\Jane\\Start Menu\\Programs";
constexpr const char* kDest = "C:\\Program Files\\Pelmora\\";

struct Machine {
  MemoryPlatform mem;
  MemoryStoreAccess store{mem.files};
  SilentUi silent;
  Text logText;
  ActionLog log{std::make_unique<TextLogSink>(&logText), [] { return Text("T"); }};
  LoggingUi ui{silent, log};
  LoggingPlatform logged{mem.platform(), log};
  InstallServices s{logged.platform(), store, ui, "C:\\Dist\\setup.dbc", [] { return Text(); },
                    [] { return Text("20261208"); }, &log};

  Machine() {
    MemoryFileSystem& fs = mem.files;
    fs.MakeDirectories("C:\\Dist");
    fs.MakeDirectories("C:\\Program Files");
    fs.MakeDirectories(kPrograms);
    for (const char* name : {"setup.exe", "PL.exe", "License.txt", "ReadMe.txt", "QuickStart.rtf"})
      fs.WriteWholeFile(Text("C:\\Dist\\") + name, Text("bytes of ") + name);
    StringList settings;
    settings.Add("Version=.9b2");
    store.WriteSection(SettingsRecord, &settings, "C:\\Dist\\PL.ini");
    fs.ChangeDirectory("C:\\Dist");
    mem.registry.Put("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                     "Programs", {RegType::String, kPrograms});
  }
  int Run(std::vector<Text> args) {
    return RunUnattendedInstall(InstallChoicesOf(ParseSwitches(Mode::Setup, "C:\\Dist\\setup.exe", args)), "C:\\Dist", s);
  }
  Text Reg(std::string_view key, std::string_view name) {
    auto v = mem.registry.Get(key, name);
    return !v ? "<none>" : v->type == RegType::Integer ? std::to_string(v->number) : v->text;
  }
  StringList Record(std::string_view key) {
    StringList l;
    store.ReadSection(l, key, Text(kDest) + "PL.dbc");
    return l;
  }
};

TEST(UnattendedInstall, DoesWhatTheWizardsStepsDoWithTheSameInputs) {
  Machine quiet, wizard;
  ASSERT_EQ(quiet.Run({"/S", "/ADDRESS=Jane <j@x.org>", "/SERVER=smtp.x.org"}), ExitDone);

  InstallContext c;
  c.appDir = "C:\\Program Files\\Pelmora";
  c.address = "Jane <j@x.org>";
  c.host = "smtp.x.org";
  c.sourceFolder = "C:\\Dist";
  c.version = ".9b2";
  ASSERT_TRUE(RunInstallSteps(c, wizard.s));

  for (const char* f : {"UninstPL.exe", "PL.exe", "PL.ini", "PL.dbc", "License.txt"}) {
    Text a, b;
    EXPECT_TRUE(quiet.mem.files.ReadWholeFile(Text(kDest) + f, &a)) << f;
    wizard.mem.files.ReadWholeFile(Text(kDest) + f, &b);
    EXPECT_EQ(a, b) << f;
  }
  for (std::string_view name : {"AppDir", "Version", "Program Group", "WindowState", "Update"})
    EXPECT_EQ(quiet.Reg(ProductKey, name), wizard.Reg(ProductKey, name)) << name;
  EXPECT_EQ(quiet.mem.registry.ValueCount(UninstallEntryKey),
            wizard.mem.registry.ValueCount(UninstallEntryKey));
  EXPECT_EQ(quiet.mem.shell.shortcuts().size(), 5u);
  EXPECT_EQ(quiet.mem.shell.shortcuts().size(), wizard.mem.shell.shortcuts().size());
  // The wizard shows the new group; an unattended run starts nothing at all.
  EXPECT_EQ(wizard.mem.shell.starts().size(), 1u);
  EXPECT_TRUE(quiet.mem.shell.starts().empty());
}

TEST(UnattendedInstall, WritesTheInstalledProgramsEntry) {
  Machine m;
  ASSERT_EQ(m.Run({"/S", "/ADDRESS=a@x.org", "/SERVER=h"}), ExitDone);
  const std::string_view k = UninstallEntryKey;
  EXPECT_EQ(m.Reg(k, "DisplayName"), "Pelmora");
  EXPECT_EQ(m.Reg(k, "DisplayVersion"), ".9b2");
  EXPECT_EQ(m.Reg(k, "Publisher"), Publisher);
  EXPECT_EQ(m.Reg(k, "InstallLocation"), "C:\\Program Files\\Pelmora");
  EXPECT_EQ(m.Reg(k, "DisplayIcon"), "C:\\Program Files\\Pelmora\\PL.exe");
  EXPECT_EQ(m.Reg(k, "UninstallString"), "\"C:\\Program Files\\Pelmora\\UninstPL.exe\"");
  EXPECT_EQ(m.Reg(k, "QuietUninstallString"), "\"C:\\Program Files\\Pelmora\\UninstPL.exe\" /S");
  EXPECT_EQ(m.Reg(k, "NoModify"), "1");
  EXPECT_EQ(m.Reg(k, "NoRepair"), "1");
  EXPECT_EQ(m.Reg(k, "InstallDate"), "20261208");
  // Six small files and the database: a few hundred bytes, rounded up.
  EXPECT_EQ(m.Reg(k, "EstimatedSize"), "1");
}

TEST(UnattendedInstall, ReinstallTakesTheEarlierFolderAddressAndKeepsWindowValues) {
  Machine m;
  ASSERT_EQ(m.Run({"/S", "/DIR=C:\\Mail\\PL", "/ADDRESS=a@x.org", "/SERVER=h1"}), ExitDone);
  m.mem.registry.Put(ProductKey, "WindowPos", {RegType::String, "10,10,600,400"});
  StringList other;
  other.Add("keep me");
  m.store.WriteSection("inbox\xFF" "1", &other, "C:\\Mail\\PL\\PL.dbc");

  ASSERT_EQ(m.Run({"/S", "/SERVER=h2", "/NOGROUP"}), ExitDone);
  StringList message;
  m.store.ReadSection(message, DefaultMessageKey, "C:\\Mail\\PL\\PL.dbc");
  EXPECT_EQ(message[1], "Host: h2");
  EXPECT_EQ(message[2], "From: a@x.org");
  StringList kept;
  EXPECT_EQ(m.store.ReadSection(kept, "inbox\xFF" "1", "C:\\Mail\\PL\\PL.dbc"), 0);
  EXPECT_EQ(kept.GetText(), "keep me\r\n");
  EXPECT_EQ(m.Reg(ProductKey, "WindowPos"), "10,10,600,400");
  EXPECT_EQ(m.Reg(ProductKey, "AppDir"), "C:\\Mail\\PL");
}

// A store file held by another program: what the wizard shows in the
// standard error box goes to the log, the run ends with 2, and the held
// database keeps its bytes.
TEST(UnattendedInstall, AHeldStoreFileIsLoggedAsTheErrorBoxWouldSayIt) {
  struct Case {
    const char* held;
    bool registryWritten;  // the steps had begun when the file was needed
  };
  for (const Case& c : {Case{"C:\\Mail\\PL\\PL.dbc", false}, Case{"C:\\Dist\\setup.dbc", true}}) {
    SCOPED_TRACE(c.held);
    Machine m;
    ASSERT_EQ(m.Run({"/S", "/DIR=C:\\Mail\\PL", "/ADDRESS=a@x.org", "/SERVER=h1", "/NOGROUP"}), ExitDone);
    StringList cut;
    cut.Add("Cutmarks=--");
    ASSERT_EQ(m.store.WriteSection(SettingsRecord, &cut, "C:\\Dist\\setup.dbc"), 0);
    Text before;
    ASSERT_TRUE(m.mem.files.ReadWholeFile("C:\\Mail\\PL\\PL.dbc", &before));
    m.logText.clear();
    m.store.locked.insert(c.held);

    EXPECT_EQ(m.Run({"/S", "/SERVER=h2"}), ExitStepFailed);
    EXPECT_NE(m.logText.find("Error: Cannot open file " + Text(c.held) + "\r\n"), Text::npos) << m.logText;
    EXPECT_EQ(m.logText.find("Installation"), Text::npos) << m.logText;
    EXPECT_EQ(m.logText.find("Writing registry entries: done") != Text::npos, c.registryWritten);
    Text after;
    ASSERT_TRUE(m.mem.files.ReadWholeFile("C:\\Mail\\PL\\PL.dbc", &after));
    EXPECT_EQ(after, before);
  }
}

TEST(UnattendedInstall, TheWizardsDriverHandsAHeldStoreFileToTheForm) {
  Machine m;
  m.mem.files.WriteWholeFile("C:\\Dist\\setup.dbc", "");
  m.store.locked.insert("C:\\Dist\\setup.dbc");
  FakeSetupView view;
  SetupHooks none;
  TSetupForm form(view, none);
  ASSERT_TRUE(form.Construct("C:\\Dist"));
  view.SetText(SetupControl::AppDIR, "C:\\Program Files\\Pelmora");
  view.SetText(SetupControl::EAddr, "a@x.org");
  view.SetText(SetupControl::Host, "h");
  EXPECT_FALSE(RunInstall(form, m.s, [](std::string_view, std::string_view) { return true; }));
  EXPECT_EQ(form.Failure(), "Cannot open file C:\\Dist\\setup.dbc");
  EXPECT_TRUE(m.s.failure.empty());
  EXPECT_TRUE(view.ui.Boxes().empty());
  EXPECT_EQ(m.Reg(ProductKey, "AppDir"), "C:\\Program Files\\Pelmora");
  EXPECT_TRUE(m.Record(DefaultMessageKey).Empty());  // no template was stored
}

TEST(UnattendedInstall, RefusalsCreateNothing) {
  struct Case {
    std::vector<Text> args;
    int code;
    std::string_view logged;
  };
  const Case cases[] = {
      {{"/S", "/SERVER=h"}, ExitUsage, "needs /ADDRESS= and /SERVER="},
      {{"/S", "/ADDRESS=a", "/SERVER=h", "/DIR=C:\\Program Files\\P<L"}, ExitStepFailed,
       "Unable to create the destination folder."},
      {{"/S", "/ADDRESS=a", "/SERVER=h", "/DIR=Q:\\Nowhere\\PL"}, ExitStepFailed,
       "PelmoraFolder Creation Error"},
  };
  for (const Case& c : cases) {
    Machine m;
    EXPECT_EQ(m.Run(c.args), c.code) << c.args.back();
    EXPECT_NE(m.logText.find(c.logged), Text::npos) << m.logText;
    EXPECT_FALSE(m.mem.files.DirectoryExists("C:\\Program Files\\Pelmora"));
    EXPECT_FALSE(m.mem.registry.KeyExists(ProductKey));
    EXPECT_FALSE(m.mem.registry.KeyExists(UninstallEntryKey));
  }
}

// A folder holding the user's files is refused, changing nothing, unless the
// run names it and vouches for it; folders of the product's go ahead.
TEST(UnattendedInstall, AFolderHoldingOtherFilesNeedsToBeVouchedFor) {
  const Text dir = "C:\\Tools";
  const std::vector<Text> install = {"/S", "/DIR=" + dir, "/ADDRESS=a@x.org", "/SERVER=h"};
  auto with = [](std::vector<Text> args, const Text& more) { args.push_back(more); return args; };
  struct Case {
    const char* what;
    std::vector<Text> entries;  // "name\" is a subfolder
    bool earlier;               // a first installation into the folder went before
    std::vector<Text> args;
    int code;
    std::string_view logged;
  };
  const Case cases[] = {
      {"the user's file", {"notes.txt"}, false, install, ExitStepFailed,
       "Not installing: the folder C:\\Tools already holds other files (notes.txt among them)"},
      {"vouched for", {"notes.txt"}, false, with(install, "/FORCEDIR"), ExitDone,
       "already holds other files (notes.txt among them); installing there as /FORCEDIR asks"},
      {"empty", {}, false, install, ExitDone, "Installation complete"},
      {"what a removal leaves", {"PL.pgp", "pl.pgp.bak", "data\\", "data\\in.dpc"}, false,
       install, ExitDone, "Installation complete"},
      {"the earlier installation's, with the client's files", {"client.log", "out.dpc"}, true,
       {"/S"}, ExitDone, "Installation complete"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Machine m;
    MemoryFileSystem& fs = m.mem.files;
    fs.MakeDirectories(dir);
    if (c.earlier) ASSERT_EQ(m.Run(install), ExitDone);
    for (const Text& e : c.entries)
      e.ends_with("\\") ? fs.MakeDirectories(dir + "\\" + e) : fs.WriteWholeFile(dir + "\\" + e, "mine");
    m.logText.clear();
    EXPECT_EQ(m.Run(c.args), c.code);
    EXPECT_NE(m.logText.find(c.logged), Text::npos) << m.logText;
    for (const Text& e : c.entries) {
      Text data;
      if (e.ends_with("\\")) continue;
      EXPECT_TRUE(fs.ReadWholeFile(dir + "\\" + e, &data) && data == "mine") << e;
    }
    std::vector<DirEntry> left;
    fs.List(dir + "\\*.*", kAttrAll, &left);
    if (c.code == ExitDone) {
      EXPECT_TRUE(fs.FileExists(dir + "\\PL.exe"));
      EXPECT_EQ(m.Reg(ProductKey, "AppDir"), dir);
    } else {
      EXPECT_EQ(left.size(), c.entries.size());
      EXPECT_FALSE(m.mem.registry.KeyExists(ProductKey));
      EXPECT_FALSE(m.mem.registry.KeyExists(UninstallEntryKey));
      EXPECT_TRUE(m.mem.shell.shortcuts().empty());
    }
  }
}

TEST(UnattendedInstall, LogsEveryActionOnItsOwnTimedLine) {
  Machine m;
  ASSERT_EQ(m.Run({"/S", "/ADDRESS=a@x.org", "/SERVER=h"}), ExitDone);
  for (std::string_view line :
       {"T  Copied C:\\Dist\\setup.exe to C:\\Program Files\\Pelmora\\~PLset",
        ".tmp to C:\\Program Files\\Pelmora\\UninstPL.exe\r\n",
        "T  Registry value HKCU\\Software\\Pelmora\\AppDir = \"C:\\Program Files\\Pelmora\"\r\n",
        "T  Copying program files: done\r\n", "T  Writing registry entries: done\r\n",
        "T  Storing default message and article: done\r\n", "T  Creating program group: done\r\n",
        "T  Installation complete\r\n"})
    EXPECT_NE(m.logText.find(line), Text::npos) << line;
  EXPECT_NE(m.logText.find("T  Shortcut c:\\users\\jane\\start menu\\programs\\Pelmora\\Pelmora.LNK"),
            Text::npos);
}

// A distribution folder without the program would install nothing and say
// it is done: refused before anything is made, whatever the folder holds.
TEST(UnattendedInstall, ADistributionWithoutTheProgramIsRefused) {
  for (Text source : {Text("C:\\Dist"), Text()}) {
    Machine m;
    MemoryFileSystem& fs = m.mem.files;
    ASSERT_TRUE(fs.Delete("C:\\Dist\\PL.exe"));
    int code = RunUnattendedInstall(
        InstallChoicesOf(ParseSwitches(Mode::Setup, "C:\\Dist\\setup.exe", {"/S", "/ADDRESS=a@x.org", "/SERVER=h"})),
        source, m.s);
    EXPECT_EQ(code, ExitStepFailed) << source;
    EXPECT_NE(m.logText.find("Not installing: The folder " +
                             (source.empty() ? Text("(a folder") : source + " does not hold PL.exe")),
              Text::npos)
        << m.logText;
    EXPECT_EQ(m.logText.find("Installation complete"), Text::npos);
    EXPECT_FALSE(fs.DirectoryExists(kDest));
    EXPECT_FALSE(m.mem.registry.KeyExists(ProductKey));
    EXPECT_FALSE(m.mem.registry.KeyExists(UninstallEntryKey));
    EXPECT_TRUE(m.mem.shell.shortcuts().empty());
    // The distribution itself is as it was.
    Text data;
    EXPECT_TRUE(fs.ReadWholeFile("C:\\Dist\\setup.exe", &data) && data == "bytes of setup.exe");
  }
}

// The copy step refuses on its own too, whoever runs the steps.
TEST(UnattendedInstall, TheCopyStepRefusesADistributionWithoutTheProgram) {
  Machine m;
  ASSERT_TRUE(m.mem.files.Delete("C:\\Dist\\PL.exe"));
  InstallContext c;
  c.appDir = "C:\\Program Files\\Pelmora";
  c.sourceFolder = "C:\\Dist";
  EXPECT_FALSE(RunInstallSteps(c, m.s));
  EXPECT_NE(m.logText.find("Copying program files: FAILED"), Text::npos) << m.logText;
  EXPECT_FALSE(m.mem.files.DirectoryExists(kDest));
  EXPECT_FALSE(m.mem.registry.KeyExists(ProductKey));
}

// Names outside the code page are none of the product's: left behind and
// logged, never copied under their short forms; the rest installs as ever.
TEST(UnattendedInstall, NamesOutsideTheCodePageAreLeftOutOfTheCopy) {
  Machine m;
  MemoryFileSystem& fs = m.mem.files;
  ASSERT_TRUE(fs.MakeUnicodeEntry("C:\\Dist", "Łukasz notes.txt", false, "not ours"));
  ASSERT_TRUE(fs.MakeUnicodeEntry("C:\\Dist", "王.dll", false, "not ours"));
  ASSERT_EQ(m.Run({"/S", "/ADDRESS=a@x.org", "/SERVER=h"}), ExitDone);
  for (std::string_view line : {"Not copied: C:\\Dist\\?ukasz notes.txt (its name is outside the system's code page)",
                                "Not copied: C:\\Dist\\?.dll"})
    EXPECT_NE(m.logText.find(line), Text::npos) << m.logText;
  std::vector<DirEntry> installed, foreign;
  ASSERT_TRUE(fs.List(Text(kDest) + "*.*", kAttrAll, &installed, &foreign));
  EXPECT_TRUE(foreign.empty());
  std::vector<Text> names;
  for (const DirEntry& e : installed) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<Text>{"License.txt", "PL.dbc", "PL.exe", "PL.ini", "QuickStart.rtf",
                                      "ReadMe.txt", "UninstPL.exe"}));
  // And they are still where they were.
  std::vector<DirEntry> mine, left;
  fs.List("C:\\Dist\\*.*", kAttrAll, &mine, &left);
  EXPECT_EQ(left.size(), 2u);
}

// A shortcut that cannot be made leaves the installation going, and says so:
// which one, where, and the error; the summary does not say "done".
TEST(UnattendedInstall, ShortcutFailuresAreLoggedNotCalledDone) {
  Machine m;
  // A file where the group's folder would go: no shortcut can be saved.
  ASSERT_TRUE(m.mem.files.WriteWholeFile(Text(kPrograms) + "\\Pelmora", "in the way"));
  ASSERT_EQ(m.Run({"/S", "/ADDRESS=a@x.org", "/SERVER=h"}), ExitDone);
  EXPECT_NE(m.logText.find("Creating program group: 5 of 5 shortcuts FAILED"), Text::npos) << m.logText;
  EXPECT_EQ(m.logText.find("Creating program group: done"), Text::npos);
  EXPECT_NE(m.logText.find("Shortcut Pelmora.LNK not made in c:\\users\\jane\\start menu\\programs\\Pelmora: error 0x8007"),
            Text::npos)
      << m.logText;
  // Everything else is installed.
  EXPECT_TRUE(m.mem.files.FileExists(Text(kDest) + "UninstPL.exe"));
  EXPECT_TRUE(m.mem.registry.KeyExists(UninstallEntryKey));
  Text data;
  EXPECT_TRUE(m.mem.files.ReadWholeFile(Text(kPrograms) + "\\Pelmora", &data) && data == "in the way");
}

TEST(UnattendedInstall, AnUnusableRecordOrAProductKeyThatCannotBeMadeEndsWithExit2) {
  // A killed run's record of another folder: nothing moves, the log says why.
  {
    Machine m;
    const Text work = Text(kDest) + "~PLset.tmp\\";
    m.mem.files.MakeDirectories(work);
    m.mem.files.WriteWholeFile(Text(kDest) + "PL.exe", "the earlier PL.exe");
    m.mem.files.WriteWholeFile(work + "~PLset1.tmp", "set aside");
    const Text record = "Pelmora set-aside record 1\r\nfolder=C:\\Dist\\\r\nnew|PL.exe\r\nend\r\n";
    m.mem.files.WriteWholeFile(work + "~PLset.rec", record);
    EXPECT_EQ(m.Run({"/S", "/ADDRESS=a@x.org", "/SERVER=s"}), ExitStepFailed);
    Text data;
    m.mem.files.ReadWholeFile(Text(kDest) + "PL.exe", &data);
    EXPECT_EQ(data, "the earlier PL.exe");
    m.mem.files.ReadWholeFile(work + "~PLset.rec", &data);
    EXPECT_EQ(data, record);
    EXPECT_NE(m.logText.find("it belongs to the folder C:\\Dist\\"), Text::npos) << m.logText;
    EXPECT_EQ(m.Reg(ProductKey, "AppDir"), "<none>");
  }
  {
    Machine m;
    m.mem.registry.RefuseOpen(ProductKey);
    EXPECT_EQ(m.Run({"/S", "/ADDRESS=a@x.org", "/SERVER=s"}), ExitStepFailed);
    EXPECT_NE(m.logText.find("Registry Error"), Text::npos) << m.logText;
    EXPECT_TRUE(m.mem.shell.shortcuts().empty());
  }
}

}  // namespace
}  // namespace pel
