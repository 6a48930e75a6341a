// Which files of a destination are not the product's: the folder's own files, the distribution's, the database.
#include "setup/foreign_files.h"

#include <gtest/gtest.h>

#include "app/constants.h"
#include "sys/memory/memory_platform.h"

namespace pel {
namespace {

constexpr std::string_view kFolder = "C:\\Mail Tools";

struct Case {
  const char* what;
  // Entries of the folder: "name\" is a subfolder, "name+h" a hidden file.
  std::vector<Text> entries;
  const char* recorded;  // the earlier installation's AppDir; nullptr: none
  const char* asked;     // the destination as given; nullptr: the folder, "short": its 8.3 form
  const char* foreign;
};

TEST(ForeignFiles, OnlyFilesTheRemovalWouldTakeThatAreNotTheProductsCount) {
  const Case cases[] = {
      {"missing folder", {"notes.txt"}, nullptr, "C:\\Nowhere", ""},
      {"a file, not a folder", {"notes.txt"}, nullptr, "C:\\Mail Tools\\notes.txt", ""},
      {"empty folder", {}, nullptr, nullptr, ""},
      {"what the distribution installs, in any case",
       {"readme.TXT", "LICENSE.txt", "QuickStart.rtf", "pl.ini"}, nullptr, nullptr, ""},
      {"a user's file", {"ReadMe.txt", "notes.txt"}, nullptr, nullptr, "notes.txt"},
      {"a hidden user file", {"desktop.ini+h"}, nullptr, nullptr, "desktop.ini"},
      {"what a removal leaves", {"PL.DBC", "pl.pgp", "Pl.Pgp.Bak", "data\\", "data\\in.dpc"},
       nullptr, nullptr, ""},
      {"and a journal a kill left", {"PL.dbc", "PL.dbc.jnl", "pl.DBC.jnl.old"}, nullptr, nullptr, ""},
      {"setup.exe is installed under another name", {"setup.exe"}, nullptr, nullptr, "setup.exe"},
      {"a near-name of the database", {"pl.dbc.old"}, nullptr, nullptr, "pl.dbc.old"},
      {"a subfolder never counts", {"notes.txt\\", "notes.txt\\a.doc"}, nullptr, nullptr, ""},
      {"the product is in it", {"pl.EXE", "notes.txt"}, nullptr, nullptr, ""},
      {"its uninstaller is in it", {"UNINSTPL.EXE", "client.log"}, nullptr, nullptr, ""},
      {"the earlier installation's folder", {"client.log"}, "C:\\Mail Tools", nullptr, ""},
      {"that folder in another spelling", {"client.log"}, "c:\\MAIL TOOLS\\", "short", ""},
      {"an earlier installation elsewhere", {"notes.txt"}, "C:\\Program Files\\Pelmora", nullptr,
       "notes.txt"},
      {"an earlier installation without a folder", {"notes.txt"}, "", nullptr, "notes.txt"},
  };
  for (const Case& c : cases) {
    MemoryPlatform mem;
    MemoryFileSystem& fs = mem.files;
    fs.MakeDirectories("C:\\Dist\\Extras");
    for (const char* name : {"setup.exe", "PL.exe", "PL.ini", "License.txt", "ReadMe.txt",
                             "QuickStart.rtf", "Extras\\notes.txt"})
      fs.WriteWholeFile(Text("C:\\Dist\\") + name, "x");
    fs.MakeDirectories(kFolder);
    for (Text e : c.entries) {
      Text path = Text(kFolder) + "\\" + e;
      bool hidden = path.ends_with("+h");
      if (hidden) path.resize(path.size() - 2);
      if (path.ends_with("\\")) {
        fs.MakeDirectories(path);
        continue;
      }
      fs.WriteWholeFile(path, "mine");
      if (hidden) fs.SetAttributes(path, kAttrHidden);
    }
    if (c.recorded) mem.registry.Put(ProductKey, RegAppDir, {RegType::String, c.recorded});
    Text asked = !c.asked ? Text(kFolder) : Text(c.asked) == "short" ? fs.ShortPathName(kFolder) : Text(c.asked);
    ASSERT_FALSE(asked.empty()) << c.what;
    EXPECT_EQ(FindForeignFile(fs, mem.registry, asked, "C:\\Dist"), c.foreign) << c.what;
  }
}

}  // namespace
}  // namespace pel
