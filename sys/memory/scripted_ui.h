// A Ui for tests: records every box and answers from a script.
#pragma once

#include <deque>
#include <functional>
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

  // Answers to give, in order; once used up, UnattendedAnswer (Ok, Yes, Cancel for Retry).
  void Answer(MsgAnswer a) { answers_.push_back(a); }
  const std::vector<Box>& Boxes() const { return boxes_; }
  void Reset() { boxes_.clear(); answers_.clear(); }
  // Runs as each box shows, before it is answered: what the user does meanwhile.
  std::function<void(const Box&)> onBox;

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
