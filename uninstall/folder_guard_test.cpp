// The folders a removal must leave alone, compared as lower-cased short paths.
#include <gtest/gtest.h>

#include "sys/memory/memory_platform.h"
#include "uninstall/folder_guard.h"

namespace pel {
namespace {

TEST(FolderGuard, RefusesSystemAndPersonalFolders) {
  MemoryPlatform m;
  m.files.AddDrive('D');
  m.files.MakeDirectories("C:\\Users\\user\\Desktop");
  m.files.MakeDirectories("C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs");
  m.files.MakeDirectories("C:\\Program Files\\Pelmora");
  m.files.MakeDirectories("C:\\Pel");
  m.registry.Put(ShellFoldersKey, "Desktop", {RegType::String, "C:\\Users\\user\\Desktop"});
  m.registry.Put(ShellFoldersKey, "Bad", {RegType::Integer, "", 1});
  m.registry.Put(UserShellFoldersKey, "Programs",
                 {RegType::ExpandString, "%APPDATA%\\Microsoft\\Windows\\Start Menu\\Programs"});
  struct Case {
    const char* folder;
    const char* reason;  // a part of the reason; nullptr: may be deleted in
  };
  const Case cases[] = {
      {"", "no folder"},
      {"Pelmora\\", "not a full path"},
      {"C:Pelmora\\", "not a full path"},
      {"\\Pelmora\\", "not a full path"},
      {"C:\\", "root of a drive"},
      {"d:\\", "root of a drive"},
      {"c:\\windows\\", "Windows folder"},
      {"C:\\WINDOWS\\SYSTEM32\\", "system folder"},
      {"C:\\PROGRA~1\\", "Program Files"},
      {"C:\\Users\\User\\", "profile"},
      {"C:\\users\\user\\desktop\\", "(Desktop)"},
      {"C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\", "(Programs)"},
      {"C:\\Program Files\\Pelmora\\", nullptr},
      {"C:\\Pel\\", nullptr},
      {"C:\\Users\\user\\Desktop\\Mix\\", nullptr},  // missing: nothing to delete
  };
  for (const Case& c : cases) {
    Text reason = FolderLeftAloneReason(m.platform(), c.folder);
    if (c.reason) {
      EXPECT_NE(reason.find(c.reason), Text::npos) << c.folder << ": " << reason;
    } else {
      EXPECT_EQ(reason, "") << c.folder;
    }
  }
}

TEST(FolderGuard, MessageNamesFolderAndReason) {
  EXPECT_EQ(FolderLeftAloneMessage("Pelmora", "C:\\", "it is the root of a drive"),
            "The files of Pelmora were not deleted from the folder\nC:\\\nbecause it is the root "
            "of a drive. Nothing in it was touched.");
}

}  // namespace
}  // namespace pel
