// String list: the text form and the name=value lookups the store and wizards share.
#include "base/string_list.h"

namespace pel {

int StringList::Add(std::string_view text, int32_t value) {
  lines_.push_back({Text(text), value});
  return Count() - 1;
}

void StringList::Insert(int index, std::string_view text, int32_t value) {
  lines_.insert(lines_.begin() + index, Line{Text(text), value});
}

void StringList::Delete(int index) { lines_.erase(lines_.begin() + index); }

Text StringList::GetText() const {
  size_t size = 0;
  for (const Line& l : lines_) size += l.text.size() + 2;
  Text out;
  out.reserve(size);
  for (const Line& l : lines_) {
    out += l.text;
    out += "\r\n";
  }
  return out;
}

void StringList::SetText(std::string_view s) {
  lines_.clear();
  // Counted first so the list is allocated once, at its size: grown by
  // doubling it would cost up to twice the 40 bytes a line takes.
  size_t breaks = 0;
  for (size_t i = 0; i < s.size(); ++i)
    if (s[i] == '\n' || (s[i] == '\r' && (i + 1 == s.size() || s[i + 1] != '\n'))) ++breaks;
  if (!s.empty()) lines_.reserve(breaks + 1);
  size_t start = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\r' && s[i] != '\n') continue;
    lines_.push_back({Text(s.substr(start, i - start)), 0});
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < s.size()) lines_.push_back({Text(s.substr(start)), 0});
}

int StringList::IndexOf(std::string_view s) const {
  for (int i = 0; i < Count(); ++i)
    if (AnsiSameText((*this)[i], s)) return i;
  return -1;
}

int StringList::IndexOfName(std::string_view name) const {
  for (int i = 0; i < Count(); ++i) {
    const Text& t = (*this)[i];
    size_t eq = t.find('=');
    if (eq != Text::npos && AnsiSameText(std::string_view(t).substr(0, eq), name)) return i;
  }
  return -1;
}

Text StringList::ValueOf(std::string_view name) const {
  int i = IndexOfName(name);
  if (i < 0) return {};
  const Text& t = (*this)[i];
  return t.substr(t.find('=') + 1);
}

void StringList::SetValueOf(std::string_view name, std::string_view value) {
  Text line = Text(name) + "=" + Text(value);
  int i = IndexOfName(name);
  if (i < 0)
    Add(line);
  else
    (*this)[i] = line;
}

}  // namespace pel
