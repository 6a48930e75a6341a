// Unattended removal: which components go, what survives, the exit codes and the log.
#include "uninstall/unattended_removal.h"

#include <gtest/gtest.h>

#include "app/constants.h"
#include "sys/logging_platform.h"
#include "sys/memory/memory_platform.h"
#include "uninstall/removal_steps.h"

namespace pel {
namespace {

struct Quiet {
  MemoryPlatform m;
  SilentUi silent;
  Text logText;
  ActionLog log{std::make_unique<TextLogSink>(&logText), [] { return Text("T"); }};
  LoggingUi ui{silent, log};

  Quiet() { m.dde.AddServer("PROGMAN", "PROGMAN"); }
  void App(std::string_view dir) {
    m.files.MakeDirectories(dir);
    for (const char* f : {"PL.exe", "UninstPL.exe", "PL.dbc"})
      m.files.WriteWholeFile(Text(dir) + "\\" + f, "x");
    m.registry.Put(ProductKey, RegAppDir, {RegType::String, Text(dir)});
    m.registry.Put(ProductKey, RegProgramGroup, {RegType::String, "Pelmora"});
    m.registry.Put(UninstallEntryKey, "DisplayName", {RegType::String, "Pelmora"});
  }
  void Mix(std::string_view dir) {
    m.files.MakeDirectories(Text(dir) + "\\pool");
    m.files.WriteWholeFile(Text(dir) + "\\mix.exe", "x");
    m.registry.Put(MixmasterKey, RegMixDir, {RegType::String, Text(dir)});
  }
  std::function<void(int)> sleep;
  int Run(bool mixmaster) { return RunUnattendedRemoval(mixmaster, m.platform(), ui, log, sleep); }
};

TEST(UnattendedRemoval, MixmasterGoesOnlyWhenAskedOrTiedToPelmora) {
  struct Case {
    const char* app;  // nullptr: not installed
    const char* mix;
    bool mixmaster;
    int code;
    bool appGone, mixGone;
  };
  const Case cases[] = {
      {"C:\\Pel", nullptr, false, ExitDone, true, false},
      {"C:\\Pel", "C:\\Mix", false, ExitDone, true, false},
      {"C:\\Pel", "C:\\Mix", true, ExitDone, true, true},
      {"C:\\Pel", "C:\\Pel\\Mix", false, ExitDone, true, true},  // tied: inside the product
      {"C:\\Pel", "C:\\Pel", false, ExitDone, true, true},       // tied: the same folder
      {nullptr, "C:\\Mix", false, ExitNothingToRemove, false, false},
      {nullptr, "C:\\Mix", true, ExitDone, false, true},
      {nullptr, nullptr, true, ExitNothingToRemove, false, false},
  };
  for (const Case& c : cases) {
    Quiet q;
    if (c.app) q.App(c.app);
    if (c.mix) q.Mix(c.mix);
    SCOPED_TRACE(Text(c.app ? c.app : "-") + " " + (c.mix ? c.mix : "-") +
                 (c.mixmaster ? " /MIXMASTER" : ""));
    EXPECT_EQ(q.Run(c.mixmaster), c.code) << q.logText;
    EXPECT_EQ(!q.m.registry.KeyExists(ProductKey), c.appGone || !c.app);
    EXPECT_EQ(!q.m.registry.KeyExists(UninstallEntryKey), c.appGone || !c.app);
    // The list's own key goes when the product's entry was all it held.
    EXPECT_EQ(!q.m.registry.KeyExists("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"),
              c.appGone || !c.app);
    EXPECT_EQ(!q.m.registry.KeyExists(MixmasterKey), c.mixGone || !c.mix);
    if (c.app) {
      EXPECT_EQ(q.m.files.FileExists(Text(c.app) + "\\PL.exe"), !c.appGone);
      // The user's mail stays, also where Mixmaster shares the folder.
      EXPECT_TRUE(q.m.files.FileExists(Text(c.app) + "\\PL.dbc"));
    }
    if (c.mix) EXPECT_EQ(q.m.files.DirectoryExists(Text(c.mix) + "\\pool"), !c.mixGone);
    // Nothing a person would notice: no beep, no window, no started program.
    EXPECT_TRUE(q.m.shell.beeps().empty());
    EXPECT_TRUE(q.m.shell.starts().empty());
  }
}

TEST(UnattendedRemoval, LogsTheWizardsLinesAndEachChange) {
  Quiet q;
  q.App("C:\\Pel");
  ASSERT_EQ(q.Run(false), ExitDone);
  for (std::string_view line :
       {"T  Removing Pelmora\r\n", "T  Removing Pelmora...\r\n", "T     program group...done\r\n",
        "T     program files...done\r\n", "T     registry key...done\r\n", "T  Done!\r\n"})
    EXPECT_NE(q.logText.find(line), Text::npos) << line;
  EXPECT_EQ(q.m.dde.commands(), std::vector<Text>{"[DeleteGroup(Pelmora)]"});
}

TEST(UnattendedRemoval, AFolderLeftAloneIsAFailedStepAndKeepsItsFiles) {
  Quiet q;
  q.App("C:\\Pel");
  q.m.registry.Put(ProductKey, RegAppDir, {RegType::String, "C:\\"});
  q.m.files.WriteWholeFile("C:\\precious.txt", "keep");
  EXPECT_EQ(q.Run(false), ExitStepFailed);
  EXPECT_TRUE(q.m.files.FileExists("C:\\precious.txt"));
  EXPECT_NE(q.logText.find("T  Message "), Text::npos) << q.logText;
  EXPECT_FALSE(q.m.registry.KeyExists(ProductKey));
}

TEST(UnattendedRemoval, AValueOfTheWrongTypeRemovesNothing) {
  Quiet q;
  q.App("C:\\Pel");
  q.m.registry.Put(ProductKey, RegAppDir, {RegType::Integer, "", 7});
  EXPECT_EQ(q.Run(false), ExitStepFailed);
  EXPECT_NE(q.logText.find("Invalid data type for 'AppDir'"), Text::npos);
  EXPECT_TRUE(q.m.files.FileExists("C:\\Pel\\PL.exe"));
  EXPECT_TRUE(q.m.registry.KeyExists(ProductKey));
}

TEST(UnattendedRemoval, PelmoraRunningChangesNothingUntilItIsClosed) {
  for (bool image : {true, false}) {
    SCOPED_TRACE(image ? "PL.exe running" : "database held open");
    Quiet q;
    q.App("C:\\Apps\\Pelmora");
    int id = 0;
    if (image) id = q.m.processes.Start("c:\\apps\\PELMORA\\pl.exe");
    else ASSERT_TRUE(q.m.processes.Hold("C:\\Apps\\Pelmora\\PL.dbc"));
    EXPECT_EQ(q.Run(false), ExitProductRunning);
    EXPECT_TRUE(q.m.files.FileExists("C:\\Apps\\Pelmora\\PL.exe"));
    EXPECT_TRUE(q.m.files.FileExists("C:\\Apps\\Pelmora\\UninstPL.exe"));
    EXPECT_TRUE(q.m.registry.KeyExists(ProductKey));
    EXPECT_TRUE(q.m.registry.KeyExists(UninstallEntryKey));
    EXPECT_NE(q.logText.find("Pelmora is running from C:\\Apps\\Pelmora\\: nothing was changed"),
              Text::npos);

    if (image) q.m.processes.End(id);
    else q.m.processes.Release("C:\\Apps\\Pelmora\\PL.dbc");
    EXPECT_EQ(q.Run(false), ExitDone);
    EXPECT_FALSE(q.m.files.FileExists("C:\\Apps\\Pelmora\\PL.exe"));
    EXPECT_FALSE(q.m.registry.KeyExists(ProductKey));
  }
}

// A file in use before the start: exit 5, nothing deleted, key, entry and
// uninstaller kept, the log names the file; once it is let go, the next run
// finishes and leaves only the database. The same for Mixmaster's pool.
TEST(UnattendedRemoval, AFileInUseKeepsEverythingUntilItIsLetGo) {
  struct Case {
    const char* what;
    const char* held;
    bool mixmaster;
  };
  for (const Case& c : {Case{"a product file", "C:\\P\\QuickStart.rtf", false},
                        Case{"a file deep in Mixmaster's pool", "C:\\M\\pool\\out\\m1", true}}) {
    SCOPED_TRACE(c.what);
    Quiet q;
    q.App("C:\\P");
    q.Mix("C:\\M");
    q.m.files.WriteWholeFile("C:\\P\\QuickStart.rtf", "rtf");
    q.m.files.MakeDirectories("C:\\M\\pool\\out");
    q.m.files.WriteWholeFile("C:\\M\\pool\\out\\m1", "mail");
    ASSERT_TRUE(q.m.files.SetHeld(c.held, true));
    int slept = 0;
    q.sleep = [&](int ms) { slept += ms; };
    EXPECT_EQ(q.Run(c.mixmaster), ExitRemovalLeftSomething);
    EXPECT_EQ(slept, FileInUseRetryMs);
    EXPECT_NE(q.logText.find(FileInUseLogLine(c.held)), Text::npos) << q.logText;
    for (const char* f : {"C:\\P\\PL.exe", "C:\\P\\UninstPL.exe", "C:\\P\\QuickStart.rtf",
                          "C:\\M\\mix.exe", "C:\\M\\pool\\out\\m1"})
      EXPECT_TRUE(q.m.files.FileExists(f)) << f;
    EXPECT_TRUE(q.m.registry.KeyExists(ProductKey));
    EXPECT_TRUE(q.m.registry.KeyExists(UninstallEntryKey));
    EXPECT_TRUE(q.m.registry.KeyExists(MixmasterKey));
    EXPECT_TRUE(q.m.dde.commands().empty());

    q.m.files.SetHeld(c.held, false);
    EXPECT_EQ(q.Run(c.mixmaster), ExitDone) << q.logText;
    EXPECT_TRUE(q.m.files.FileExists("C:\\P\\PL.dbc"));
    for (const char* f : {"C:\\P\\PL.exe", "C:\\P\\UninstPL.exe", "C:\\P\\QuickStart.rtf"})
      EXPECT_FALSE(q.m.files.FileExists(f)) << f;
    EXPECT_FALSE(q.m.registry.KeyExists(ProductKey));
    EXPECT_EQ(q.m.registry.KeyExists(MixmasterKey), !c.mixmaster);
  }
}

// A file that cannot go during the run (taken, or read-only): exit 5, and
// what the entry starts stays with the key, for the next run.
TEST(UnattendedRemoval, AFileThatStaysDuringTheRunIsExitFiveWithKeyAndUninstaller) {
  Quiet q;
  q.App("C:\\P");
  q.m.files.WriteWholeFile("C:\\P\\QuickStart.rtf", "rtf");
  q.m.files.SetAttributes("C:\\P\\QuickStart.rtf", kAttrReadOnly);
  EXPECT_EQ(q.Run(false), ExitRemovalLeftSomething);
  EXPECT_TRUE(q.m.files.FileExists("C:\\P\\UninstPL.exe"));
  EXPECT_FALSE(q.m.files.FileExists("C:\\P\\PL.exe"));
  EXPECT_TRUE(q.m.registry.KeyExists(ProductKey));
  EXPECT_TRUE(q.m.registry.KeyExists(UninstallEntryKey));
  EXPECT_NE(q.logText.find("   left: C:\\P\\QuickStart.rtf"), Text::npos) << q.logText;
}

// A volume that cannot say who its folders are: nothing in it is deleted,
// the reason is logged, and the run is not a success.
TEST(UnattendedRemoval, AFolderWhoseIdentityCannotBeReadKeepsEveryFile) {
  Quiet q;
  q.m.files.AddDrive('N');
  q.App("N:\\Mail");
  q.m.files.SetIdentityUnreadable('N', true);
  EXPECT_NE(q.Run(false), ExitDone);
  for (const char* f : {"N:\\Mail\\PL.exe", "N:\\Mail\\UninstPL.exe"}) EXPECT_TRUE(q.m.files.FileExists(f)) << f;
  EXPECT_NE(q.logText.find("it cannot be told which folder it is"), Text::npos) << q.logText;
}

}  // namespace
}  // namespace pel
