// The application object: title, module handle, and the standard error box.
#pragma once

#include <windows.h>

#include <string_view>

#include "base/text.h"
#include "sys/ui.h"

namespace pel::app {

HINSTANCE Instance();
void SetInstance(HINSTANCE h);

// The title shown as the caption of the standard error box.
const Text& Title();
void SetTitle(std::string_view title);

// The platform's standard error box for a failure nobody handled on the way
// (a store file that cannot be opened, a registry value of the wrong type): the message (with a final full stop
// added when it has none), the application title as caption, an error icon;
// owned like the boxes of ShowBox without an owner.
void ShowException(std::string_view message);

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
