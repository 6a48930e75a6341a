// The wait dialog's decisions: the short cancellable pause both wizards run before their work.
#include "setup/wait_form.h"

#include "app/constants.h"

namespace pel {

TWaitForm::TWaitForm(WaitView& view) : view_(view) {
  SetPanel(WaitingText);
  view_.SetCancelEnabled(false);
  StartTimer();
}

void TWaitForm::SetPanel(std::string_view text) {
  panelText_ = Text(text);
  view_.SetPanelText(panelText_);
}

void TWaitForm::StartTimer() {
  timerEnabled_ = true;
  view_.StartTimer(interval_);
}

void TWaitForm::StopTimer() {
  timerEnabled_ = false;
  view_.StopTimer();
}

void TWaitForm::Timer1Timer() {
  // A tick queued before the timer was stopped (or after the run ended) must not
  // count: the pause may not run out behind the question or after the close.
  if (!timerEnabled_ || result_ != ModalResult::None) return;
  if (tag_ == 0) {
    StopTimer();
    cancelEnabled_ = true;
    view_.SetCancelEnabled(true);
    SetPanel(message_);
    interval_ = BlinkInterval;
    tag_ = 1;
    StartTimer();
  } else {
    SetPanel(panelText_.empty() ? std::string_view(message_) : std::string_view());
    ++blinks_;
  }
  if (blinks_ > LastBlink) Close(ModalResult::Ok);
}

void TWaitForm::CancelBtnClick() {
  if (cancelEnabled_) Close(ModalResult::Cancel);
}

void TWaitForm::Close(ModalResult result) {
  if (result_ != ModalResult::None || result == ModalResult::None) return;
  if (!FormCloseQuery(result)) return;
  result_ = result;
  view_.EndModal(result);
}

bool TWaitForm::FormCloseQuery(ModalResult result) {
  StopTimer();
  if (result != ModalResult::Cancel) return true;
  if (view_.Ask(CancelQuestion, ProductName, MsgButtons::YesNo) == MsgAnswer::Yes) return true;
  StartTimer();
  return false;
}

}  // namespace pel
