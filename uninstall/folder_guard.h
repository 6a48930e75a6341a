// Which folders a removal must never empty, whatever the registry names.
#pragma once

#include <span>
#include <string_view>

#include "app/constants.h"
#include "base/text.h"
#include "sys/platform.h"
#include "sys/resolved_folder.h"

namespace pel {

// The shell's per-user folder keys under HKEY_CURRENT_USER; every value of
// either names a folder of the user's own.
inline constexpr std::string_view ShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr std::string_view UserShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// Why nothing may be deleted in folder, or empty text when a removal may
// delete in it. Refused is a drive or share root, anything inside the Windows
// folder, and a folder that is or holds one of the protected ones: the
// Windows and system folders, Program Files (both) and Common Files, the
// user's profile, every known folder the system reports and every folder the
// shell folder keys name. Every one of them is resolved as the candidate was,
// so no spelling makes two of them differ.
Text FolderLeftAloneReason(Platform& platform, const ResolvedFolder& folder);

// Whether a component's files may be deleted from the folder its key names.
struct FolderVerdict {
  bool deletable = false;
  // Why not, for the user; empty when there is nothing to say (no folder is
  // recorded, or it does not exist: there is nothing in it to delete).
  Text reason;
};
// The programs that show a folder to be the component's.
inline constexpr std::string_view PelmoraPrograms[] = {ProductExe, UninstallerExe};
inline constexpr std::string_view MixmasterPrograms[] = {"mix.exe"};
// True when the resolved folder holds one of the programs.
bool HoldsProgram(FileSystem& fs, const FolderResolution& folder,
                  std::span<const std::string_view> programs);
// True when the held folder holds one of the programs as a file (no link).
bool HoldsProgram(HeldFolder& folder, std::span<const std::string_view> programs);
// The folder as resolved must be one the guard allows and must have held one
// of the component's own programs (holdsProgram, found before any step ran,
// for one component's step may take the other's program from a shared
// folder); any other outcome deletes nothing.
FolderVerdict JudgeComponentFolder(Platform& platform, const FolderResolution& folder,
                                   std::span<const std::string_view> programs, bool holdsProgram);

// The message that tells the user which folder was left alone and why.
Text FolderLeftAloneMessage(std::string_view component, std::string_view folder,
                            std::string_view reason);

}  // namespace pel
