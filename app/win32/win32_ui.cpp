// Message boxes on Windows: modal, owned by the innermost dialog that asked to own them.
#include <windows.h>

#include "gui/win32/application.h"
#include "sys/ui.h"

namespace pel {

namespace {

class Win32Ui final : public Ui {
 public:
  MsgAnswer ShowMessage(std::string_view text, std::string_view caption, MsgButtons buttons,
                        MsgIcon icon) override {
    return app::ShowBox(nullptr, text, caption, buttons, icon);
  }
};

}  // namespace

Ui& Win32UiInstance() {
  static Win32Ui ui;
  return ui;
}

}  // namespace pel
