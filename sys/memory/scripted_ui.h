// A Ui for tests: records every box and answers from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "sys/ui.h"

namespace pel {

class ScriptedUi final : public Ui {
 public:
  struct Box {
    std::string text;
    std::string caption;
    MsgButtons buttons;
    MsgIcon icon;
  };

  // Answers to give, in order; once used up, Ok/Yes as the first button.
  void Answer(MsgAnswer a) { answers_.push_back(a); }
  const std::vector<Box>& Boxes() const { return boxes_; }
  void Reset() { boxes_.clear(); answers_.clear(); }

  MsgAnswer ShowMessage(std::string_view text, std::string_view caption, MsgButtons buttons,
                       MsgIcon icon) override;

 private:
  std::vector<Box> boxes_;
  std::deque<MsgAnswer> answers_;
};

// Installs a ScriptedUi for a scope and restores the previous one after.
class ScopedUi {
 public:
  explicit ScopedUi(Ui* ui) : previous_(SetCurrentUi(ui)) {}
  ~ScopedUi() { SetCurrentUi(previous_); }
  ScopedUi(const ScopedUi&) = delete;
  ScopedUi& operator=(const ScopedUi&) = delete;

 private:
  Ui* previous_;
};

}  // namespace pel
