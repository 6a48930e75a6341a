// Pelmora running from its folder: found by its image or its open database, and nothing replaced while it runs.
#include "sys/product_running.h"

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/constants.h"
#include "setup/fake_setup_view.h"
#include "setup/install_driver.h"
#include "setup/memory_store_access.h"
#include "setup/unattended_install.h"
#include "sys/logging_platform.h"
#include "sys/memory/memory_platform.h"

namespace pel {
namespace {

constexpr const char* kDest = "C:\\Program Files\\Pelmora\\";

struct Machine {
  MemoryPlatform mem;
  MemoryStoreAccess store{mem.files};
  SilentUi silent;
  Text logText;
  ActionLog log{std::make_unique<TextLogSink>(&logText), [] { return Text("T"); }};
  LoggingUi ui{silent, log};
  InstallServices s{mem.platform(), store, ui, "C:\\Dist\\setup.dbc", nullptr, nullptr, &log};

  Machine() {
    mem.files.MakeDirectories("C:\\Dist");
    mem.files.MakeDirectories(kDest);
    for (const char* name : {"setup.exe", "PL.exe", "License.txt"}) {
      mem.files.WriteWholeFile(Text("C:\\Dist\\") + name, Text("new ") + name);
      mem.files.WriteWholeFile(Text(kDest) + (Text(name) == "setup.exe" ? "UninstPL.exe" : name),
                               Text("old ") + name);
    }
    StringList records;
    records.Add("kept");
    store.WriteSection("notes\xFFold", &records, Text(kDest) + "PL.dbc");
    mem.registry.Put(ProductKey, RegAppDir, {RegType::String, "C:\\Program Files\\Pelmora"});
  }
  Text File(const Text& path) {
    Text data;
    mem.files.ReadWholeFile(path, &data);
    return data;
  }
};

TEST(ProductRunning, ByItsImageOrItsHeldDatabaseWhateverTheFolderSpelling) {
  struct Case {
    const char* what;
    const char* started;  // the image a program runs from; nullptr: none
    const char* held;     // a file held open; nullptr: none
    const char* folder;   // the folder asked about
    bool running;
  };
  const Case cases[] = {
      {"nothing runs", nullptr, nullptr, "C:\\Program Files\\Pelmora", false},
      {"its PL.exe", "C:\\Program Files\\Pelmora\\PL.exe", nullptr, "C:\\Program Files\\Pelmora", true},
      {"asked by another spelling", "C:\\Program Files\\Pelmora\\PL.exe", nullptr,
       "c:\\PROGRA~1\\pelmora\\.\\", true},
      {"a PL.exe elsewhere", "C:\\Dist\\PL.exe", nullptr, "C:\\Program Files\\Pelmora", false},
      {"another program of the folder", "C:\\Program Files\\Pelmora\\License.txt", nullptr,
       "C:\\Program Files\\Pelmora", false},
      {"its database held", nullptr, "C:\\Program Files\\Pelmora\\PL.dbc", "C:\\Program Files\\Pelmora", true},
      {"another file held", nullptr, "C:\\Program Files\\Pelmora\\License.txt",
       "C:\\Program Files\\Pelmora", false},
      {"a folder not there", "C:\\Program Files\\Pelmora\\PL.exe", nullptr, "C:\\Elsewhere", false},
      {"no folder", "C:\\Program Files\\Pelmora\\PL.exe", nullptr, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Machine m;
    if (c.started) ASSERT_NE(m.mem.processes.Start(c.started), 0);
    if (c.held) ASSERT_TRUE(m.mem.processes.Hold(c.held));
    EXPECT_EQ(ProductRunning(m.mem.platform(), c.folder), c.running);
  }
}

TEST(ProductRunning, TheWizardAsksRetryOrCancelAndReplacesNothingUntilClosed) {
  for (bool closeIt : {false, true}) {
    SCOPED_TRACE(closeIt ? "closed, then Retry" : "Cancel");
    Machine m;
    int id = m.mem.processes.Start(Text(kDest) + "PL.exe");
    FakeSetupView view;
    SetupHooks none;
    TSetupForm form(view, none);
    form.Construct("C:\\Dist\\");
    view.SetText(SetupControl::AppDIR, "C:\\Program Files\\Pelmora");
    view.SetText(SetupControl::EAddr, "a@x.org");
    view.SetText(SetupControl::Host, "h");
    view.ui.Answer(closeIt ? MsgAnswer::Retry : MsgAnswer::Cancel);
    view.ui.onBox = [&](const ScriptedUi::Box&) {
      if (closeIt) m.mem.processes.End(id);
    };
    bool ok = RunInstall(form, m.s, [](std::string_view, std::string_view) { return true; });
    ASSERT_EQ(view.ui.Boxes().size(), 1u);
    EXPECT_EQ(view.ui.Boxes()[0].text, ProductRunningText);
    EXPECT_EQ(view.ui.Boxes()[0].caption, "Pelmora");
    EXPECT_EQ(view.ui.Boxes()[0].buttons, MsgButtons::RetryCancel);
    EXPECT_EQ(ok, closeIt);
    EXPECT_EQ(m.File(Text(kDest) + "PL.exe"), closeIt ? "new PL.exe" : "old PL.exe");
    EXPECT_EQ(m.mem.registry.KeyExists(UninstallEntryKey), closeIt);
  }
}

TEST(ProductRunning, UnattendedInstallExitsWithFourAndChangesNothing) {
  Machine m;
  m.mem.processes.Start(Text(kDest) + "PL.exe");
  Switches sw = ParseSwitches(Mode::Setup, "C:\\Dist\\setup.exe", {"/S", "/SERVER=h2"});
  EXPECT_EQ(RunUnattendedInstall(InstallChoicesOf(sw), "C:\\Dist\\", m.s), ExitProductRunning);
  EXPECT_EQ(m.File(Text(kDest) + "PL.exe"), "old PL.exe");
  StringList kept;
  EXPECT_EQ(m.store.ReadSection(kept, "notes\xFFold", Text(kDest) + "PL.dbc"), 0);
  EXPECT_EQ(kept.GetText(), "kept\r\n");
  EXPECT_FALSE(m.mem.registry.KeyExists(UninstallEntryKey));
  EXPECT_NE(m.logText.find("T  Pelmora is running from C:\\Program Files\\Pelmora: nothing was changed"),
            Text::npos);
}

TEST(ProductRunning, TheDistributionIsTheFolderGivenNotTheCurrentOne) {
  Machine m;
  // A current folder with files of its own, a version of its own among them.
  m.mem.files.MakeDirectories("C:\\Users\\user\\Documents");
  m.mem.files.WriteWholeFile("C:\\Users\\user\\Documents\\letter.txt", "mine");
  StringList other, dist;
  other.Add("Version=9.9 other");
  dist.Add("Version=1.0 dist");
  m.store.WriteSection(SettingsRecord, &other, "C:\\Users\\user\\Documents\\PL.ini");
  m.store.WriteSection(SettingsRecord, &dist, "C:\\Dist\\PL.ini");
  ASSERT_TRUE(m.mem.files.ChangeDirectory("C:\\Users\\user\\Documents"));
  Switches sw = ParseSwitches(Mode::Setup, "C:\\Dist\\setup.exe", {"/S", "/SERVER=h2"});
  ASSERT_EQ(RunUnattendedInstall(InstallChoicesOf(sw), "C:\\Dist\\", m.s), ExitDone);
  EXPECT_EQ(m.File(Text(kDest) + "PL.exe"), "new PL.exe");
  EXPECT_EQ(m.File(Text(kDest) + "UninstPL.exe"), "new setup.exe");
  EXPECT_FALSE(m.mem.files.FileExists(Text(kDest) + "letter.txt"));
  EXPECT_EQ(m.mem.registry.Get(ProductKey, RegVersion)->text, "1.0 dist");
}

}  // namespace
}  // namespace pel
