// The record of the files a copy has set aside until it commits: its text form, read back strictly.
#include "sys/set_aside_record.h"

namespace pel {
namespace {

constexpr std::string_view kHeader = "Pelmora set-aside record 1";
constexpr std::string_view kFolder = "folder=";
constexpr std::string_view kEnd = "end";

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t eol = text.find("\r\n");
    if (eol == std::string_view::npos) {
      lines.push_back(text);  // a line without its end: the record was cut short
      lines.push_back({});
      break;
    }
    lines.push_back(text.substr(0, eol));
    text.remove_prefix(eol + 2);
  }
  return lines;
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char ch : name) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 32 || std::string_view("\\/:*?\"<>|").find(ch) != std::string_view::npos) return false;
  }
  return true;
}

Text RecordText(const SetAsideRecord& r) {
  Text out = Text(kHeader) + "\r\n" + Text(kFolder) + r.folder + "\r\n";
  for (const SetAside& e : r.entries)
    out += e.backup.empty() ? "new|" + e.target + "\r\n" : "set|" + e.backup + "|" + e.target + "\r\n";
  return out + Text(kEnd) + "\r\n";
}

bool ParseRecord(std::string_view text, SetAsideRecord* out, Text* why) {
  *out = SetAsideRecord();
  auto bad = [&](Text reason) {
    *why = std::move(reason);
    *out = SetAsideRecord();
    return false;
  };
  std::vector<std::string_view> lines = Lines(text);
  if (lines.size() < 3 || lines[0] != kHeader || !lines[1].starts_with(kFolder))
    return bad("it is not a record of this program");
  if (lines.back() != kEnd) return bad("it was cut short");
  out->folder = Text(lines[1].substr(kFolder.size()));
  if (out->folder.empty()) return bad("it names no folder");
  for (size_t i = 2; i + 1 < lines.size(); ++i) {
    std::string_view line = lines[i];
    SetAside e;
    if (line.starts_with("new|")) {
      e.target = Text(line.substr(4));
    } else if (line.starts_with("set|")) {
      std::string_view rest = line.substr(4);
      size_t bar = rest.find('|');
      if (bar == std::string_view::npos) return bad("line " + std::to_string(i + 1) + " is damaged");
      e.backup = Text(rest.substr(0, bar));
      e.target = Text(rest.substr(bar + 1));
      if (!IsPlainFileName(e.backup))
        return bad("line " + std::to_string(i + 1) + " names a file outside its folder");
    } else {
      return bad("line " + std::to_string(i + 1) + " is damaged");
    }
    if (!IsPlainFileName(e.target))
      return bad("line " + std::to_string(i + 1) + " names a file outside the product folder");
    out->entries.push_back(std::move(e));
  }
  return true;
}

}  // namespace pel
