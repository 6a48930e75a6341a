// Platform seams that write every change they carry out into the action log, then pass the call on.
#pragma once

#include "sys/action_log.h"
#include "sys/platform.h"
#include "sys/ui.h"

namespace pel {

// Wraps another platform: calls go through unchanged, results included, and
// each one that changes something (a file copied or deleted, a folder made or
// removed, a registry key or value written or deleted, a shortcut saved, a
// program started, a Program Manager command sent) leaves one log line saying
// what and whether it worked. Reads are not logged.
class LoggingPlatform {
 public:
  LoggingPlatform(Platform& inner, ActionLog& log);
  ~LoggingPlatform();
  LoggingPlatform(const LoggingPlatform&) = delete;
  LoggingPlatform& operator=(const LoggingPlatform&) = delete;

  Platform& platform() { return *platform_; }

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
  std::unique_ptr<Platform> platform_;
};

// Logs the text of every box with its caption, then passes it on to inner
// (which, in an unattended run, shows nothing and answers as UnattendedAnswer says).
class LoggingUi final : public Ui {
 public:
  LoggingUi(Ui& inner, ActionLog& log) : inner_(inner), log_(log) {}
  MsgAnswer ShowMessage(std::string_view text, std::string_view caption, MsgButtons buttons,
                        MsgIcon icon) override;

 private:
  Ui& inner_;
  ActionLog& log_;
};

// Shows nothing: every question gets UnattendedAnswer (Ok, Yes; Cancel to Retry),
// the answer an unattended run stands for.
class SilentUi final : public Ui {
 public:
  MsgAnswer ShowMessage(std::string_view, std::string_view, MsgButtons buttons, MsgIcon) override {
    return UnattendedAnswer(buttons);
  }
};

}  // namespace pel
