// Whether a destination folder holds files that are not the product's, which a removal would delete with it.
#pragma once

#include <string_view>
#include <vector>

#include "base/text.h"
#include "sys/file_system.h"
#include "sys/registry.h"

namespace pel {

// The file names the distribution in sourceFolder puts into a destination,
// lower-cased: every file of the folder, setup.exe under the uninstaller's name.
std::vector<Text> InstalledFileNames(FileSystem& fs, std::string_view sourceFolder);

// True for the product's own folder, whose other files belong to the mail
// client: the earlier installation's recorded folder (by identity, not by
// spelling), or a folder holding the product or its uninstaller.
bool IsProductFolder(FileSystem& fs, Registry& registry, std::string_view folder);

// The first file of the existing folder, by its listed name, that the next
// removal would delete although it is neither a file the distribution installs
// nor one of the three database files. Empty when there is none, when the
// folder is the product's or when it does not exist. Subfolders never count:
// the removal does not touch them.
Text FindForeignFile(FileSystem& fs, Registry& registry, std::string_view folder,
                     std::string_view sourceFolder);

// The question the wizard asks before it makes such a folder the product's.
Text ForeignFolderQuestion(std::string_view folder, std::string_view file);

}  // namespace pel
