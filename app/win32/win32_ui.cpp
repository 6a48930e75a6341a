// Message boxes on Windows: modal, owned by this thread's active window.
#include <windows.h>

#include "app/text.h"
#include "sys/ui.h"

namespace pel {
namespace {

class Win32Ui final : public Ui {
 public:
  MsgAnswer ShowMessage(std::string_view text, std::string_view caption, MsgButtons buttons,
                       MsgIcon icon) override {
    UINT type = buttons == MsgButtons::OkCancel ? MB_OKCANCEL
                : buttons == MsgButtons::YesNo  ? MB_YESNO
                                                : MB_OK;
    switch (icon) {
      case MsgIcon::Information: type |= MB_ICONINFORMATION; break;
      case MsgIcon::Warning: type |= MB_ICONWARNING; break;
      case MsgIcon::Error: type |= MB_ICONERROR; break;
      case MsgIcon::Question: type |= MB_ICONQUESTION; break;
      case MsgIcon::None: break;
    }
    Text t(text), c(caption);
    return static_cast<MsgAnswer>(MessageBoxA(GetActiveWindow(), t.c_str(), c.c_str(), type));
  }
};

}  // namespace

Ui& Win32UiInstance() {
  static Win32Ui ui;
  return ui;
}

}  // namespace pel
