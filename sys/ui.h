// The user-interface seam: message boxes, the one thing every layer may need to show.
#pragma once

#include <string_view>

namespace pel {

enum class MsgButtons { Ok, OkCancel, YesNo, RetryCancel };
enum class MsgIcon { None, Information, Warning, Error, Question };
// Values are the Win32 IDOK/IDCANCEL/IDRETRY/IDYES/IDNO codes.
enum class MsgAnswer { Ok = 1, Cancel = 2, Retry = 4, Yes = 6, No = 7 };

// The answer of a run nobody watches: the first button (Ok, Yes), except that
// a Retry waits for a person who is not there, so it gives up (Cancel).
inline MsgAnswer UnattendedAnswer(MsgButtons buttons) {
  return buttons == MsgButtons::YesNo         ? MsgAnswer::Yes
         : buttons == MsgButtons::RetryCancel ? MsgAnswer::Cancel
                                              : MsgAnswer::Ok;
}

class Ui {
 public:
  virtual ~Ui() = default;
  // Shows a modal box owned by the innermost open dialog of the program (the
  // window that asked) and returns the
  // button pressed. Never throws.
  virtual MsgAnswer ShowMessage(std::string_view text, std::string_view caption,
                               MsgButtons buttons, MsgIcon icon = MsgIcon::None) = 0;
};

// The process-wide Ui: the entry point installs the Win32 one; tools and tests
// install their own. Until then a silent Ui answers Ok/Yes and shows nothing.
Ui& CurrentUi();
// Installs ui (not owned; nullptr restores the silent one) and returns the previous.
Ui* SetCurrentUi(Ui* ui);

}  // namespace pel
