// How the in-memory file system reads a spelling: drives, separators, dots, verbatim prefixes, short names and links, as a Windows volume does.
#include <string>

#include "sys/memory/memory_file_node.h"

namespace pel {


bool IsShortName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  size_t dot = name.find('.');
  if (dot != std::string_view::npos && name.find('.', dot + 1) != std::string_view::npos) return false;
  std::string_view base = name.substr(0, dot);
  std::string_view ext = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
  if (dot != std::string_view::npos && ext.empty()) return false;
  for (char c : name) {
    if (NotInShortName(c)) return false;
  }
  return true;
}

bool MatchesMask(std::string_view name, std::string_view mask) {
  if (mask == "*" || mask == "*.*") return true;
  if (Glob(name, mask)) return true;
  // "name.*" also matches a name without an extension, as on Windows.
  if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" &&
      name.find('.') == std::string_view::npos) {
    return Glob(name, mask.substr(0, mask.size() - 2));
  }
  return false;
}

bool MemoryFileSystem::Parse(std::string_view path, Parsed* p) {
  if (path.empty()) return Fail(kErrorPathNotFound);
  // "\\?\" hands the rest to the file system as it stands: no "." or ".."
  // is taken away, "/" is no separator, a doubled one is an empty name.
  if (path.starts_with("\\\\?\\")) return ParseVerbatim(path.substr(4), p);
  // "\\.\" names the device namespace, where a drive path still is one.
  if (path.starts_with("\\\\.\\")) path.remove_prefix(4);
  size_t pos = 0;
  bool absolute = false;
  if (path.size() >= 2 && path[1] == ':') {
    if (!IsLetter(path[0])) return Fail(kErrorInvalidName);
    p->drive_as_given = path[0];
    p->drive = UpperAscii(path[0]);
    pos = 2;
    absolute = pos < path.size() && IsSeparator(path[pos]);
  } else if (IsSeparator(path[0])) {
    // Network paths are not modelled.
    if (path.size() > 1 && IsSeparator(path[1])) return Fail(kErrorPathNotFound);
    p->drive = p->drive_as_given = current_drive_;
    absolute = true;
  } else {
    p->drive = p->drive_as_given = current_drive_;
  }
  for (size_t i = pos; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (c < 32 || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*' ||
        c == ':') {
      return Fail(kErrorInvalidName);
    }
  }
  if (!absolute && p->drive == current_drive_) p->names = current_;
  Text name;
  auto flush = [&](bool last) {
    if (name != "." && name != "..") {
      // The file calls drop a name's trailing dots, and at the very end of
      // the path its trailing blanks too ("C:\\Windows. " is C:\\Windows).
      while (!name.empty() && (name.back() == '.' || (last && name.back() == ' '))) name.pop_back();
    }
    if (name == "..") {
      if (!p->names.empty()) p->names.pop_back();
    } else if (!name.empty() && name != ".") {
      p->names.push_back(name);
    }
    name.clear();
  };
  for (size_t i = pos; i < path.size(); ++i) {
    if (IsSeparator(path[i])) {
      flush(false);
    } else {
      name += path[i];
    }
  }
  flush(true);
  p->trailing_backslash = IsSeparator(path.back());
  return true;
}

bool MemoryFileSystem::ParseVerbatim(std::string_view path, Parsed* p) {
  if (path.size() < 2 || path[1] != ':' || !IsLetter(path[0])) return Fail(kErrorPathNotFound);
  p->drive_as_given = path[0];
  p->drive = UpperAscii(path[0]);
  std::string_view rest = path.substr(2);
  if (rest.empty()) return true;
  if (rest[0] != '\\') return Fail(kErrorPathNotFound);
  rest.remove_prefix(1);
  p->trailing_backslash = !rest.empty() && rest.back() == '\\';
  if (p->trailing_backslash) rest.remove_suffix(1);
  while (!rest.empty()) {
    size_t cut = rest.find('\\');
    std::string_view name = rest.substr(0, cut);
    if (name.empty() || name == "." || name == "..") return Fail(kErrorInvalidName);
    for (char ch : name) {
      unsigned char c = static_cast<unsigned char>(ch);
      if (c < 32 || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*' ||
          c == ':') {
        return Fail(kErrorInvalidName);
      }
    }
    p->names.emplace_back(name);
    if (cut == std::string_view::npos) break;
    rest.remove_prefix(cut + 1);
  }
  return true;
}

MemoryFileSystem::Node* MemoryFileSystem::ParsedRoot(std::string_view path, Parsed* parsed) {
  if (!Parse(path, parsed)) return nullptr;
  auto drive = drives_.find(parsed->drive);
  if (drive == drives_.end()) {
    Fail(kErrorPathNotFound);
    return nullptr;
  }
  return drive->second.get();
}

MemoryFileSystem::Node* MemoryFileSystem::Resolve(std::string_view path) {
  Parsed p;
  Node* node = ParsedRoot(path, &p);
  if (!node) return nullptr;
  for (size_t i = 0; i < p.names.size(); ++i) {
    if (!node->IsFolder()) {
      Fail(kErrorPathNotFound);
      return nullptr;
    }
    Node* child = node->Child(p.names[i]);
    if (!child) {
      Fail(i + 1 == p.names.size() ? kErrorFileNotFound : kErrorPathNotFound);
      return nullptr;
    }
    // A link on the way leads on into its target; the last name stays the
    // link itself, as Windows opens a reparse point without following it.
    if (i + 1 < p.names.size()) {
      child = Follow(child);
      if (!child) return nullptr;
    }
    node = child;
  }
  // "file.txt\" names no file.
  if (p.trailing_backslash && !node->IsFolder()) {
    Fail(kErrorInvalidName);
    return nullptr;
  }
  return node;
}

MemoryFileSystem::Node* MemoryFileSystem::ResolveParent(std::string_view path, Text* name) {
  Parsed p;
  Node* node = ParsedRoot(path, &p);
  if (!node) return nullptr;
  name->clear();
  if (p.names.empty()) return node;
  for (size_t i = 0; i + 1 < p.names.size(); ++i) {
    Node* child = node->Child(p.names[i]);
    if (child) child = Follow(child);
    if (!child || !child->IsFolder()) {
      Fail(kErrorPathNotFound);
      return nullptr;
    }
    node = child;
  }
  *name = p.names.back();
  return node;
}

Text MemoryFileSystem::ShortPathName(std::string_view path) {
  // Name by name as written, as the platform's call walks a path: every name
  // on the way must exist; "." and ".." and the separators stay as they are.
  Text out;
  std::string_view rest = path;
  bool verbatim = rest.starts_with("\\\\?\\");
  if (verbatim) {
    out = "\\\\?\\";
    rest.remove_prefix(4);
  }
  Node* node = nullptr;
  if (rest.size() >= 2 && rest[1] == ':' && IsLetter(rest[0])) {
    auto drive = drives_.find(UpperAscii(rest[0]));
    if (drive == drives_.end()) return Fail(kErrorPathNotFound), Text();
    node = drive->second.get();
    out += rest.substr(0, 2);
    rest.remove_prefix(2);
  } else if (!rest.empty() && IsSeparator(rest[0]) && !verbatim) {
    if (rest.size() > 1 && IsSeparator(rest[1])) return Fail(kErrorFileNotFound), Text();
    node = drives_[current_drive_].get();
  } else if (!verbatim) {
    node = Resolve(".");
  }
  if (!node) return Fail(kErrorFileNotFound), Text();
  auto separator = [&](char c) { return c == '\\' || (!verbatim && c == '/'); };
  while (!rest.empty()) {
    size_t cut = 0;
    while (cut < rest.size() && !separator(rest[cut])) ++cut;
    Text name(rest.substr(0, cut));
    if (name == "..") {
      if (node->parent) node = node->parent;
      out += name;
    } else if (!name.empty() && name != ".") {
      Text bare = name;
      while (!bare.empty() && (bare.back() == '.' || bare.back() == ' ')) bare.pop_back();
      Node* from = Follow(node);
      Node* child = from && from->IsFolder() ? from->Child(bare) : nullptr;
      if (!child) return Fail(kErrorFileNotFound), Text();
      out += child->short_name.empty() ? bare : child->short_name;
      node = child;
    } else {
      out += name;
    }
    rest.remove_prefix(cut);
    if (!rest.empty()) {
      out += rest[0];
      rest.remove_prefix(1);
    }
  }
  return out;
}

Text MemoryFileSystem::FinalPathName(std::string_view path) {
  Node* node = Resolve(path);
  if (node) node = Follow(node);
  if (!node) return Text();
  return Outgoing(node);
}

std::vector<Text> MemoryFileSystem::KnownFolders() { return known_folders_; }

Text MemoryFileSystem::Path(Node* node) {
  Text out;
  for (Node* n = node; n->parent; n = n->parent) out = "\\" + n->name + out;
  for (auto& [letter, root] : drives_) {
    Node* top = node;
    while (top->parent) top = top->parent;
    if (root.get() == top) return Text(1, letter) + ":" + (out.empty() ? "\\" : out);
  }
  return Text();
}

Text MemoryFileSystem::StoredSpelling(std::string_view path) {
  Node* node = Resolve(path);
  return node ? Outgoing(node) : Text();
}

Text MemoryFileSystem::Outgoing(Node* node) {
  bool foreign = false;
  for (Node* n = node; n->parent; n = n->parent) foreign = foreign || !n->unicode_name.empty();
  if (!foreign) return Path(node);
  // As GetShortPathNameW gives it: every name that has a short form by it.
  Text out;
  for (Node* n = node; n->parent; n = n->parent) {
    if (!n->unicode_name.empty() && n->short_name.empty()) return Fail(kErrorNoUnicodeTranslation), Text();
    out = "\\" + (n->short_name.empty() ? n->name : n->short_name) + out;
  }
  Node* top = node;
  while (top->parent) top = top->parent;
  return Text(1, top->name[0]) + ":" + out;
}

MemoryFileSystem::Node* MemoryFileSystem::Follow(Node* node, int depth) {
  if (!(node->attributes & kAttrReparsePoint)) return node;
  if (depth > 8) {
    Fail(kErrorPathNotFound);
    return nullptr;
  }
  Node* target = Resolve(node->link_target);
  return target ? Follow(target, depth + 1) : nullptr;
}

}  // namespace pel
