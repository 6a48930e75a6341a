// The path conversion rule over the system's own code page, and real folders whose names it cannot hold.
#include "base/win32/wide_path.h"

#include <gtest/gtest.h>

#include "base/narrow_path_cases.h"
#include "sys/win32/win32_platform.h"

namespace pel::win32 {
namespace {

// The system's code page decides as the model does, case by case: no best fit.
TEST(WidePath, TheRuleOverTheSystemCodePage) {
  ASSERT_EQ(GetACP(), 1252u) << "the cases are written for code page 1252";
  for (const NarrowCase& c : kNarrowCases) {
    NarrowedPath got = NarrowPath(TheSystemCodePage(), Utf16FromUtf8(c.long_path),
                                  [&](std::u16string_view) { return Utf16FromUtf8(c.short_path); });
    EXPECT_EQ(got.form, c.form) << c.what;
    EXPECT_EQ(got.path, c.bytes) << c.what;
  }
}

TEST(WidePath, EveryByteOfTheCodePageComesBackAsItself) {
  Text all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  Text back;
  ASSERT_TRUE(NarrowText(Wide(all), &back));
  EXPECT_EQ(back, all);
  // The model of the native builds is the system's table.
  EXPECT_EQ(WesternCodePage().Widen(all), TheSystemCodePage().Widen(all));
}

class ForeignFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    base_ = std::wstring(temp) + L"pel-wide-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(base_.c_str(), nullptr));
    foreign_ = base_ + L"\\\u0141ukasz \u0414\u043C\u0438\u0442\u0440\u0438\u0439";
    ASSERT_TRUE(CreateDirectoryW(foreign_.c_str(), nullptr));
    HANDLE f = CreateFileW((foreign_ + L"\\PL.exe").c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    CloseHandle(f);
  }
  void TearDown() override {
    DeleteFileW((foreign_ + L"\\PL.exe").c_str());
    DeleteFileW((foreign_ + L"\\\u738B.txt").c_str());
    RemoveDirectoryW(foreign_.c_str());
    RemoveDirectoryW(base_.c_str());
  }
  std::wstring base_, foreign_;
};

// The folder comes in by its short form, which the 8-bit calls open; the
// best-fitted spelling would have named a folder that is not there.
TEST_F(ForeignFolder, ComesInByItsShortForm) {
  NarrowedPath got = NarrowSystemPath(foreign_);
  ASSERT_EQ(got.form, PathForm::Short) << got.shown;
  EXPECT_EQ(got.path.find("Lukasz"), Text::npos);
  Win32FileSystem fs;
  EXPECT_TRUE(fs.DirectoryExists(got.path)) << got.path;
  EXPECT_TRUE(fs.FileExists(got.path + "\\PL.exe"));
  EXPECT_EQ(fs.FinalPathName(got.path + "\\PL.exe").find('?'), Text::npos);

  // The current folder there comes in the same way.
  wchar_t before[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_TRUE(SetCurrentDirectoryW(foreign_.c_str()));
  Text current = fs.CurrentDirectory();
  SetCurrentDirectoryW(before);
  EXPECT_TRUE(fs.FileExists(current + "\\PL.exe")) << current;
}

// A listing names such an entry by its short form and marks it, so that no
// caller takes it for one of its own files.
TEST_F(ForeignFolder, ListingMarksNamesOutsideTheCodePage) {
  HANDLE f = CreateFileW((foreign_ + L"\\\u738B.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                         CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  CloseHandle(f);
  Win32FileSystem fs;
  std::vector<DirEntry> entries, foreign;
  ASSERT_TRUE(fs.List(NarrowSystemPath(foreign_).path + "\\*.*", kAttrAll, &entries, &foreign));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "PL.exe");
  EXPECT_FALSE(entries[0].outside_code_page);
  ASSERT_EQ(foreign.size(), 1u);
  EXPECT_TRUE(foreign[0].outside_code_page);
  EXPECT_EQ(foreign[0].shown, "?.txt");
  // A short form or nothing; never a look-alike with '?'.
  EXPECT_EQ(foreign[0].name.find('?'), Text::npos) << foreign[0].name;
}

}  // namespace
}  // namespace pel::win32
