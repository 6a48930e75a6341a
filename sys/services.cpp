// Shortcuts, program starts, the beep and system error texts over the shell seam.
#include "sys/services.h"

#include "sys/paths.h"

namespace pel {

Text ShortcutWorkingDirectory(std::string_view target) {
  return AnsiLowerCase(FolderPart(target));
}

int32_t CreateShortcut(Shell& shell, std::string_view target, std::string_view link_file,
                       std::string_view icon_file, std::string_view description,
                       std::string_view arguments) {
  ShortcutFields link;
  link.path = Text(target);
  link.description = Text(description);
  link.working_directory = ShortcutWorkingDirectory(target);
  link.icon_file = Text(icon_file);
  link.icon_index = 0;
  link.arguments = Text(arguments);
  return shell.SaveShortcut(link, link_file);
}

std::unique_ptr<StartedProcess> StartProgram(Shell& shell, std::string_view command_line,
                                             int show) {
  if (command_line.empty()) return nullptr;
  return shell.StartProcess({}, command_line, show);
}

std::unique_ptr<StartedProcess> StartProgramFile(Shell& shell, std::string_view program_path,
                                                 int show) {
  if (program_path.empty()) return nullptr;
  Text command_line = "\"" + Text(program_path) + "\"";
  return shell.StartProcess(program_path, command_line, show);
}

std::unique_ptr<StartedProcess> OpenFolderWindow(Shell& shell, std::string_view folder,
                                                 int show) {
  return StartProgram(shell, "explorer.exe " + Text(folder), show);
}

std::unique_ptr<StartedProcess> OpenFolderWindowQuoted(Shell& shell, FileSystem& fs,
                                                       std::string_view folder, int show) {
  Text windows = fs.WindowsDirectory();
  if (windows.empty()) return nullptr;
  Text explorer = WithTrailingBackslash(windows) + "explorer.exe";
  Text command_line = "\"" + explorer + "\"";
  Text bare = WithoutTrailingBackslash(folder);
  if (bare.ends_with(':')) {
    command_line += " " + bare + "\\";
  } else if (!bare.empty()) {
    command_line += " \"" + bare + "\"";
  }
  return shell.StartProcess(explorer, command_line, show);
}

void SystemBeep(Shell& shell, uint32_t sound_type) { shell.Beep(sound_type); }

Text SystemErrorText(Shell& shell, uint32_t code) { return shell.ErrorText(code); }

}  // namespace pel
