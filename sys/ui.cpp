// The process-wide Ui and the silent one that stands in before any is installed.
#include "sys/ui.h"

namespace pel {
namespace {

class SilentUi final : public Ui {
 public:
  MsgAnswer ShowMessage(std::string_view, std::string_view, MsgButtons buttons,
                       MsgIcon) override {
    return UnattendedAnswer(buttons);
  }
};

SilentUi g_silent;
Ui* g_current = &g_silent;

}  // namespace

Ui& CurrentUi() { return *g_current; }

Ui* SetCurrentUi(Ui* ui) {
  Ui* previous = g_current;
  g_current = ui ? ui : &g_silent;
  return previous;
}

}  // namespace pel
