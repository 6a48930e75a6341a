// One suite, both platforms: names outside the system's code page reach the core by their short forms or not at all.
#include <gtest/gtest.h>

#include "sys/conformance_env.h"
#include "base/narrow_path.h"
#include "sys/paths.h"

namespace pel {
namespace {

class CodePageNames : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = MakeConformanceEnv();
    ASSERT_TRUE(env_);
  }
  FileSystem& fs() { return env_->platform().files; }
  Text S(std::string_view rest) { return env_->scratch() + Text(rest); }
  // The one listed entry of the scratch folder whose name came in as *shown.
  const DirEntry* Entry(const std::vector<DirEntry>& entries, std::string_view shown) {
    for (const DirEntry& e : entries)
      if (e.shown == shown || e.name == shown) return &e;
    return nullptr;
  }
  std::unique_ptr<ConformanceEnv> env_;
};

// The scripts of the user names a Western system meets; each best-fits to
// something else through the 8-bit calls ("Lukasz", "?????").
struct Foreign {
  std::string_view utf8;
  std::string_view shown;  // with '?' for what the code page lacks
};
constexpr Foreign kForeign[] = {
    {"Łukasz", "?ukasz"},
    {"Дмитрий", "???????"},
    {"Ελένη", "?????"},
    {"王小明", "???"},
    {"a／b＂c", "a?b?c"},
};

TEST_F(CodePageNames, ListingsMarkForeignNamesAndNameThemByTheirShortForms) {
  for (const Foreign& f : kForeign) ASSERT_TRUE(env_->MakeUnicodeEntry(env_->scratch(), f.utf8, true)) << f.utf8;
  // Letters of the code page are no foreign names.
  ASSERT_TRUE(env_->MakeUnicodeEntry(env_->scratch(), "Jörg Müller.txt", false));
  std::vector<DirEntry> mine, foreign;
  ASSERT_TRUE(fs().List(S("*.*"), kAttrAll, &mine, &foreign));
  ASSERT_EQ(mine.size(), 1u);
  EXPECT_EQ(mine[0].name, "J\xF6rg M\xFCller.txt");
  EXPECT_FALSE(mine[0].outside_code_page);
  Text data;
  EXPECT_TRUE(fs().ReadWholeFile(S("J\xF6rg M\xFCller.txt"), &data));
  EXPECT_EQ(data, "made elsewhere");
  ASSERT_EQ(foreign.size(), std::size(kForeign));
  for (const Foreign& f : kForeign) {
    const DirEntry* e = Entry(foreign, f.shown);
    ASSERT_NE(e, nullptr) << f.utf8;
    EXPECT_TRUE(e->outside_code_page);
    EXPECT_EQ(e->shown, f.shown);
    // The short form opens that very folder; it is ASCII.
    ASSERT_FALSE(e->name.empty()) << f.utf8;
    for (char c : e->name) EXPECT_LT(static_cast<unsigned char>(c), 0x80) << e->name;
    EXPECT_TRUE(fs().DirectoryExists(S(e->name))) << e->name;
  }
  // Without the second list such entries are simply not there.
  std::vector<DirEntry> plain;
  ASSERT_TRUE(fs().List(S("*.*"), kAttrAll, &plain));
  EXPECT_EQ(plain, mine);
  // The best-fitted spelling names nothing.
  EXPECT_FALSE(fs().DirectoryExists(S("Lukasz")));
}

// Every path the system gives back through a foreign folder comes in by its
// short form, which names the same file; never a look-alike, never '?'.
TEST_F(CodePageNames, PathsThroughAForeignFolderComeInByTheirShortForms) {
  ASSERT_TRUE(env_->MakeUnicodeEntry(env_->scratch(), "Łukasz Дмитрий", true));
  std::vector<DirEntry> mine, foreign;
  ASSERT_TRUE(fs().List(S("*"), kAttrAll, &mine, &foreign));
  ASSERT_EQ(foreign.size(), 1u);
  Text folder = S(foreign[0].name);
  ASSERT_TRUE(fs().WriteWholeFile(folder + "\\PL.exe", "MZ pl"));

  Text final = fs().FinalPathName(folder + "\\PL.exe");
  ASSERT_FALSE(final.empty());
  EXPECT_EQ(final.find('?'), Text::npos) << final;
  EXPECT_EQ(final.find("Lukasz"), Text::npos) << final;
  Text data;
  EXPECT_TRUE(fs().ReadWholeFile(final, &data));
  EXPECT_EQ(data, "MZ pl");

  Text short_form = fs().ShortPathName(folder + "\\PL.exe");
  EXPECT_TRUE(AnsiSameText(short_form, folder + "\\PL.exe") || fs().FileExists(short_form)) << short_form;

  Text before = fs().CurrentDirectory();
  ASSERT_TRUE(fs().ChangeDirectory(folder));
  Text current = fs().CurrentDirectory();
  fs().ChangeDirectory(before);
  EXPECT_EQ(current.find('?'), Text::npos) << current;
  EXPECT_TRUE(fs().FileExists(WithTrailingBackslash(current) + "PL.exe")) << current;
}

}  // namespace
}  // namespace pel
