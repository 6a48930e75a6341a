// The installation log's line format; the file and the clock come from the build's platform.
#include "sys/action_log.h"

namespace pel {

void ActionLog::Write(std::string_view text) {
  if (!sink_) return;
  Text line = clock_ ? clock_() : Text();
  line += "  ";
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      if (i + 1 < text.size()) line += " | ";
    } else {
      line += c;
    }
  }
  line += "\r\n";
  if (!sink_->Append(line)) healthy_ = false;
}

ActionLog& ProcessLog() {
  static ActionLog log;
  return log;
}

}  // namespace pel
