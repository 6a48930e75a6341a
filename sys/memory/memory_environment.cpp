// The in-memory file system's environment variables and their expansion.
#include "sys/memory/memory_file_system.h"

namespace pel {

void MemoryFileSystem::SetEnvironment(std::string_view name, std::string_view value) {
  environment_[AnsiLowerCase(name)] = Text(value);
}

Text MemoryFileSystem::ExpandEnvironment(std::string_view text) {
  Text out;
  size_t i = 0;
  while (i < text.size()) {
    size_t open = text.find('%', i);
    size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
    if (close == std::string_view::npos) break;
    out += text.substr(i, open - i);
    auto it = environment_.find(AnsiLowerCase(text.substr(open + 1, close - open - 1)));
    if (it != environment_.end()) {
      out += it->second;
      i = close + 1;
    } else {
      // An unknown name stays, and its closing % may open the next one.
      out += text.substr(open, close - open);
      i = close;
    }
  }
  out += text.substr(i);
  return out;
}

}  // namespace pel
