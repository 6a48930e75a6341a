// The wait dialog's decisions: the short cancellable pause both wizards run before their work.
#pragma once

#include <string_view>

#include "base/text.h"
#include "setup/modal_result.h"
#include "sys/ui.h"

namespace pel {

// What the wait dialog needs from its window.
class WaitView {
 public:
  virtual ~WaitView() = default;
  virtual void SetPanelText(std::string_view text) = 0;
  virtual void SetCancelEnabled(bool on) = 0;
  // Starts the periodic timer afresh: the next tick comes intervalMs from now.
  virtual void StartTimer(int intervalMs) = 0;
  virtual void StopTimer() = 0;
  // A modal box owned by the wait dialog.
  virtual MsgAnswer Ask(std::string_view text, std::string_view caption, MsgButtons buttons) = 0;
  // Ends the modal run with result; the window goes away after the current event.
  virtual void EndModal(ModalResult result) = 0;
};

// TWaitForm: shows "...wait..." for a second, then blinks the caller's message
// every half second and ends with OK on the sixth blink tick. Cancel becomes
// usable with the first tick and ends the run only when the user confirms.
class TWaitForm {
 public:
  inline static constexpr std::string_view WaitingText = "...wait...";
  inline static constexpr std::string_view CancelQuestion = "Cancel process?";
  inline static constexpr int FirstInterval = 1000;
  inline static constexpr int BlinkInterval = 500;
  // The run ends with OK once the blink counter passes this.
  inline static constexpr int LastBlink = 5;

  // Construction puts the window in its design state and starts the timer.
  explicit TWaitForm(WaitView& view);

  void SetMessage(std::string_view message) { message_ = Text(message); }

  void Timer1Timer();
  // The Cancel button; ignored while it is disabled.
  void CancelBtnClick();
  // Any attempt to end the run with result (the timer's OK, Cancel, the window
  // manager's close); ends it when the close query allows.
  void Close(ModalResult result);
  // True when the run may end with result. Stops the timer; with Cancel asks
  // first and, on No, starts the timer again where it was.
  bool FormCloseQuery(ModalResult result);

  // Timer1's state: the tag is the phase (0 waiting, 1 blinking).
  int Tag() const { return tag_; }
  int Interval() const { return interval_; }
  bool TimerEnabled() const { return timerEnabled_; }
  int BlinkCount() const { return blinks_; }
  const Text& PanelText() const { return panelText_; }
  bool CancelEnabled() const { return cancelEnabled_; }
  // None until the run has ended.
  ModalResult Result() const { return result_; }

 private:
  void SetPanel(std::string_view text);
  void StartTimer();
  void StopTimer();

  WaitView& view_;
  Text message_;
  Text panelText_;
  bool cancelEnabled_ = false;
  int tag_ = 0;
  int interval_ = FirstInterval;
  bool timerEnabled_ = false;
  int blinks_ = 0;
  ModalResult result_ = ModalResult::None;
};

}  // namespace pel
