// The copy's system side: folders and files told apart by what they are, not how they are spelled.
#include "uninstall/win32/temp_copy_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/constants.h"

#include "sys/paths.h"
#include "sys/platform.h"

namespace pel {
namespace {

TEST(Win32CopyHost, SameEntryByIdentityNotSpelling) {
  Win32CopyHost host(nullptr);
  FileSystem& fs = RealPlatform().files;
  Text temp = host.TempFolder();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');
  Text dir = temp + "Pel Same Folder " + std::to_string(GetCurrentProcessId());
  Text file = dir + "\\UninstPL.exe";
  ASSERT_TRUE(fs.MakeDirectory(dir));
  ASSERT_TRUE(fs.MakeDirectory(dir + "2"));
  ASSERT_TRUE(fs.WriteWholeFile(file, "x"));
  Text slashes = dir;
  for (char& c : slashes)
    if (c == '\\') c = '/';
  Text shortDir = ShortPathName(fs, dir);
  ASSERT_FALSE(shortDir.empty());

  for (const Text& same : {dir + "\\", AnsiLowerCase(dir), AnsiUpperCase(dir) + "\\", shortDir,
                           dir + "\\..\\" + ExtractFileName(dir), dir + "\\.", slashes})
    EXPECT_TRUE(host.SameEntry(dir, same)) << same;
  EXPECT_TRUE(host.SameEntry(file, shortDir + "\\uninstpl.exe"));
  for (const Text& other : {dir + "2", dir + "\\missing", temp, Text()})
    EXPECT_FALSE(host.SameEntry(dir, other)) << other;
  EXPECT_FALSE(host.SameEntry(file, dir));

  // The caller reads the error of its own operation afterwards.
  SetLastError(1234);
  host.SameEntry(dir, dir + "\\missing");
  EXPECT_EQ(GetLastError(), 1234u);

  fs.Delete(file);
  fs.RemoveEmptyDirectory(dir);
  fs.RemoveEmptyDirectory(dir + "2");
}

}  // namespace
}  // namespace pel
