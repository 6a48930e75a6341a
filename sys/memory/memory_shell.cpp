// An in-memory shell: shortcut files in the memory file system, and a record of started programs and beeps.
#include "sys/memory/memory_shell.h"

#include <cstdlib>
#include <string>

#include "base/string_list.h"
#include "sys/paths.h"

namespace pel {

namespace {

constexpr std::string_view kLinkMagic = "PELMORA-MEMORY-LINK";

// A memory process runs until it is terminated.
class MemoryProcess final : public StartedProcess {
 public:
  bool WaitForExit(uint32_t) override { return ended_; }
  bool Terminate() override {
    ended_ = true;
    return true;
  }

 private:
  bool ended_ = false;
};

bool HasExtension(std::string_view name) {
  size_t dot = name.find_last_of('.');
  size_t slash = name.find_last_of("\\:");
  return dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
}

}  // namespace

int32_t MemoryShell::SaveShortcut(const ShortcutFields& link, std::string_view link_file) {
  // The path goes through a MAX_PATH buffer on Windows.
  if (link_file.size() > 259) return kHrPathTooLong;
  StringList lines;
  lines.Add(kLinkMagic);
  lines.Add(link.path);
  lines.Add(link.description);
  lines.Add(link.working_directory);
  lines.Add(link.icon_file);
  lines.Add(std::to_string(link.icon_index));
  lines.Add(link.arguments);
  if (!files_.WriteWholeFile(link_file, lines.GetText())) {
    return static_cast<int32_t>(0x80070000u | files_.LastError());
  }
  shortcuts_.push_back({Text(link_file), link, !link.arguments.empty()});
  return kHrOk;
}

bool MemoryShell::LoadShortcut(std::string_view link_file, ShortcutFields* link) {
  Text data;
  if (!files_.ReadWholeFile(link_file, &data)) return false;
  StringList lines;
  lines.SetText(data);
  while (lines.Count() < 7) lines.Add("");
  if (lines[0] != kLinkMagic) return false;
  link->path = lines[1];
  link->description = lines[2];
  link->working_directory = lines[3];
  link->icon_file = lines[4];
  link->icon_index = std::atoi(lines[5].c_str());
  link->arguments = lines[6];
  return true;
}

Text MemoryShell::FindFile(std::string_view name) {
  auto probe = [&](const Text& candidate) -> Text {
    if (files_.FileExists(candidate)) return files_.StoredSpelling(candidate);
    if (!HasExtension(candidate) && files_.FileExists(candidate + ".exe")) {
      return files_.StoredSpelling(candidate + ".exe");
    }
    return Text();
  };
  if (name.find_first_of("\\:") != std::string_view::npos) return probe(Text(name));
  // A bare name: the current folder, then the system folders.
  for (const Text& folder : {files_.CurrentDirectory(), files_.WindowsDirectory() + "\\System32",
                             files_.WindowsDirectory()}) {
    Text found = probe(WithTrailingBackslash(folder) + Text(name));
    if (!found.empty()) return found;
  }
  return Text();
}

Text MemoryShell::FindProgram(std::string_view command_line) {
  size_t start = command_line.find_first_not_of(" \t");
  if (start == std::string_view::npos) return Text();
  command_line = command_line.substr(start);
  if (command_line[0] == '"') {
    size_t close = command_line.find('"', 1);
    std::string_view name = command_line.substr(1, close == std::string_view::npos
                                                        ? std::string_view::npos
                                                        : close - 1);
    return FindFile(name);
  }
  // Unquoted: every prefix that ends before a blank is tried in turn, the
  // shortest first, as CreateProcess does ("C:\Program Files\x.exe" tries
  // "C:\Program.exe" before anything else).
  for (size_t cut = 0;; ++cut) {
    cut = command_line.find_first_of(" \t", cut);
    std::string_view candidate = command_line.substr(0, cut);
    Text found = FindFile(candidate);
    if (!found.empty()) return found;
    if (cut == std::string_view::npos) return Text();
  }
}

std::unique_ptr<StartedProcess> MemoryShell::StartProcess(std::string_view application,
                                                          std::string_view command_line,
                                                          int show) {
  Text program = application.empty() ? FindProgram(command_line) : FindFile(application);
  if (program.empty()) return nullptr;
  starts_.push_back({Text(application), Text(command_line), show, program,
                     files_.CurrentDirectory()});
  return std::make_unique<MemoryProcess>();
}

Text MemoryShell::ErrorText(uint32_t code) {
  // The texts Wine gives, so that the same expectations hold for both.
  switch (code) {
    case 0: return "Success.\r\n";
    case 2: return "File not found.\r\n";
    case 3: return "Path not found.\r\n";
    case 5: return "Access denied.\r\n";
    case 32: return "Sharing violation.\r\n";
    case 80: return "File exists.\r\n";
    case 112: return "Disk full.\r\n";
    case 145: return "Directory not empty.\r\n";
    case 183: return "File already exists.\r\n";
    default: return Text();
  }
}

}  // namespace pel
