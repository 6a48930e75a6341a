// The application object: title, module handle, and the standard error box.
#include "gui/win32/application.h"

#include <vector>

#include "sys/action_log.h"

namespace pel::app {
namespace {
HINSTANCE g_instance = nullptr;
Text g_title = "Pelmora";
// Dialogs nest on the one GUI thread, so a stack is all the bookkeeping needed.
std::vector<HWND> g_owners;
}  // namespace

MessageOwnerScope::MessageOwnerScope(HWND dialog) : dialog_(dialog) { g_owners.push_back(dialog); }
MessageOwnerScope::~MessageOwnerScope() {
  // Normally the last one; erase by value so an out-of-order release cannot
  // leave a destroyed window as the owner.
  std::erase(g_owners, dialog_);
}
HWND MessageOwner() { return g_owners.empty() ? nullptr : g_owners.back(); }

HINSTANCE Instance() { return g_instance; }
void SetInstance(HINSTANCE h) { g_instance = h; }
const Text& Title() { return g_title; }
void SetTitle(std::string_view title) { g_title = Text(title); }

void ShowException(std::string_view message) {
  Text text(message);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  ProcessLog().Write("Message \"" + g_title + "\": " + text);
  // The window whose handler failed owns the box, not whatever happens to be active.
  HWND owner = MessageOwner() ? MessageOwner() : GetActiveWindow();
  MessageBoxA(owner, text.c_str(), g_title.c_str(), MB_OK | MB_ICONERROR);
}

MsgAnswer ShowBox(HWND owner, std::string_view text, std::string_view caption, MsgButtons buttons,
                  MsgIcon icon) {
  UINT type = buttons == MsgButtons::OkCancel ? MB_OKCANCEL
              : buttons == MsgButtons::YesNo  ? MB_YESNO
              : buttons == MsgButtons::RetryCancel ? MB_RETRYCANCEL
                                              : MB_OK;
  switch (icon) {
    case MsgIcon::Information: type |= MB_ICONINFORMATION; break;
    case MsgIcon::Warning: type |= MB_ICONWARNING; break;
    case MsgIcon::Error: type |= MB_ICONERROR; break;
    case MsgIcon::Question: type |= MB_ICONQUESTION; break;
    case MsgIcon::None: break;
  }
  Text t(text), c(caption);
  ProcessLog().Write("Message \"" + c + "\": " + t);
  return static_cast<MsgAnswer>(
      MessageBoxA(owner ? owner : MessageOwner() ? MessageOwner() : GetActiveWindow(), t.c_str(), c.c_str(), type));
}

}  // namespace pel::app
