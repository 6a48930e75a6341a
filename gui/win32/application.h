// The application object: title, module handle, and the standard exception box.
#pragma once

#include <windows.h>

#include <exception>
#include <string_view>

#include "base/text.h"
#include "sys/ui.h"

namespace pel::app {

HINSTANCE Instance();
void SetInstance(HINSTANCE h);

// The title shown as the caption of the standard exception box.
const Text& Title();
void SetTitle(std::string_view title);

// The platform's standard exception box: the message (with a final full stop
// added when it has none), the application title as caption, an error icon;
// owned like the boxes of ShowBox without an owner.
void ShowException(std::string_view message);

// Runs f for a dialog's construction or first show: an exception ends the
// dialog's modal run and is kept in failure, for whoever started the run to
// rethrow. False when f threw.
template <class F>
bool EndRunOnFailure(HWND dialog, std::exception_ptr& failure, F&& f) {
  try {
    f();
    return true;
  } catch (...) {
    failure = std::current_exception();
    EndDialog(dialog, -1);
    return false;
  }
}

// Runs f as an event handler: an exception ends that handler only, is shown
// in the standard exception box, and the window stays open.
template <class F>
INT_PTR HandleEvent(F&& f) {
  try {
    return f();
  } catch (const std::exception& e) {
    ShowException(e.what());
    return TRUE;
  }
}

// While a dialog holds one of these, boxes shown without an owner (through
// CurrentUi(), by the steps and the store) are owned by it: the innermost
// living holder wins. An owned box disables its owner, so the dialog cannot
// be clicked again underneath it. Make it when the window exists
// (WM_INITDIALOG) and let it go before the window is destroyed.
class MessageOwnerScope {
 public:
  explicit MessageOwnerScope(HWND dialog);
  ~MessageOwnerScope();
  MessageOwnerScope(const MessageOwnerScope&) = delete;
  MessageOwnerScope& operator=(const MessageOwnerScope&) = delete;

 private:
  HWND dialog_;
};
// The innermost dialog holding a MessageOwnerScope, or nullptr.
HWND MessageOwner();

// A modal message box owned by owner (nullptr: MessageOwner(), and failing
// that this thread's active window).
MsgAnswer ShowBox(HWND owner, std::string_view text, std::string_view caption, MsgButtons buttons,
                  MsgIcon icon = MsgIcon::None);

}  // namespace pel::app
