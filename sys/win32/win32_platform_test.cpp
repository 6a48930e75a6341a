// Win32-only behaviour: the Program Manager conversation, and programs started by a path with blanks.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "sys/paths.h"
#include "sys/platform.h"
#include "sys/services.h"
#include "uninstall/removal_steps.h"

namespace pel {
namespace {

// Lets DDEML and the windows of this thread run while waiting for done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done()) return true;
    if (GetTickCount() - start > timeout_ms) return false;
    Sleep(20);
  }
}

BOOL CALLBACK CloseIfTitled(HWND window, LPARAM title) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  if (Text(text).find(reinterpret_cast<const char*>(title)) != Text::npos) {
    PostMessageA(window, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

Text ProgramsFolder(Registry& registry) {
  auto key = registry.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
  return key ? key->ReadString("Programs").value : Text();
}

class Progman : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "the Program Manager needs a display";
  }
};

TEST_F(Progman, DeleteGroupRemovesTheGroupThatCreateGroupMade) {
  Platform& p = RealPlatform();
  Text programs = ProgramsFolder(p.registry);
  ASSERT_FALSE(programs.empty());
  Text group = "Pel Conformance " + std::to_string(GetCurrentProcessId());
  Text folder = WithTrailingBackslash(programs) + group;
  {
    auto conv = p.dde.Connect("PROGMAN", "PROGMAN", ProgramManagerPath(p.files));
    ASSERT_NE(conv, nullptr);
    EXPECT_TRUE(conv->Execute("[CreateGroup(" + group + ")]"));
    EXPECT_TRUE(PumpUntil([&] { return p.files.DirectoryExists(folder); }, 5000)) << folder;
  }
  // CreateGroup shows the new group in a window of its own.
  PumpUntil([] { return false; }, 300);
  EnumWindows(CloseIfTitled, reinterpret_cast<LPARAM>(group.c_str()));
  ASSERT_TRUE(p.files.DirectoryExists(folder));

  // As the uninstaller does it: send, close at once, go on with other work.
  {
    auto conv = p.dde.Connect("PROGMAN", "PROGMAN", ProgramManagerPath(p.files));
    ASSERT_NE(conv, nullptr);
    EXPECT_TRUE(conv->Execute("[DeleteGroup(" + group + ")]"));
  }
  EXPECT_TRUE(PumpUntil([&] { return !p.files.DirectoryExists(folder); }, 5000)) << folder;
}

TEST(Dde, UnknownServiceIsNotOpened) {
  EXPECT_EQ(RealPlatform().dde.Connect("PELNOSUCHSERVICE", "NOTOPIC", ""), nullptr);
}

TEST(StartProgramFile, PathWithBlanksStartsThatProgram) {
  Platform& p = RealPlatform();
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, temp);
  Text folder = WithTrailingBackslash(temp) + "pel start " + std::to_string(GetCurrentProcessId());
  Text program = folder + "\\Pel Dir\\ping.exe";
  ASSERT_TRUE(p.files.MakeDirectory(folder));
  ASSERT_TRUE(p.files.MakeDirectory(folder + "\\Pel Dir"));
  ASSERT_TRUE(p.files.Copy(WindowsDirectory(p.files) + "\\System32\\ping.exe", program, false));
  auto process = StartProgramFile(p.shell, program, kShowNormal);
  EXPECT_NE(process, nullptr);
  if (process) {
    // Without arguments the program only prints its usage and ends.
    EXPECT_TRUE(process->WaitForExit(10000));
  }
  process.reset();
  p.files.Delete(program);
  p.files.RemoveEmptyDirectory(folder + "\\Pel Dir");
  p.files.RemoveEmptyDirectory(folder);
}

}  // namespace
}  // namespace pel
