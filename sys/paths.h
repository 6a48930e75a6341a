// Folder paths and folder trees over the file-system seam, shared by installer, uninstaller and store.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/string_list.h"
#include "base/text.h"
#include "sys/file_system.h"
#include "sys/resolved_folder.h"

namespace pel {

// The path with one backslash added when it is non-empty and does not end in
// one ("C:" becomes "C:\"); empty stays empty.
Text WithTrailingBackslash(std::string_view path);
// The path without its final backslash when it ends in one (only one is
// taken: "C:\" becomes "C:", "a\\" becomes "a\"); otherwise unchanged.
Text WithoutTrailingBackslash(std::string_view path);

// The folder part of a path: everything up to and including its last
// backslash or colon; empty when it has neither.
Text FolderPart(std::string_view path);

// The short (8.3) form of an existing path; empty text when the platform
// cannot give one (a missing path among them).
Text ShortPathName(FileSystem& fs, std::string_view path);
// The Windows folder exactly as the platform gives it; empty on failure.
Text WindowsDirectory(FileSystem& fs);

// Removes a folder tree, the folder as resolved (so no spelling of it can
// name another). Entries whose attributes are exactly the folder bit are
// entered (through their short names) before the files of their folder are
// deleted; a folder link is removed as the link, never walked; everything
// else is deleted as a file, failures ignored and attributes never changed, so
// read-only files survive together with every folder above them. True only
// when the top folder was removed.
bool DeleteTree(FileSystem& fs, const ResolvedFolder& folder);

// Lists pattern (a folder path and a file mask) with the attribute mask and
// returns the number of entries; target, when given, is replaced by their full
// paths (the pattern's folder part followed by the name as stored). 0, and an
// empty target, when the folder is missing or nothing matches.
int ListDirectory(FileSystem& fs, StringList* target, std::string_view pattern, uint32_t mask);

}  // namespace pel
