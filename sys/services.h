// Shortcuts, program starts, the beep and system error texts: the shell services the wizards use.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "base/text.h"
#include "sys/file_system.h"
#include "sys/shell.h"

namespace pel {

// The working folder a shortcut gets for its target: the target's folder part
// (up to and including its last backslash or colon), lower-cased with the
// ANSI mapping; empty when the target has neither.
Text ShortcutWorkingDirectory(std::string_view target);

// Creates the shortcut link_file for target with the icon taken from
// icon_file (index 0); arguments are set only when not empty. Returns the
// last COM result, negative on failure (kHrPathTooLong for a link path of more
// than 259 characters, which is then not saved).
int32_t CreateShortcut(Shell& shell, std::string_view target, std::string_view link_file,
                       std::string_view icon_file, std::string_view description,
                       std::string_view arguments);

// Starts the command line as it is, the program taken from it, without waiting.
// nullptr when nothing was started. Only for command lines whose program name
// has no blank ("explorer.exe <folder>"): an unquoted "C:\Program Files\..." is
// first tried as "C:\Program.exe".
std::unique_ptr<StartedProcess> StartProgram(Shell& shell, std::string_view command_line,
                                             int show);
// Starts the program file at program_path, with no arguments, without waiting:
// the path is the application name and is quoted on the command line, so a
// blank in it can never start another program. nullptr when nothing started.
std::unique_ptr<StartedProcess> StartProgramFile(Shell& shell, std::string_view program_path,
                                                 int show);
// Opens folder in an explorer window: "explorer.exe " + folder, unquoted.
std::unique_ptr<StartedProcess> OpenFolderWindow(Shell& shell, std::string_view folder,
                                                 int show = kShowNormal);
// Opens folder in an explorer window, starting the explorer of the Windows
// folder by its full path (never one found first beside the running program),
// with both paths quoted so blanks and commas stay inside them. A drive root
// goes unquoted ("C:\"), since a quote after its backslash would be read as
// an escaped quote. An empty folder opens the explorer's default window.
std::unique_ptr<StartedProcess> OpenFolderWindowQuoted(Shell& shell, FileSystem& fs,
                                                       std::string_view folder,
                                                       int show = kShowNormal);
// Plays the system sound (0: the default one).
void SystemBeep(Shell& shell, uint32_t sound_type);
// The system's text for an error code, CR LF included; empty when it has none.
Text SystemErrorText(Shell& shell, uint32_t code);

}  // namespace pel
