// An in-memory file system that behaves, for the callers, like a Windows volume set.
#include "sys/memory/memory_file_system.h"

#include <string>

#include "sys/paths.h"

namespace pel {

struct MemoryFileSystem::Node {
  Text name;        // as created
  Text short_name;  // empty when the name is a valid 8.3 name itself
  uint32_t attributes = 0;
  Text data;
  Text link_target;  // set only on a reparse point
  int held = 0;      // opened elsewhere without sharing
  int running = 0;   // a program runs from it
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

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Characters that a short name may not hold, and that a long name loses in
// its generated short form.
bool NotInShortName(char c) {
  return c == ' ' || c == '+' || c == ',' || c == ';' || c == '=' || c == '[' || c == ']';
}

Text ShortPart(std::string_view s, size_t max) {
  Text out;
  for (char c : s) {
    if (NotInShortName(c) || c == '.') continue;
    out += c;
    if (out.size() == max) break;
  }
  return AnsiUpperCase(out);
}

bool Glob(std::string_view name, std::string_view mask) {
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

}  // namespace

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

MemoryFileSystem::MemoryFileSystem() {
  AddDrive('C');
  MakeDirectories("C:\\Windows\\System32");
  WriteWholeFile("C:\\Windows\\explorer.exe", "MZ explorer");
  WriteWholeFile("C:\\Windows\\System32\\cmd.exe", "MZ cmd");
  WriteWholeFile("C:\\Windows\\System32\\ping.exe", "MZ ping");
  WriteWholeFile("C:\\Windows\\System32\\progman.exe", "MZ progman");
  system_folders_ = {{SystemFolder::System, "C:\\Windows\\System32"},
                     {SystemFolder::ProgramFiles, "C:\\Program Files"},
                     {SystemFolder::ProgramFilesX86, ""},
                     {SystemFolder::Profile, "C:\\Users\\user"}};
  known_folders_ = {"C:\\Windows", "C:\\Windows\\System32", "C:\\Program Files",
                    "C:\\Program Files\\Common Files", "C:\\ProgramData", "C:\\Users\\Public",
                    "C:\\Users\\Public\\Documents", "C:\\Users\\user",
                    "C:\\Users\\user\\Documents", "C:\\Users\\user\\Desktop",
                    "C:\\Users\\user\\AppData\\Roaming", "C:\\Users\\user\\AppData\\Local",
                    "C:\\Users\\user\\AppData\\Local\\Temp"};
  SetEnvironment("SystemRoot", "C:\\Windows");
  SetEnvironment("ProgramFiles", "C:\\Program Files");
  SetEnvironment("USERPROFILE", "C:\\Users\\user");
  SetEnvironment("APPDATA", "C:\\Users\\user\\AppData\\Roaming");
  last_error_ = 0;
}

MemoryFileSystem::~MemoryFileSystem() = default;

bool MemoryFileSystem::Fail(uint32_t code) {
  last_error_ = code;
  return false;
}

bool MemoryFileSystem::AddDrive(char letter) {
  letter = UpperAscii(letter);
  if (!IsLetter(letter) || drives_.count(letter)) return false;
  auto root = std::make_unique<Node>();
  root->name = Text(1, letter) + ":";
  root->attributes = kAttrDirectory;
  drives_[letter] = std::move(root);
  return true;
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

MemoryFileSystem::Node* MemoryFileSystem::Resolve(std::string_view path) {
  Parsed p;
  if (!Parse(path, &p)) return nullptr;
  auto drive = drives_.find(p.drive);
  if (drive == drives_.end()) {
    Fail(kErrorPathNotFound);
    return nullptr;
  }
  Node* node = drive->second.get();
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
  if (!Parse(path, &p)) return nullptr;
  auto drive = drives_.find(p.drive);
  if (drive == drives_.end()) {
    Fail(kErrorPathNotFound);
    return nullptr;
  }
  Node* node = drive->second.get();
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

MemoryFileSystem::Node* MemoryFileSystem::NewChild(Node* parent, std::string_view name,
                                                   uint32_t attributes) {
  auto node = std::make_unique<Node>();
  node->name = Text(name);
  node->attributes = attributes;
  node->parent = parent;
  if (!IsShortName(name)) {
    size_t dot = name.find_last_of('.');
    std::string_view base = dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
    std::string_view ext =
        dot == std::string_view::npos || dot == 0 ? std::string_view() : name.substr(dot + 1);
    Text stem = ShortPart(base, 6);
    if (stem.empty()) stem = "_";
    Text suffix = ShortPart(ext, 3);
    if (!suffix.empty()) suffix = "." + suffix;
    for (int n = 1;; ++n) {
      Text candidate = stem + "~" + std::to_string(n) + suffix;
      if (!parent->Child(candidate)) {
        node->short_name = candidate;
        break;
      }
    }
  }
  Node* raw = node.get();
  parent->children[AnsiLowerCase(name)] = std::move(node);
  return raw;
}

bool MemoryFileSystem::FileExists(std::string_view path) {
  Node* node = Resolve(path);
  return node && !node->IsFolder();
}

bool MemoryFileSystem::DirectoryExists(std::string_view path) {
  Node* node = Resolve(path);
  return node && node->IsFolder();
}

uint32_t MemoryFileSystem::Attributes(std::string_view path) {
  Node* node = Resolve(path);
  // With a final separator the path names what a folder link leads to.
  if (node && IsSeparator(path.back()) && (node->attributes & kAttrReparsePoint)) node = Follow(node);
  return node ? node->Reported() : kNoAttributes;
}

bool MemoryFileSystem::SetAttributes(std::string_view path, uint32_t attributes) {
  Node* node = Resolve(path);
  if (!node) return false;
  constexpr uint32_t kSettable = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive;
  node->attributes = (attributes & kSettable) | (node->attributes & kAttrDirectory);
  return true;
}

bool MemoryFileSystem::FindMatches(std::string_view pattern, std::vector<DirEntry>* out) {
  out->clear();
  Text folder = FolderPart(pattern);
  std::string_view mask = pattern.substr(folder.size());
  Node* dir = nullptr;
  if (folder.empty()) {
    dir = Resolve(".");
  } else {
    dir = Resolve(folder);
  }
  if (dir) dir = Follow(dir);
  if (!dir || !dir->IsFolder()) return Fail(kErrorPathNotFound);
  if (mask.empty()) return Fail(kErrorFileNotFound);
  if (dir->parent) {
    for (const char* dots : {".", ".."}) {
      if (MatchesMask(dots, mask)) out->push_back({dots, kAttrDirectory});
    }
  }
  for (auto& [key, child] : dir->children) {
    if (MatchesMask(child->name, mask) ||
        (!child->short_name.empty() && MatchesMask(child->short_name, mask))) {
      out->push_back({child->name, child->Reported()});
    }
  }
  if (out->empty()) return Fail(kErrorFileNotFound);
  return true;
}

bool MemoryFileSystem::MakeDirectory(std::string_view path) {
  Text name;
  Node* parent = ResolveParent(path, &name);
  if (!parent) return false;
  if (name.empty() || parent->Child(name)) return Fail(kErrorAlreadyExists);
  NewChild(parent, name, kAttrDirectory);
  return true;
}

bool MemoryFileSystem::MakeDirectories(std::string_view path) {
  Parsed p;
  if (!Parse(path, &p)) return false;
  auto drive = drives_.find(p.drive);
  if (drive == drives_.end()) return Fail(kErrorPathNotFound);
  Node* node = drive->second.get();
  for (const Text& name : p.names) {
    Node* child = node->Child(name);
    if (!child) child = NewChild(node, name, kAttrDirectory);
    if (!child->IsFolder()) return Fail(kErrorPathNotFound);
    node = child;
  }
  return true;
}

bool MemoryFileSystem::RemoveEmptyDirectory(std::string_view path) {
  Node* node = Resolve(path);
  if (!node) return false;
  if (!node->parent) return Fail(kErrorAccessDenied);
  if (!node->IsFolder()) return Fail(kErrorDirectory);
  if (!node->children.empty()) return Fail(kErrorDirNotEmpty);
  if (node->attributes & kAttrReadOnly) return Fail(kErrorAccessDenied);
  node->parent->children.erase(AnsiLowerCase(node->name));
  return true;
}

bool MemoryFileSystem::Copy(std::string_view from, std::string_view to, bool fail_if_exists) {
  Node* source = Resolve(from);
  if (!source) return false;
  if (source->IsFolder()) return Fail(kErrorAccessDenied);
  if (source->held) return Fail(kErrorSharingViolation);
  Text name;
  Node* parent = ResolveParent(to, &name);
  if (!parent) return false;
  if (name.empty()) return Fail(kErrorAccessDenied);
  Node* target = parent->Child(name);
  if (target) {
    if (fail_if_exists) return Fail(kErrorFileExists);
    if (target->held || target->running) return Fail(kErrorSharingViolation);
    // Copying a file onto itself would leave it empty; Windows refuses it as
    // a sharing violation.
    if (target == source) return Fail(32);
    if (target->IsFolder() || (target->attributes & kAttrReadOnly)) return Fail(kErrorAccessDenied);
    uint32_t guarded = target->attributes & (kAttrHidden | kAttrSystem);
    if (guarded & ~source->attributes) return Fail(kErrorAccessDenied);
  } else {
    target = NewChild(parent, name, 0);
  }
  target->data = source->data;
  target->attributes = source->attributes | kAttrArchive;
  return true;
}

bool MemoryFileSystem::Delete(std::string_view path) {
  Node* node = Resolve(path);
  if (!node) return false;
  if (node->held) return Fail(kErrorSharingViolation);
  if (node->IsFolder() || (node->attributes & kAttrReadOnly) || node->running)
    return Fail(kErrorAccessDenied);
  node->parent->children.erase(AnsiLowerCase(node->name));
  return true;
}

bool MemoryFileSystem::Move(std::string_view from, std::string_view to, bool replace_existing) {
  Parsed pf, pt;
  if (!Parse(from, &pf) || !Parse(to, &pt)) return false;
  Node* source = Resolve(from);
  if (!source) return false;
  if (!source->parent) return Fail(kErrorAccessDenied);
  if (pf.drive != pt.drive) return Fail(kErrorNotSameDevice);
  if (source->held) return Fail(kErrorSharingViolation);
  Text name;
  Node* parent = ResolveParent(to, &name);
  if (!parent) return false;
  if (name.empty()) return Fail(kErrorAccessDenied);
  for (Node* up = parent; up; up = up->parent)
    if (up == source) return Fail(kErrorSharingViolation);  // into itself
  Node* target = parent->Child(name);
  if (target == source) {
    // Only the spelling changes.
    std::unique_ptr<Node> self = std::move(source->parent->children[AnsiLowerCase(source->name)]);
    source->parent->children.erase(AnsiLowerCase(source->name));
    self->name = name;
    parent->children[AnsiLowerCase(name)] = std::move(self);
    return true;
  }
  if (target) {
    if (!replace_existing) return Fail(kErrorAlreadyExists);
    if (target->held) return Fail(kErrorSharingViolation);
    if (target->IsFolder() || source->IsFolder() || (target->attributes & kAttrReadOnly) ||
        target->running)
      return Fail(kErrorAccessDenied);
    parent->children.erase(AnsiLowerCase(target->name));
  }
  Node* moved = NewChild(parent, name, source->attributes);
  moved->data = std::move(source->data);
  moved->link_target = source->link_target;
  moved->running = source->running;
  moved->children = std::move(source->children);
  for (auto& [key, child] : moved->children) child->parent = moved;
  source->parent->children.erase(AnsiLowerCase(source->name));
  return true;
}

bool MemoryFileSystem::SetHeld(std::string_view path, bool on) {
  Node* node = Resolve(path);
  if (!node || node->IsFolder()) return false;
  node->held += on ? 1 : (node->held > 0 ? -1 : 0);
  return true;
}

bool MemoryFileSystem::SetRunning(std::string_view path, bool on) {
  Node* node = Resolve(path);
  if (!node || node->IsFolder()) return false;
  node->running += on ? 1 : (node->running > 0 ? -1 : 0);
  return true;
}

bool MemoryFileSystem::IsHeld(std::string_view path) {
  Node* node = Resolve(path);
  return node && !node->IsFolder() && node->held > 0;
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
  return StoredSpelling(Path(node));
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
  return node ? Path(node) : Text();
}

Text MemoryFileSystem::WindowsDirectory() { return "C:\\Windows"; }

Text MemoryFileSystem::SystemFolderPath(SystemFolder which) { return system_folders_[which]; }

MemoryFileSystem::Node* MemoryFileSystem::Follow(Node* node, int depth) {
  if (!(node->attributes & kAttrReparsePoint)) return node;
  if (depth > 8) {
    Fail(kErrorPathNotFound);
    return nullptr;
  }
  Node* target = Resolve(node->link_target);
  return target ? Follow(target, depth + 1) : nullptr;
}

bool MemoryFileSystem::MakeLink(std::string_view link, std::string_view target, bool folder) {
  Text name;
  Node* parent = ResolveParent(link, &name);
  if (!parent) return false;
  if (name.empty() || parent->Child(name)) return Fail(kErrorAlreadyExists);
  Node* node = NewChild(parent, name, kAttrReparsePoint | (folder ? kAttrDirectory : kAttrArchive));
  node->link_target = Text(target);
  return true;
}

Text MemoryFileSystem::CurrentDirectory() {
  Text out = Text(1, current_drive_) + ":";
  if (current_.empty()) return out + "\\";
  for (const Text& name : current_) out += "\\" + name;
  return out;
}

bool MemoryFileSystem::ChangeDirectory(std::string_view path) {
  Node* node = Resolve(path);
  if (!node) return false;
  if (!node->IsFolder()) return Fail(kErrorDirectory);
  std::vector<Text> names;
  Node* top = node;
  for (; top->parent; top = top->parent) names.insert(names.begin(), top->name);
  for (auto& [letter, root] : drives_) {
    if (root.get() == top) current_drive_ = letter;
  }
  current_ = std::move(names);
  return true;
}

bool MemoryFileSystem::WriteWholeFile(std::string_view path, std::string_view data) {
  Text name;
  Node* parent = ResolveParent(path, &name);
  if (!parent) return false;
  if (name.empty()) return Fail(kErrorAccessDenied);
  Node* node = parent->Child(name);
  if (node) {
    if (node->held || node->running) return Fail(kErrorSharingViolation);
    if (node->IsFolder() ||
        (node->attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem))) {
      return Fail(kErrorAccessDenied);
    }
  } else {
    node = NewChild(parent, name, kAttrArchive);
  }
  node->data = Text(data);
  return true;
}

bool MemoryFileSystem::ReadWholeFile(std::string_view path, Text* data) {
  data->clear();
  Node* node = Resolve(path);
  if (!node) return false;
  if (node->IsFolder()) return Fail(kErrorAccessDenied);
  if (node->held) return Fail(kErrorSharingViolation);
  *data = node->data;
  return true;
}

int64_t MemoryFileSystem::FileSize(std::string_view path) {
  Node* node = Resolve(path);
  if (!node) return -1;
  if (node->IsFolder()) return Fail(kErrorAccessDenied), -1;
  return static_cast<int64_t>(node->data.size());
}

}  // namespace pel
