// A Ui for tests: records every box and answers from a script.
#include "sys/memory/scripted_ui.h"

namespace pel {

MsgAnswer ScriptedUi::ShowMessage(std::string_view text, std::string_view caption,
                                 MsgButtons buttons, MsgIcon icon) {
  boxes_.push_back({std::string(text), std::string(caption), buttons, icon});
  if (onBox) onBox(boxes_.back());
  if (!answers_.empty()) {
    MsgAnswer a = answers_.front();
    answers_.pop_front();
    return a;
  }
  return UnattendedAnswer(buttons);
}

}  // namespace pel
