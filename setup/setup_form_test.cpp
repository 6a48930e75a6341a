// The setup wizard's page and button machine, driven without windows.
#include <gtest/gtest.h>

#include "setup/fake_setup_hooks.h"
#include "setup/fake_setup_view.h"
#include "setup/foreign_files.h"
#include "setup/install_steps.h"
#include "setup/setup_form.h"

namespace pel {
namespace {

using C = SetupControl;

struct Wizard {
  FakeSetupView view;
  FakeSetupHooks hooks;
  std::unique_ptr<TSetupForm> form;
  int installs = 0, beeps = 0;
  bool installResult = true;
  std::vector<std::pair<Text, bool>> closes;

  Wizard() {
    hooks.readVersion = [] { return Text("1.0"); };
    hooks.runInstall = [this] { ++installs; return installResult; };
    hooks.beep = [this] { ++beeps; };
    hooks.closing = [this](const Text& f, bool start) { closes.push_back({f, start}); };
  }
  TSetupForm& Make() {
    form = std::make_unique<TSetupForm>(view, hooks);
    view.onChange = [this](C c) { c == C::EAddr ? form->EAddrChange() : form->HostChange(); };
    form->Construct("C:\\dist");
    return *form;
  }
  void Buttons(bool back, bool next, const char* nextCaption, const char* cancelCaption) {
    EXPECT_EQ(view.IsEnabled(C::BackBtn), back);
    EXPECT_EQ(view.IsEnabled(C::NextBtn), next);
    EXPECT_EQ(view.GetText(C::NextBtn), nextCaption);
    EXPECT_EQ(view.GetText(C::CancelBtn), cancelCaption);
  }
};

TEST(SetupForm, ConstructionFillsHeadingsAndOpensOnStart) {
  Wizard w;
  TSetupForm& f = w.Make();
  EXPECT_EQ(w.view.GetText(C::Appname), "Pelmora 1.0");
  EXPECT_EQ(w.view.GetText(C::Copyright).find('\n'), Text::npos);
  EXPECT_NE(w.view.GetText(C::Copyright).find(",  "), Text::npos);
  EXPECT_EQ(f.StoreName(), "PL.dbc");
  EXPECT_EQ(f.SettingsName(), "PL.ini");
  EXPECT_EQ(f.SourceFolder(), "C:\\dist");
  EXPECT_EQ(w.view.page, StartPage);
  EXPECT_EQ(w.view.focused, C::NextBtn);
  w.Buttons(false, true, "Next", "Cancel");
  EXPECT_TRUE(w.view.IsChecked(C::GroupBox));
}

TEST(SetupForm, EmptyVersionLeavesTrailingBlank) {
  Wizard w;
  w.hooks.readVersion = [] { return Text(); };
  w.Make();
  EXPECT_EQ(w.view.GetText(C::Appname), "Pelmora ");
}

TEST(SetupForm, AddressPageNeedsBothFields) {
  Wizard w;
  TSetupForm& f = w.Make();
  f.NextBtnClick();
  EXPECT_EQ(w.view.page, AddressPage);
  EXPECT_EQ(w.view.focused, C::EAddr);
  w.Buttons(true, false, "Next", "Cancel");
  w.view.SetText(C::EAddr, "me@example.org");
  EXPECT_FALSE(w.view.IsEnabled(C::NextBtn));
  w.view.SetText(C::Host, " ");  // blanks count as filled
  EXPECT_TRUE(w.view.IsEnabled(C::NextBtn));
  w.view.SetText(C::EAddr, "");
  EXPECT_FALSE(w.view.IsEnabled(C::NextBtn));
}

TEST(SetupForm, ReviewShowsExactlyFourLines) {
  for (bool group : {false, true}) {
    Wizard w;
    TSetupForm& f = w.Make();
    w.view.SetText(C::AppDIR, "d:\\apps");
    w.view.SetChecked(C::GroupBox, group);
    f.NextBtnClick();
    w.view.SetText(C::EAddr, "Me <me@example.org>");
    w.view.SetText(C::Host, "smtp.example.org");
    f.NextBtnClick();
    EXPECT_EQ(w.view.page, ReviewPage);
    w.Buttons(true, true, "Install", "Cancel");
    std::vector<Text> expected = {"Folder = d:\\apps", "Address = Me <me@example.org>",
                                  "MailHost = smtp.example.org",
                                  group ? "ProgramGroup = yes" : "ProgramGroup = no"};
    EXPECT_EQ(w.view.Lines(C::RichEdit3), expected);
    // Going back and forth rebuilds, never appends.
    f.BackBtnClick();
    w.Buttons(true, true, "Next", "Cancel");
    f.NextBtnClick();
    EXPECT_EQ(w.view.Lines(C::RichEdit3).size(), 4u);
  }
}

TEST(SetupForm, EmptyFieldsGiveLinesEndingAfterEquals) {
  Wizard w;
  TSetupForm& f = w.Make();
  w.view.SetText(C::AppDIR, "");
  f.NextBtnClick();
  f.NextBtnClick();  // pressed while disabled, as the earlier-install path does
  EXPECT_EQ(w.view.Lines(C::RichEdit3)[0], "Folder = ");
  EXPECT_EQ(w.view.Lines(C::RichEdit3)[1], "Address = ");
}

void WalkToReview(Wizard& w) {
  w.form->NextBtnClick();
  w.view.SetText(C::EAddr, "a");
  w.view.SetText(C::Host, "h");
  w.form->NextBtnClick();
}

// A distribution without the program is refused before the question: a box
// of the wizard's own, and Review stays with Install ready for another try.
TEST(SetupForm, ADistributionWithoutTheProgramIsRefusedOnReview) {
  Wizard w;
  TSetupForm& f = w.Make();
  WalkToReview(w);
  Text refusal;
  w.hooks.distributionRefusal = [&] { return refusal; };
  refusal = "The folder\nC:\\dist\ndoes not hold PL.exe";
  f.NextBtnClick();
  ASSERT_EQ(w.view.ui.Boxes().size(), 1u);
  EXPECT_EQ(w.view.ui.Boxes()[0].text, refusal);
  EXPECT_EQ(w.view.ui.Boxes()[0].caption, DistributionErrorCaption);
  EXPECT_EQ(w.view.ui.Boxes()[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(w.installs, 0);
  EXPECT_EQ(w.view.page, ReviewPage);
  w.Buttons(true, true, "Install", "Cancel");
  // Once the folder is whole, the same button installs.
  refusal.clear();
  w.view.ui.Answer(MsgAnswer::Ok);
  f.NextBtnClick();
  EXPECT_EQ(w.installs, 1);
}

TEST(SetupForm, InstallDeclinedOrFailedStaysOnReview) {
  Wizard w;
  TSetupForm& f = w.Make();
  WalkToReview(w);
  w.view.ui.Answer(MsgAnswer::Cancel);
  f.NextBtnClick();
  ASSERT_EQ(w.view.ui.Boxes().size(), 1u);
  EXPECT_EQ(w.view.ui.Boxes()[0].text, "Install now?");
  EXPECT_EQ(w.view.ui.Boxes()[0].caption, "Pelmora");
  EXPECT_EQ(w.view.ui.Boxes()[0].buttons, MsgButtons::OkCancel);
  EXPECT_EQ(w.installs, 0);
  EXPECT_EQ(w.view.page, ReviewPage);

  w.installResult = false;
  f.NextBtnClick();
  EXPECT_EQ(w.installs, 1);
  EXPECT_EQ(w.view.page, ReviewPage);
  w.Buttons(true, true, "Install", "Cancel");
  EXPECT_EQ(w.beeps, 0);
}

TEST(SetupForm, NoInstallDriverMeansNoInstall) {
  Wizard w;
  w.hooks.runInstall = nullptr;
  TSetupForm& f = w.Make();
  WalkToReview(w);
  f.NextBtnClick();
  EXPECT_EQ(w.view.page, ReviewPage);
}

TEST(SetupForm, SuccessfulInstallEndsOnDoneWithOneBeep) {
  Wizard w;
  TSetupForm& f = w.Make();
  WalkToReview(w);
  f.NextBtnClick();
  EXPECT_EQ(w.view.page, DonePage);
  w.Buttons(false, false, "Next", "Exit");
  EXPECT_EQ(w.beeps, 1);
  f.NextBtnClick();  // Done is final
  EXPECT_EQ(w.view.page, DonePage);
  EXPECT_EQ(w.installs, 1);

  EXPECT_TRUE(f.FormCloseQuery());
  EXPECT_TRUE(w.view.ui.Boxes().size() == 1);  // only "Install now?"
  ASSERT_EQ(w.closes.size(), 1u);
  EXPECT_EQ(w.closes[0], std::make_pair(Text("C:\\Program Files\\Pelmora"), true));
}

TEST(SetupForm, ExitWithoutRunBoxStartsNothing) {
  Wizard w;
  TSetupForm& f = w.Make();
  WalkToReview(w);
  f.NextBtnClick();
  w.view.SetChecked(C::RunPelmoraBox, false);
  EXPECT_TRUE(f.FormCloseQuery());
  EXPECT_FALSE(w.closes.at(0).second);
}

TEST(SetupForm, CloseQueryAsksOnlyAfterStart) {
  Wizard w;
  TSetupForm& f = w.Make();
  EXPECT_TRUE(f.FormCloseQuery());
  EXPECT_TRUE(w.view.ui.Boxes().empty());
  EXPECT_FALSE(w.closes.at(0).second);

  f.NextBtnClick();
  w.view.ui.Answer(MsgAnswer::No);
  EXPECT_FALSE(f.FormCloseQuery());
  ASSERT_EQ(w.view.ui.Boxes().size(), 1u);
  EXPECT_EQ(w.view.ui.Boxes()[0].text, "Quit without installing Pelmora?");
  EXPECT_EQ(w.view.ui.Boxes()[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(w.view.page, AddressPage);
  EXPECT_EQ(w.closes.size(), 1u);  // a refused close changes nothing
  w.view.ui.Answer(MsgAnswer::Yes);
  EXPECT_TRUE(f.FormCloseQuery());
  EXPECT_EQ(w.closes.size(), 2u);
}

TEST(SetupForm, BrowseReplacesFolderUnlessCancelled) {
  Wizard w;
  Text answer = "d:\\tools\\mail";
  w.hooks.browseForFolder = [&](const Text&) { return answer; };
  TSetupForm& f = w.Make();
  f.BrowseBtnClick();
  EXPECT_EQ(w.view.GetText(C::AppDIR), "d:\\tools\\mail");
  answer = "cancel";
  f.BrowseBtnClick();
  EXPECT_EQ(w.view.GetText(C::AppDIR), "d:\\tools\\mail");
}

// Start hands on a folder holding other files only when the user says so, and
// asks again only for another folder text.
TEST(SetupForm, StartAsksBeforeTakingAFolderThatHoldsOtherFiles) {
  struct Step {
    const char* folder;
    MsgAnswer answer;  // when asked
    bool asked;
    int page;          // after Next; Address is left by Back for the next step
  };
  const Step steps[] = {
      {"C:\\Program Files\\Pelmora", MsgAnswer::Yes, false, AddressPage},
      {"C:\\Tools", MsgAnswer::No, true, StartPage},
      {"C:\\Tools", MsgAnswer::No, true, StartPage},  // No accepts nothing
      {"C:\\Tools", MsgAnswer::Yes, true, AddressPage},
      {"C:\\Tools", MsgAnswer::Yes, false, AddressPage},
      {"D:\\Docs", MsgAnswer::Yes, true, AddressPage},
      {"C:\\Tools", MsgAnswer::No, true, StartPage},  // another text came between
  };
  Wizard w;
  w.hooks.foreignFile = [](const Text& folder) {
    return Text(folder == "C:\\Tools" ? "notes.txt" : folder == "D:\\Docs" ? "cv.doc" : "");
  };
  TSetupForm& f = w.Make();
  for (const Step& s : steps) {
    SCOPED_TRACE(Text(s.folder) + (s.answer == MsgAnswer::No ? " No" : " Yes"));
    w.view.ui.Reset();
    w.view.selected.reset();
    w.view.SetText(C::AppDIR, s.folder);
    if (s.asked) w.view.ui.Answer(s.answer);
    f.NextBtnClick();
    ASSERT_EQ(w.view.ui.Boxes().size(), s.asked ? 1u : 0u);
    if (s.asked) {
      const ScriptedUi::Box& box = w.view.ui.Boxes()[0];
      EXPECT_EQ(box.caption, "Pelmora");
      EXPECT_EQ(box.buttons, MsgButtons::YesNo);
      EXPECT_EQ(box.text, ForeignFolderQuestion(s.folder, s.folder[0] == 'C' ? "notes.txt" : "cv.doc"));
    }
    EXPECT_EQ(f.Page(), s.page);
    EXPECT_EQ(w.view.page, s.page);
    if (s.page == StartPage) {
      EXPECT_EQ(w.view.focused, C::AppDIR);
      EXPECT_EQ(w.view.selected, C::AppDIR);
      w.Buttons(false, true, "Next", "Cancel");
    } else {
      EXPECT_FALSE(w.view.selected.has_value());
      f.BackBtnClick();
    }
  }
}

TEST(SetupForm, AboutOnlyForItsCommand) {
  Wizard w;
  TSetupForm& f = w.Make();
  EXPECT_FALSE(f.SystemCommand(0xF060));  // SC_CLOSE goes to the default handling
  EXPECT_TRUE(w.view.ui.Boxes().empty());
  EXPECT_TRUE(f.SystemCommand(0x1000));
  ASSERT_EQ(w.view.ui.Boxes().size(), 1u);
  EXPECT_EQ(w.view.ui.Boxes()[0].caption, "About...");
  EXPECT_EQ(w.view.ui.Boxes()[0].text.substr(0, 20), "Pelmora Setup  .9b2\n");
}

}  // namespace
}  // namespace pel
