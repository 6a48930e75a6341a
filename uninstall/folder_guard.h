// Which folders a removal must never empty, whatever the registry names.
#pragma once

#include <string_view>

#include "base/text.h"
#include "sys/platform.h"

namespace pel {

// The shell's per-user folder keys under HKEY_CURRENT_USER; every value of
// either names a folder of the user's own.
inline constexpr std::string_view ShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr std::string_view UserShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// Why nothing may be deleted in folder, or empty text when a removal may
// delete in it. A folder is refused when it is empty or not a full path
// (drive letter and backslash, or \\server\share\), or when, compared as
// lower-cased short paths, it is a drive or share root, the Windows or system
// folder, a Program Files folder itself, the user's profile, or any folder the
// shell folder keys name. A folder that does not exist is not refused: there
// is nothing in it to delete.
Text FolderLeftAloneReason(Platform& platform, std::string_view folder);

// The message that tells the user which folder was left alone and why.
Text FolderLeftAloneMessage(std::string_view component, std::string_view folder,
                            std::string_view reason);

}  // namespace pel
