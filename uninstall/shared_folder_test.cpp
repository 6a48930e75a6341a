// One folder for both components, or one inside the other's pool: the product's database and, while it stays, its files survive.
#include <gtest/gtest.h>

#include "app/constants.h"
#include "sys/memory/memory_platform.h"
#include "uninstall/fake_uninst_view.h"
#include "uninstall/removal_steps.h"
#include "uninstall/unattended_removal.h"
#include "uninstall/uninst_form.h"

namespace pel {
namespace {

using C = UninstControl;

TEST(SharedFolder, TheProductsDatabaseAndWhileItStaysItsFilesSurvive) {
  struct Case {
    const char* name;
    bool uncheckProduct;  // the user removes only Mixmaster
    bool marker;          // "unpl.dsk" keeps the product
    bool productGone;
  };
  const Case cases[] = {
      {"BothRemoved", false, false, true},
      {"OnlyMixmaster", true, false, false},
      {"MarkerKeepsTheProduct", false, true, false},
  };
  const Text dir = "C:\\Program Files\\Pelmora\\";
  const Text db = "store \x01\xff bytes";
  for (const Case& c : cases) {
    MemoryPlatform m;
    m.dde.AddServer("PROGMAN", "PROGMAN");
    m.files.MakeDirectories(dir + "pool\\out");
    for (const char* f : {"PL.exe", "UninstPL.exe", "readme.txt", "mix.exe", "pool\\out\\o1"}) {
      m.files.WriteWholeFile(dir + f, "x");
    }
    for (const char* f : {"PL.dbc", "pl.pgp", "PL.PGP.BAK"}) m.files.WriteWholeFile(dir + f, db);
    if (c.marker) m.files.WriteWholeFile(dir + "unpl.dsk", "");
    m.registry.Put(ProductKey, RegAppDir, {RegType::String, "C:\\Program Files\\Pelmora"});
    // Mixmaster's key names the same folder in another spelling.
    m.registry.Put(MixmasterKey, RegMixDir, {RegType::String, "c:\\progra~1\\pelmora\\.\\"});
    FakeUninstView view;
    ScriptedUi ui;
    TUninstWiz wiz(view, m.platform());
    wiz.Construct();
    ASSERT_TRUE(wiz.Relations().sameDirs) << c.name;
    if (c.uncheckProduct) {
      view.SetChecked(C::AppEntries, false);
      wiz.AppEntriesClick();
    }
    ASSERT_TRUE(view.IsChecked(C::MixEntries)) << c.name;
    std::vector<Text> notices;
    RemovalServices s{m.platform(), ui, nullptr, [&](const Text& f, bool complete) {
                        notices.push_back(f);
                        EXPECT_EQ(complete, s.left.empty());
                      }};
    RunRemoval(wiz, s);
    for (const char* f : {"PL.dbc", "pl.pgp", "PL.PGP.BAK"}) {
      Text got;
      EXPECT_TRUE(m.files.ReadWholeFile(dir + f, &got) && got == db) << c.name << " " << f;
    }
    for (const char* f : {"PL.exe", "UninstPL.exe", "readme.txt"}) {
      EXPECT_EQ(m.files.FileExists(dir + f), !c.productGone) << c.name << " " << f;
    }
    EXPECT_FALSE(m.files.DirectoryExists(dir + "pool")) << c.name;
    EXPECT_TRUE(m.files.DirectoryExists(dir)) << c.name;
    EXPECT_EQ(m.registry.KeyExists(ProductKey), !c.productGone) << c.name;
    EXPECT_FALSE(m.registry.KeyExists(MixmasterKey)) << c.name;
    EXPECT_TRUE(ui.Boxes().empty()) << c.name;
    EXPECT_EQ(notices, std::vector<Text>{dir}) << c.name;
  }
}

TEST(SharedFolder, UnattendedWithoutTheSwitchTakesBothAndKeepsTheDatabase) {
  MemoryPlatform m;
  m.dde.AddServer("PROGMAN", "PROGMAN");
  m.files.MakeDirectories("C:\\Pel\\pool");
  for (const char* f : {"PL.exe", "mix.exe", "PL.dbc"}) m.files.WriteWholeFile(Text("C:\\Pel\\") + f, f);
  m.registry.Put(ProductKey, RegAppDir, {RegType::String, "C:\\Pel"});
  m.registry.Put(MixmasterKey, RegMixDir, {RegType::String, "C:/Pel/"});
  ScriptedUi ui;
  Text logText;
  ActionLog log{std::make_unique<TextLogSink>(&logText), [] { return Text("T"); }};
  EXPECT_EQ(RunUnattendedRemoval(false, m.platform(), ui, log), ExitDone) << logText;
  Text got;
  EXPECT_TRUE(m.files.ReadWholeFile("C:\\Pel\\PL.dbc", &got) && got == "PL.dbc");
  EXPECT_FALSE(m.files.FileExists("C:\\Pel\\PL.exe") || m.files.FileExists("C:\\Pel\\mix.exe"));
  EXPECT_FALSE(m.registry.KeyExists(ProductKey) || m.registry.KeyExists(MixmasterKey));
}

TEST(SharedFolder, APoolThatHoldsTheProductFolderIsNotDeleted) {
  MemoryPlatform m;
  m.dde.AddServer("PROGMAN", "PROGMAN");
  m.files.MakeDirectories("C:\\Mix\\pool\\Pelmora");
  for (const char* f : {"C:\\Mix\\mix.exe", "C:\\Mix\\pool\\m1", "C:\\Mix\\pool\\Pelmora\\PL.exe",
                        "C:\\Mix\\pool\\Pelmora\\PL.dbc"}) {
    m.files.WriteWholeFile(f, "x");
  }
  m.registry.Put(ProductKey, RegAppDir, {RegType::String, "C:\\Mix\\pool\\Pelmora"});
  m.registry.Put(MixmasterKey, RegMixDir, {RegType::String, "C:\\Mix"});
  FakeUninstView view;
  ScriptedUi ui;
  TUninstWiz wiz(view, m.platform());
  wiz.Construct();
  RemovalServices s{m.platform(), ui, nullptr, nullptr};
  RunRemoval(wiz, s);
  EXPECT_TRUE(m.files.FileExists("C:\\Mix\\pool\\Pelmora\\PL.dbc"));
  EXPECT_TRUE(m.files.FileExists("C:\\Mix\\pool\\m1"));
  EXPECT_FALSE(m.files.FileExists("C:\\Mix\\mix.exe"));
  EXPECT_FALSE(m.files.FileExists("C:\\Mix\\pool\\Pelmora\\PL.exe"));
}

}  // namespace
}  // namespace pel
