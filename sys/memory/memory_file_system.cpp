// An in-memory file system that behaves, for the callers, like a Windows volume set.
#include "sys/memory/memory_file_system.h"
#include "sys/memory/memory_file_node.h"

#include <string>

#include "base/narrow_path.h"
#include "sys/paths.h"

namespace pel {

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

bool MemoryFileSystem::AddDrive(char letter, bool short_names) {
  letter = UpperAscii(letter);
  if (!IsLetter(letter) || drives_.count(letter)) return false;
  auto root = std::make_unique<Node>();
  root->name = Text(1, letter) + ":";
  root->attributes = kAttrDirectory;
  root->no_short_names = !short_names;
  root->index = next_index_++;  // the volume's serial number
  drives_[letter] = std::move(root);
  return true;
}

MemoryFileSystem::Node* MemoryFileSystem::NewChild(Node* parent, std::string_view name,
                                                   uint32_t attributes) {
  auto node = std::make_unique<Node>();
  node->name = Text(name);
  node->attributes = attributes;
  node->index = next_index_++;
  node->parent = parent;
  const Node* root = parent;
  while (root->parent) root = root->parent;
  if (!IsShortName(name) && !root->no_short_names) {
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
  // As SetFileAttributes takes them: compression is no attribute one sets.
  constexpr uint32_t kSettable =
      kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive | kAttrNotContentIndexed;
  constexpr uint32_t kKept = kAttrDirectory | kAttrReparsePoint | kAttrCompressed;
  node->attributes = (attributes & kSettable) | (node->attributes & kKept);
  return true;
}

bool MemoryFileSystem::MarkCompressed(std::string_view path) {
  Node* node = Resolve(path);
  if (!node) return false;
  node->attributes |= kAttrCompressed;
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
    if (!child->unicode_name.empty()) {
      // Named by its short form, or by nothing; marked, and shown with '?'.
      if (mask == "*" || mask == "*.*" ||
          (!child->short_name.empty() && MatchesMask(child->short_name, mask))) {
        DirEntry e{child->short_name, child->Reported(), true, Text()};
        WesternCodePage().Narrow(Utf16FromUtf8(child->unicode_name), &e.shown);
        out->push_back(std::move(e));
      }
      continue;
    }
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
  if (node->folder_holds) return Fail(kErrorSharingViolation);
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
    if (target->held || target->running || target->claims) return Fail(kErrorSharingViolation);
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
  ++target->written;
  return true;
}

bool MemoryFileSystem::Delete(std::string_view path) {
  Node* node = Resolve(path);
  if (!node) return false;
  if (node->held || node->claims) return Fail(kErrorSharingViolation);
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
  if (source->held || source->folder_holds || source->claims) return Fail(kErrorSharingViolation);
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
    if (target->held || target->claims) return Fail(kErrorSharingViolation);
    if (target->IsFolder() || source->IsFolder() || (target->attributes & kAttrReadOnly) ||
        target->running)
      return Fail(kErrorAccessDenied);
    parent->children.erase(AnsiLowerCase(target->name));
  }
  Node* moved = NewChild(parent, name, source->attributes);
  moved->data = std::move(source->data);
  moved->link_target = source->link_target;
  moved->running = source->running;
  moved->index = source->index;
  moved->written = source->written;
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

Text MemoryFileSystem::WindowsDirectory() { return "C:\\Windows"; }

Text MemoryFileSystem::SystemFolderPath(SystemFolder which) { return system_folders_[which]; }


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
  bool foreign = false;
  for (const Text& name : current_) {
    out += "\\" + name;
    foreign = foreign || name.starts_with('\x01');
  }
  if (!foreign) return out;
  Node* node = Resolve(".");
  return node ? Outgoing(node) : Text();
}

bool MemoryFileSystem::MakeUnicodeEntry(std::string_view folder, std::string_view utf8_name,
                                        bool is_folder, std::string_view data) {
  Node* parent = Resolve(folder);
  if (parent) parent = Follow(parent);
  if (!parent || !parent->IsFolder()) return Fail(kErrorPathNotFound);
  WesternCodePage code_page;
  Text narrow;
  if (code_page.Narrow(Utf16FromUtf8(utf8_name), &narrow)) {
    Node* node = NewChild(parent, narrow, is_folder ? kAttrDirectory : kAttrArchive);
    node->data = Text(data);
    return true;
  }
  // The short form keeps what it can of the name and '_' for each
  // character outside ASCII, as the volume would.
  Text ascii;
  for (char16_t c : Utf16FromUtf8(utf8_name)) {
    if (c >= 0xDC00 && c < 0xE000) continue;
    ascii += c < 0x80 ? static_cast<char>(c) : '_';
  }
  Node* node = NewChild(parent, "\x01" + Text(utf8_name), is_folder ? kAttrDirectory : kAttrArchive);
  node->unicode_name = Text(utf8_name);
  node->data = Text(data);
  node->short_name.clear();
  const Node* root = parent;
  while (root->parent) root = root->parent;
  if (!root->no_short_names) {
    size_t dot = ascii.find_last_of('.');
    Text stem = ShortPart(dot == Text::npos ? ascii : ascii.substr(0, dot), 6);
    Text ext = dot == Text::npos ? Text() : ShortPart(ascii.substr(dot + 1), 3);
    if (stem.empty()) stem = "_";
    for (int n = 1;; ++n) {
      Text candidate = stem + "~" + std::to_string(n) + (ext.empty() ? "" : "." + ext);
      if (!parent->Child(candidate)) {
        node->short_name = candidate;
        break;
      }
    }
  }
  return true;
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
    if (node->held || node->running || node->claims) return Fail(kErrorSharingViolation);
    if (node->IsFolder() ||
        (node->attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem))) {
      return Fail(kErrorAccessDenied);
    }
  } else {
    node = NewChild(parent, name, kAttrArchive);
  }
  node->data = Text(data);
  ++node->written;
  return true;
}

// Every call here is whole at once, so a durable write is an ordinary one.
bool MemoryFileSystem::WriteFileDurably(std::string_view path, std::string_view data) {
  return WriteWholeFile(path, data);
}

bool MemoryFileSystem::DeleteIdentified(std::string_view path, const FileIdentity& identity) {
  // A link is never the file it names: it is what the handle would open.
  Node* node = Resolve(path);
  if (!node) return false;
  if (node->held || node->claims) return Fail(kErrorSharingViolation);
  FileIdentity now;
  if (!node->link_target.empty() || !Identify(path, &now) || !Unchanged(identity, now))
    return Fail(kErrorNotSameFile);
  return Delete(path);
}

bool MemoryFileSystem::ReadWholeFile(std::string_view path, Text* data) {
  data->clear();
  Node* node = Resolve(path);
  if (!node) return false;
  if (node->IsFolder()) return Fail(kErrorAccessDenied);
  if (node->held || node->claims) return Fail(kErrorSharingViolation);
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
