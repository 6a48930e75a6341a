// Header lookup in a stored message: the block before the first empty line, with folded continuations.
#include "mail/message_headers.h"

namespace pel {

int TMessageHeaders::IndexOfHeader(std::string_view name, const StringList* lines) {
  if (lines) lines_ = lines;
  if (!lines_) return -1;
  const Text lowerName = AnsiLowerCase(name);
  for (int i = 0; i < lines_->Count(); ++i) {
    std::string_view prefix = std::string_view((*lines_)[i]).substr(0, name.size());
    if (prefix.empty()) return -1;  // the header block ends at an empty line
    if (AnsiLowerCase(prefix) == lowerName) return i;
  }
  return -1;
}

Text TMessageHeaders::GetHeaderText(std::string_view name, const StringList* lines) {
  int i = IndexOfHeader(name, lines);
  if (i < 0) return {};
  Text text = (*lines_)[i];
  for (int j = i + 1; j < lines_->Count(); ++j) {
    const Text& line = (*lines_)[j];
    if (line.empty() || (line[0] != ' ' && line[0] != '\t')) break;
    text += "\r\n";
    text += line;
  }
  return text;
}

Text TMessageHeaders::GetHeaderValue(std::string_view name, const StringList* lines) {
  Text text = GetHeaderText(name, lines);
  if (text.size() <= name.size()) return {};
  return text.substr(name.size(), kMaxHeaderValue);
}

}  // namespace pel
