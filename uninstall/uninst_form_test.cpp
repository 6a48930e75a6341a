// The uninstall wizard's box rules, pages, review and close query, driven without windows.
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/constants.h"
#include "sys/memory/memory_platform.h"
#include "uninstall/fake_uninst_hooks.h"
#include "uninstall/fake_uninst_view.h"
#include "uninstall/uninst_form.h"
#include "uninstall/removal_steps.h"

namespace pel {
namespace {

using C = UninstControl;

struct Wizard {
  MemoryPlatform m;
  FakeUninstView view;
  FakeUninstHooks hooks;
  std::unique_ptr<TUninstWiz> wiz;
  bool waitResult = true;
  int runs = 0, closes = 0;

  Wizard() {
    hooks.waitDialog = [this](std::string_view, std::string_view) { return waitResult; };
    hooks.runRemoval = [this](TUninstWiz&) { ++runs; };
    hooks.closeNow = [this] { ++closes; };
    hooks.sleep = [this](int ms) {
      if (sleep) sleep(ms);
    };
  }
  std::function<void(int)> sleep;
  // Registers an installation; an empty folder registers the key without the value.
  void App(std::string_view dir, bool marker = false) {
    m.registry.CreateKey(ProductKey);
    if (!dir.empty()) {
      m.files.MakeDirectories(dir);
      m.registry.Put(ProductKey, RegAppDir, {RegType::String, Text(dir)});
    }
    m.registry.Put(ProductKey, RegVersion, {RegType::String, ".9b2"});
    if (marker) m.files.WriteWholeFile(Text(dir) + "\\unpl.dsk", "");
  }
  void Mix(std::string_view dir, bool make = true) {
    m.registry.CreateKey(MixmasterKey);
    if (make) m.files.MakeDirectories(dir);
    m.registry.Put(MixmasterKey, RegMixDir, {RegType::String, Text(dir)});
  }
  TUninstWiz& Make() {
    wiz = std::make_unique<TUninstWiz>(view, m.platform(), hooks);
    wiz->Construct();
    return *wiz;
  }
  // The user clicking a box.
  void Click(C box) {
    view.Toggle(box);
    box == C::AppEntries ? wiz->AppEntriesClick() : wiz->MixEntriesClick();
  }
  void ToReview() {
    wiz->NextBtnClick();
    wiz->NextBtnClick();
  }
};

// checked / enabled of both boxes, Next, AppFirst.
struct BoxCase {
  const char* name;
  const char* app;  // nullptr: not installed
  const char* mix;
  bool marker;
  bool appChecked, appEnabled, mixChecked, mixEnabled, next, appFirst;
};

const BoxCase kBoxCases[] = {
    {"OnlyProduct", "C:\\Pelmora", nullptr, false, true, true, false, false, true, true},
    {"ProductWithMarker", "C:\\Pelmora", nullptr, true, false, false, false, false, false, false},
    {"OnlyMixmaster", nullptr, "C:\\Mix", false, false, false, true, true, true, false},
    {"MixInsideApp", "C:\\Pelmora", "C:\\Pelmora\\Mix", false, true, true, true, false, true, true},
    {"AppInsideMix", "C:\\Mix\\Pelmora", "C:\\Mix", false, true, true, true, true, true, false},
    {"AppInsideMixMarker", "C:\\Mix\\Pelmora", "C:\\Mix", true, true, false, true, true, true, false},
    {"SameFolderShortAndLong", "C:\\Program Files\\Pelmora", "c:\\PROGRA~1\\PELMORA", false,
     true, true, true, false, true, true},
    {"PrefixWithoutBackslashIsNoNesting", "C:\\Pel", "C:\\Pel2", false, true, true, true, true,
     true, true},
};

class BoxStates : public ::testing::TestWithParam<BoxCase> {};

TEST_P(BoxStates, FollowCreationOrder) {
  const BoxCase& c = GetParam();
  Wizard w;
  if (c.app) w.App(c.app, c.marker);
  if (c.mix) w.Mix(c.mix);
  TUninstWiz& wiz = w.Make();
  EXPECT_EQ(w.view.IsChecked(C::AppEntries), c.appChecked);
  EXPECT_EQ(w.view.IsEnabled(C::AppEntries), c.appEnabled);
  EXPECT_EQ(w.view.IsChecked(C::MixEntries), c.mixChecked);
  EXPECT_EQ(w.view.IsEnabled(C::MixEntries), c.mixEnabled);
  EXPECT_EQ(w.view.IsEnabled(C::NextBtn), c.next);
  EXPECT_EQ(wiz.AppFirst(), c.appFirst);
}

INSTANTIATE_TEST_SUITE_P(Uninst, BoxStates, ::testing::ValuesIn(kBoxCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UninstWiz, CaptionsCarryFoldersInBraces) {
  Wizard w;
  w.App("C:\\Program Files\\Pelmora");
  w.Make();
  EXPECT_EQ(w.view.GetText(C::AppEntries), "Pelmora  { c:\\program files\\pelmora }");
  EXPECT_EQ(w.view.GetText(C::MixEntries), "Mixmaster    { not installed }");
  EXPECT_EQ(w.view.GetText(C::Appname), "Pelmora .9b2");
  EXPECT_EQ(w.view.GetText(C::Label25), "Un-Install Pelmora");
  EXPECT_EQ(w.view.page, UninstStartPage);
}

TEST(UninstWiz, RelationsUseShortFormsAndMissingFoldersRelateToNothing) {
  Wizard w;
  w.App("C:\\Program Files\\Pelmora");
  w.Mix("C:\\Gone\\Mix", false);
  TUninstWiz& wiz = w.Make();
  FolderRelations r = wiz.Relations();
  EXPECT_FALSE(r.mixInsideApp || r.appInsideMix || r.sameDirs || r.separateDirs);
  EXPECT_EQ(wiz.State().appDir, "C:\\Program Files\\Pelmora\\");
  EXPECT_EQ(wiz.State().mixDir, "C:\\Gone\\Mix\\");
}

TEST(UninstWiz, BoxRulesTieNestedFolders) {
  Wizard w;  // Mixmaster inside the product folder
  w.App("C:\\Pelmora");
  w.Mix("C:\\Pelmora\\Mix");
  w.Make();
  w.Click(C::AppEntries);  // off: Mixmaster may be chosen alone
  EXPECT_TRUE(w.view.IsEnabled(C::MixEntries));
  w.Click(C::MixEntries);
  EXPECT_FALSE(w.view.IsEnabled(C::NextBtn));  // nothing chosen
  w.Click(C::AppEntries);  // on: Mixmaster goes with it
  EXPECT_TRUE(w.view.IsChecked(C::MixEntries));
  EXPECT_FALSE(w.view.IsEnabled(C::MixEntries));
  EXPECT_TRUE(w.view.IsEnabled(C::NextBtn));

  Wizard v;  // the product inside Mixmaster's folder
  v.App("C:\\Mix\\Pelmora");
  v.Mix("C:\\Mix");
  v.Make();
  v.Click(C::MixEntries);
  v.Click(C::MixEntries);
  EXPECT_TRUE(v.view.IsChecked(C::AppEntries));
  EXPECT_FALSE(v.view.IsEnabled(C::AppEntries));
  v.Click(C::MixEntries);
  EXPECT_TRUE(v.view.IsEnabled(C::AppEntries));
  v.Click(C::AppEntries);
  EXPECT_FALSE(v.view.IsChecked(C::MixEntries));
}

TEST(UninstWiz, PagesWalkWithLockAndReview) {
  Wizard w;
  w.App("C:\\Pelmora");
  TUninstWiz& wiz = w.Make();
  wiz.NextBtnClick();
  EXPECT_EQ(wiz.Page(), OptionsPage);
  EXPECT_EQ(w.view.GetText(C::NextBtn), "Next");
  EXPECT_TRUE(w.view.IsEnabled(C::BackBtn));
  wiz.NextBtnClick();
  EXPECT_EQ(wiz.Page(), UninstReviewPage);
  EXPECT_EQ(w.view.GetText(C::NextBtn), "Finish");
  EXPECT_EQ(w.view.Lines(C::Memo1), (std::vector<Text>{"Pelmora = YES", "Mixmaster = NO"}));
  EXPECT_EQ(w.view.pageUps, 1);
  EXPECT_EQ(w.view.locks, 2);
  EXPECT_EQ(w.view.unlocks, 2);
  wiz.BackBtnClick();
  w.Click(C::AppEntries);
  wiz.BackBtnClick();
  EXPECT_EQ(wiz.Page(), UninstStartPage);
  EXPECT_FALSE(w.view.IsEnabled(C::BackBtn));
  EXPECT_FALSE(w.view.IsChecked(C::AppEntries));  // Back keeps the boxes
  w.view.lockRefused = true;
  wiz.NextBtnClick();
  EXPECT_EQ(w.view.unlocks, 4);  // a refused lock is not undone
  EXPECT_EQ(wiz.Page(), OptionsPage);
}

TEST(UninstWiz, FinishAsksWaitsThenRuns) {
  Wizard w;
  w.App("C:\\Pelmora");
  TUninstWiz& wiz = w.Make();
  w.ToReview();
  w.view.ui.Answer(MsgAnswer::Cancel);
  wiz.NextBtnClick();  // declined
  w.waitResult = false;
  wiz.NextBtnClick();  // wait dialog cancelled
  EXPECT_EQ(w.runs, 0);
  EXPECT_EQ(wiz.Page(), UninstReviewPage);
  w.waitResult = true;
  wiz.NextBtnClick();
  EXPECT_EQ(w.runs, 1);
  EXPECT_EQ(wiz.Page(), FinishPage);
  EXPECT_EQ(w.view.GetText(C::CancelBtn), "Exit");
  ASSERT_EQ(w.view.ui.Boxes().size(), 3u);
  EXPECT_EQ(w.view.ui.Boxes()[0].text, "Uninstall now?");
  EXPECT_EQ(w.view.ui.Boxes()[0].caption, "Pelmora");
  EXPECT_EQ(w.view.ui.Boxes()[0].buttons, MsgButtons::OkCancel);
  EXPECT_TRUE(wiz.CloseRequest());  // "Exit" never asks
  EXPECT_EQ(w.view.ui.Boxes().size(), 3u);
}

TEST(UninstWiz, CloseQueryAsksOnlyBetweenStartAndExit) {
  Wizard w;
  w.App("C:\\Pelmora");
  TUninstWiz& wiz = w.Make();
  EXPECT_TRUE(wiz.CloseRequest());
  wiz.NextBtnClick();
  w.view.ui.Answer(MsgAnswer::No);
  EXPECT_FALSE(wiz.CloseRequest());
  w.view.ui.Answer(MsgAnswer::Yes);
  EXPECT_TRUE(wiz.CloseRequest());
  ASSERT_EQ(w.view.ui.Boxes().size(), 2u);
  EXPECT_EQ(w.view.ui.Boxes()[0].text, "Quit without removing Pelmora?");
  EXPECT_EQ(w.view.ui.Boxes()[0].buttons, MsgButtons::YesNo);
}

TEST(UninstWiz, CloseDuringRunNeitherAsksNorStopsIt) {
  Wizard w;
  w.App("C:\\Pelmora");
  bool closedMidRun = true;
  w.hooks.runRemoval = [&](TUninstWiz& z) {
    closedMidRun = z.CloseRequest();
    w.view.AddLine(C::RichEdit2, "Done!");
  };
  TUninstWiz& wiz = w.Make();
  w.ToReview();
  wiz.NextBtnClick();
  EXPECT_FALSE(closedMidRun);
  EXPECT_EQ(w.closes, 1);  // closed once the run was over
  EXPECT_EQ(w.view.ui.Boxes().size(), 1u);  // only "Uninstall now?"
  EXPECT_EQ(w.view.Lines(C::RichEdit2).back(), "Done!");
}

TEST(UninstWiz, NothingInstalledLeavesOnlyClosing) {
  Wizard w;
  TUninstWiz& wiz = w.Make();
  EXPECT_FALSE(w.view.IsEnabled(C::NextBtn));
  EXPECT_FALSE(w.view.IsEnabled(C::Label24));
  EXPECT_EQ(w.view.GetText(C::RichEdit7), TUninstWiz::NothingInstalledText);
  EXPECT_TRUE(wiz.CloseRequest());
  EXPECT_TRUE(w.view.ui.Boxes().empty());
}

TEST(UninstWiz, AboutBoxAndOtherCommands) {
  Wizard w;
  TUninstWiz& wiz = w.Make();
  EXPECT_FALSE(wiz.SystemCommand(0xF060));
  EXPECT_TRUE(wiz.SystemCommand(0x1000));
  ASSERT_EQ(w.view.ui.Boxes().size(), 1u);
  EXPECT_EQ(w.view.ui.Boxes()[0].caption, "About...");
  EXPECT_EQ(w.view.ui.Boxes()[0].text, "Pelmora Uninstall  .9b2\n" + Text(LegalNotice));
}

TEST(UninstWiz, ValueOfWrongTypeEndsCreationAndRemovesNothing) {
  struct Case {
    const char* key;
    const char* name;
    RegType type;
  };
  for (const Case& c : {Case{ProductKey.data(), "AppDir", RegType::Integer},
                        Case{ProductKey.data(), "Program Group", RegType::Integer},
                        Case{ProductKey.data(), "Version", RegType::Integer},
                        Case{MixmasterKey.data(), "MixDir", RegType::Binary}}) {
    SCOPED_TRACE(c.name);
    Wizard w;
    w.App("C:\\Pelmora");
    w.Mix("C:\\Mix");
    w.m.files.WriteWholeFile("C:\\Pelmora\\PL.exe", "program");
    w.m.registry.Put(c.key, c.name, {c.type, "\x01", 7});
    w.wiz = std::make_unique<TUninstWiz>(w.view, w.m.platform(), w.hooks);
    EXPECT_FALSE(w.wiz->Construct());
    EXPECT_EQ(w.wiz->State().failure, "Invalid data type for '" + Text(c.name) + "'");
    EXPECT_EQ(w.runs, 0);
    EXPECT_TRUE(w.m.registry.KeyExists(ProductKey));
    EXPECT_TRUE(w.m.registry.KeyExists(MixmasterKey));
    EXPECT_TRUE(w.m.files.FileExists("C:\\Pelmora\\PL.exe"));
  }
}

TEST(UninstWiz, UnreadableKeyCountsAsInstalledWithEmptyFolder) {
  Wizard w;
  w.App("C:\\Pelmora");
  w.m.registry.RefuseOpen(ProductKey);
  w.Make();
  EXPECT_TRUE(w.wiz->State().appInstalled);
  EXPECT_EQ(w.view.GetText(C::AppEntries), "Pelmora  {  }");
  EXPECT_TRUE(w.view.IsChecked(C::AppEntries));
}

TEST(UninstForm, PelmoraRunningAsksRetryOrCancelBeforeTheRun) {
  struct Case {
    const char* what;
    bool closeIt;  // the user ends Pelmora while the box shows, then Retry
    int runs;
    int page;
  };
  for (const Case& c : {Case{"Cancel", false, 0, UninstReviewPage},
                        Case{"closed, then Retry", true, 1, FinishPage}}) {
    SCOPED_TRACE(c.what);
    Wizard w;
    w.App("C:\\Apps\\Pelmora");
    w.m.files.WriteWholeFile("C:\\Apps\\Pelmora\\PL.exe", "MZ");
    int id = w.m.processes.Start("C:\\Apps\\Pelmora\\PL.exe");
    TUninstWiz& wiz = w.Make();
    w.ToReview();
    w.view.ui.Answer(MsgAnswer::Ok);  // Uninstall now?
    w.view.ui.Answer(c.closeIt ? MsgAnswer::Retry : MsgAnswer::Cancel);
    w.view.ui.onBox = [&](const ScriptedUi::Box& box) {
      if (box.buttons == MsgButtons::RetryCancel && c.closeIt) w.m.processes.End(id);
    };
    wiz.NextBtnClick();
    ASSERT_EQ(w.view.ui.Boxes().size(), 2u);
    EXPECT_EQ(w.view.ui.Boxes()[1].caption, "Pelmora");
    EXPECT_EQ(w.view.ui.Boxes()[1].buttons, MsgButtons::RetryCancel);
    EXPECT_NE(w.view.ui.Boxes()[1].text.find("Pelmora is running"), std::string::npos);
    EXPECT_EQ(w.runs, c.runs);
    EXPECT_EQ(wiz.Page(), c.page);
    EXPECT_EQ(w.view.GetText(C::NextBtn), "Finish");
  }
}

// Another program holds QuickStart.rtf without sharing: the box names it;
// Cancel goes back to Review with every file in place, Retry once it is let
// go runs the removal. A file let go within the quiet looks shows no box.
TEST(UninstForm, AFileInUseIsNamedBeforeAnythingIsDeleted) {
  struct Case {
    const char* what;
    int releaseAfterSleeps;  // -1: held until the box
    MsgAnswer answer;
    size_t boxes;
    int runs;
    int page;
  };
  for (const Case& c : {Case{"Cancel", -1, MsgAnswer::Cancel, 2, 0, UninstReviewPage},
                        Case{"let go, then Retry", -1, MsgAnswer::Retry, 2, 1, FinishPage},
                        Case{"let go while looking quietly", 3, MsgAnswer::Ok, 1, 1, FinishPage}}) {
    SCOPED_TRACE(c.what);
    Wizard w;
    const Text d = "C:\\Apps\\Pelmora\\";
    w.App("C:\\Apps\\Pelmora");
    for (const char* f : {"PL.exe", "UninstPL.exe", "QuickStart.rtf", "pl.dbc"}) w.m.files.WriteWholeFile(d + f, f);
    ASSERT_TRUE(w.m.files.SetHeld(d + "QuickStart.rtf", true));
    // The database held by the mail client is its own check's business, never this one's.
    int sleeps = 0;
    TUninstWiz& wiz = w.Make();
    w.ToReview();
    w.view.ui.Answer(MsgAnswer::Ok);  // Uninstall now?
    if (c.boxes > 1) w.view.ui.Answer(c.answer);
    w.view.ui.onBox = [&](const ScriptedUi::Box& box) {
      if (box.buttons == MsgButtons::RetryCancel && c.answer == MsgAnswer::Retry)
        w.m.files.SetHeld(d + "QuickStart.rtf", false);
    };
    w.sleep = [&](int ms) {
      EXPECT_EQ(ms, FileInUseStepMs);
      if (++sleeps == c.releaseAfterSleeps) w.m.files.SetHeld(d + "QuickStart.rtf", false);
    };
    wiz.NextBtnClick();
    ASSERT_EQ(w.view.ui.Boxes().size(), c.boxes);
    if (c.boxes > 1) {
      EXPECT_EQ(w.view.ui.Boxes()[1].text, FileInUseText(d + "QuickStart.rtf"));
      EXPECT_EQ(w.view.ui.Boxes()[1].buttons, MsgButtons::RetryCancel);
      EXPECT_EQ(sleeps * FileInUseStepMs, FileInUseRetryMs);
    }
    EXPECT_EQ(w.runs, c.runs);
    EXPECT_EQ(wiz.Page(), c.page);
    for (const char* f : {"PL.exe", "UninstPL.exe", "QuickStart.rtf", "pl.dbc"})
      EXPECT_TRUE(w.m.files.FileExists(d + f)) << f;
    // Back on Review, no file is kept from the user's programs.
    if (c.page == UninstReviewPage) {
      Text data;
      for (const char* f : {"PL.exe", "UninstPL.exe"}) EXPECT_TRUE(w.m.files.ReadWholeFile(d + f, &data)) << f;
    }
  }
}

// A folder the removal refuses (here the Windows folder) is left whole: what
// holds its files is none of the removal's business and names no file.
TEST(UninstForm, AFileInUseInARefusedFolderAsksNothing) {
  Wizard w;
  const Text d = "C:\\Windows\\";
  w.m.files.MakeDirectories(d);
  for (const char* f : {"PL.exe", "explorer.exe"}) w.m.files.WriteWholeFile(d + f, f);
  ASSERT_TRUE(w.m.files.SetHeld(d + "explorer.exe", true));
  w.App("C:\\Windows");
  TUninstWiz& wiz = w.Make();
  w.ToReview();
  w.view.ui.Answer(MsgAnswer::Ok);  // Uninstall now?
  wiz.NextBtnClick();
  for (const ScriptedUi::Box& box : w.view.ui.Boxes()) EXPECT_NE(box.buttons, MsgButtons::RetryCancel) << box.text;
  EXPECT_EQ(w.runs, 1);
  for (const char* f : {"PL.exe", "explorer.exe"}) EXPECT_TRUE(w.m.files.FileExists(d + f)) << f;
}

}  // namespace
}  // namespace pel
