// The installation log: one timestamped line per action, appended to a file the user names.
#pragma once

#include <memory>
#include <string_view>

#include "base/text.h"

namespace pel {

// Where log lines go. Append never truncates what is there.
class LogSink {
 public:
  virtual ~LogSink() = default;
  // Appends the bytes; false when they could not all be written.
  virtual bool Append(std::string_view bytes) = 0;
};

// Appends to a text the caller owns: logs kept in memory (tests, tools).
class TextLogSink final : public LogSink {
 public:
  explicit TextLogSink(Text* text) : text_(text) {}
  bool Append(std::string_view bytes) override { return text_->append(bytes), true; }

 private:
  Text* text_;
};

// Opens path for appending, creating it when missing; nullptr when it cannot
// be written (missing folder, read-only, a folder, in use) or when a link
// stands at path (it is never followed). Defined per build.
std::unique_ptr<LogSink> OpenAppendLog(const Text& path);
// The local time as "YYYY-MM-DD hh:mm:ss.mmm", and today as "YYYYMMDD". Per build.
Text LocalTimestamp();
Text LocalDate();

// A log that may be absent: every call on a disabled log does nothing, so the
// code that logs never asks whether anyone listens.
class ActionLog {
 public:
  ActionLog() = default;
  ActionLog(std::unique_ptr<LogSink> sink, Text (*clock)())
      : sink_(std::move(sink)), clock_(clock) {}

  bool enabled() const { return sink_ != nullptr; }
  // One line: the time, two blanks, the text; line breaks inside the text are
  // shown as " | " so that one action stays one line.
  void Write(std::string_view text);
  // False once any line failed to reach the file.
  bool healthy() const { return healthy_; }

 private:
  std::unique_ptr<LogSink> sink_;
  Text (*clock_)() = nullptr;
  bool healthy_ = true;
};

// The log of this run: disabled until the entry point opens the file /LOG= names.
ActionLog& ProcessLog();

}  // namespace pel
