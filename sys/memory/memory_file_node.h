// The in-memory file system's own view of its tree: a node and a parsed path, shared by its two halves.
#pragma once

#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "sys/memory/memory_file_system.h"
#include "sys/paths.h"

namespace pel {

struct MemoryFileSystem::Node {
  Text name;        // as created
  Text short_name;  // empty when the name is a valid 8.3 name itself
  uint32_t attributes = 0;
  Text data;
  Text link_target;  // set only on a reparse point
  // The name in UTF-8 when the code page cannot hold it; name is then this
  // with a leading 0x01, which no 8-bit path can spell: only the short
  // form reaches such an entry, as only it reaches one on Windows.
  Text unicode_name;
  bool no_short_names = false;  // on a drive root: the volume makes none
  int held = 0;      // opened elsewhere without sharing
  int running = 0;   // a program runs from it
  uint64_t index = 0;    // the file's number on its volume; a move keeps it
  uint64_t written = 0;  // counts the writes, as a last-write time would
  int folder_holds = 0;  // held open as a folder without delete sharing
  // Opened by this program for deletion, sharing reading and writing only
  // (a claim): any other open for deletion, and any open that does not
  // share deletion (a plain read or write), fails as a sharing violation.
  int claims = 0;
  Node* parent = nullptr;
  std::map<Text, std::unique_ptr<Node>> children;  // by lower-cased name

  bool IsFolder() const { return (attributes & kAttrDirectory) != 0; }
  // Windows reports a file without any bit as "normal".
  uint32_t Reported() const { return attributes == 0 ? kAttrNormal : attributes; }

  Node* Child(std::string_view n) {
    auto it = children.find(AnsiLowerCase(n));
    if (it != children.end()) return it->second.get();
    for (auto& [key, child] : children) {
      if (!child->short_name.empty() && AnsiSameText(child->short_name, n)) return child.get();
    }
    return nullptr;
  }
};

struct MemoryFileSystem::Parsed {
  char drive = 'C';
  char drive_as_given = 'C';
  std::vector<Text> names;
  bool trailing_backslash = false;
};

// Small rules of Windows names that both halves apply.

inline bool IsSeparator(char c) { return c == '\\' || c == '/'; }

inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

inline bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Characters that a short name may not hold, and that a long name loses in
// its generated short form.
inline bool NotInShortName(char c) {
  return c == ' ' || c == '+' || c == ',' || c == ';' || c == '=' || c == '[' || c == ']';
}

inline Text ShortPart(std::string_view s, size_t max) {
  Text out;
  for (char c : s) {
    if (NotInShortName(c) || c == '.') continue;
    out += c;
    if (out.size() == max) break;
  }
  return AnsiUpperCase(out);
}

inline bool Glob(std::string_view name, std::string_view mask) {
  if (mask.empty()) return name.empty();
  if (mask[0] == '*') {
    for (size_t i = 0; i <= name.size(); ++i) {
      if (Glob(name.substr(i), mask.substr(1))) return true;
    }
    return false;
  }
  if (name.empty()) return false;
  if (mask[0] != '?' && AnsiLowerChar(mask[0]) != AnsiLowerChar(name[0])) return false;
  return Glob(name.substr(1), mask.substr(1));
}

}  // namespace pel
