// Tests of the wait dialog's pause, blinking and Cancel question, on a simulated clock.
#include "setup/wait_form.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

namespace pel {
namespace {

// A window and clock without a screen: the timer fires when the test moves time on.
class FakeWaitView final : public WaitView {
 public:
  struct Question {
    Text text, caption;
    MsgButtons buttons;
  };

  int now = 0;
  std::optional<int> nextTick;
  int interval = 0;
  TWaitForm* form = nullptr;

  Text panel = "(design)";
  bool cancelEnabled = true;
  std::vector<Text> panelHistory;
  std::vector<Question> questions;
  std::vector<ModalResult> ended;
  // Runs while the question is open, then gives the answer.
  std::function<MsgAnswer()> answer = [] { return MsgAnswer::Yes; };

  void SetPanelText(std::string_view text) override {
    panel = Text(text);
    panelHistory.push_back(panel);
  }
  void SetCancelEnabled(bool on) override { cancelEnabled = on; }
  void StartTimer(int ms) override {
    interval = ms;
    nextTick = now + ms;
  }
  void StopTimer() override { nextTick.reset(); }
  MsgAnswer Ask(std::string_view text, std::string_view caption, MsgButtons buttons) override {
    questions.push_back({Text(text), Text(caption), buttons});
    return answer();
  }
  void EndModal(ModalResult r) override {
    ended.push_back(r);
    nextTick.reset();  // the window and its timer are gone
  }

  // Moves the clock to now + ms, delivering every tick due on the way.
  void Advance(int ms) {
    int until = now + ms;
    while (nextTick && *nextTick <= until) {
      now = *nextTick;
      nextTick = now + interval;
      form->Timer1Timer();
    }
    now = until;
  }
};

struct WaitForm : ::testing::Test {
  FakeWaitView view;
  std::optional<TWaitForm> form;
  void SetUp() override {
    form.emplace(view);
    view.form = &*form;
    form->SetMessage("Installing Pelmora");
    view.panelHistory.clear();
  }
};

TEST_F(WaitForm, LeftAloneShowsTheMessageThenBlinksAndEndsOkOnTheSixthBlink) {
  EXPECT_EQ(view.nextTick, 1000);
  view.Advance(999);
  EXPECT_EQ(view.panel, "...wait...");
  EXPECT_FALSE(view.cancelEnabled);

  view.Advance(1);
  EXPECT_EQ(view.panel, "Installing Pelmora");
  EXPECT_TRUE(view.cancelEnabled);
  EXPECT_EQ(form->Tag(), 1);
  EXPECT_EQ(form->Interval(), 500);
  EXPECT_EQ(view.nextTick, 1500);
  EXPECT_EQ(form->BlinkCount(), 0);

  view.Advance(2500);
  EXPECT_EQ(form->BlinkCount(), 5);
  view.Advance(499);
  EXPECT_TRUE(view.ended.empty());

  view.Advance(1);
  EXPECT_EQ(view.now, 4000);
  EXPECT_EQ(view.ended, std::vector<ModalResult>{ModalResult::Ok});
  EXPECT_EQ(form->Result(), ModalResult::Ok);
  EXPECT_FALSE(form->TimerEnabled());
  EXPECT_TRUE(view.questions.empty());
  const Text m = "Installing Pelmora";
  EXPECT_EQ(view.panelHistory, (std::vector<Text>{m, "", m, "", m, "", m}));
}

TEST_F(WaitForm, CancelCannotBePressedDuringTheFirstSecond) {
  view.Advance(500);
  form->CancelBtnClick();
  EXPECT_TRUE(view.questions.empty());
  view.Advance(3500);
  EXPECT_EQ(view.ended, std::vector<ModalResult>{ModalResult::Ok});
}

TEST_F(WaitForm, CancelAnsweredYesEndsWithCancel) {
  view.Advance(1600);
  form->CancelBtnClick();
  ASSERT_EQ(view.questions.size(), 1u);
  EXPECT_EQ(view.questions[0].text, "Cancel process?");
  EXPECT_EQ(view.questions[0].caption, "Pelmora");
  EXPECT_EQ(view.questions[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(view.ended, std::vector<ModalResult>{ModalResult::Cancel});
  EXPECT_FALSE(view.nextTick.has_value());

  // Nothing more happens to a closed dialog.
  form->Timer1Timer();
  form->CancelBtnClick();
  EXPECT_EQ(form->BlinkCount(), 1);
  EXPECT_EQ(view.questions.size(), 1u);
  EXPECT_EQ(view.ended.size(), 1u);
}

TEST_F(WaitForm, CancelAnsweredNoGoesOnWithTheSameCounterAndPhase) {
  view.Advance(2000);  // two blinks so far
  view.answer = [&] {
    // The pause must not run out behind the question, not even from a tick
    // that was already queued.
    view.Advance(10000);
    form->Timer1Timer();
    return MsgAnswer::No;
  };
  form->CancelBtnClick();
  EXPECT_TRUE(view.ended.empty());
  EXPECT_EQ(form->BlinkCount(), 2);
  EXPECT_EQ(form->Tag(), 1);
  EXPECT_TRUE(form->TimerEnabled());
  EXPECT_EQ(view.nextTick, 12500);

  view.Advance(1999);
  EXPECT_TRUE(view.ended.empty());
  view.Advance(1);
  EXPECT_EQ(view.ended, std::vector<ModalResult>{ModalResult::Ok});
  EXPECT_EQ(view.now, 14000);
}

TEST_F(WaitForm, WindowCloseDuringTheFirstSecondAsksAndNoRestartsThatSecond) {
  view.Advance(300);
  view.answer = [] { return MsgAnswer::No; };
  form->Close(ModalResult::Cancel);
  EXPECT_EQ(view.questions.size(), 1u);
  EXPECT_EQ(view.nextTick, 1300);
  EXPECT_EQ(form->Tag(), 0);
  view.Advance(1000);
  EXPECT_EQ(form->Tag(), 1);
}

}  // namespace
}  // namespace pel
