// The real uninstall wizard under a display: opened, walked and run from a second thread as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/constants.h"
#include "gui/win32/application.h"
#include "base/text.h"
#include "uninstall/win32/uninst_dialog.h"
#include "uninstall/win32/uninst_ids.h"

namespace pel {
namespace {

using Clock = std::chrono::steady_clock;

Text TextOf(HWND h) {
  char buf[1024] = "";
  GetWindowTextA(h, buf, sizeof buf);
  return buf;
}

HWND WaitForDialog(const char* caption, int timeoutMs = 10000) {
  struct Want {
    const char* caption;
    HWND found;
  } want{caption, nullptr};
  for (auto start = Clock::now();
       !want.found && Clock::now() - start < std::chrono::milliseconds(timeoutMs); Sleep(10)) {
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
          auto* w = reinterpret_cast<Want*>(lp);
          DWORD pid = 0;
          GetWindowThreadProcessId(h, &pid);
          if (pid == GetCurrentProcessId() && IsWindowVisible(h) && TextOf(h) == w->caption)
            w->found = h;
          return !w->found;
        },
        reinterpret_cast<LPARAM>(&want));
  }
  return want.found;
}

// A visible top-level window of any program whose caption holds part.
HWND WaitForCaptionPart(const char* part, int timeoutMs) {
  struct Want {
    const char* part;
    HWND found;
  } want{part, nullptr};
  for (auto start = Clock::now();
       !want.found && Clock::now() - start < std::chrono::milliseconds(timeoutMs); Sleep(50)) {
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
          auto* w = reinterpret_cast<Want*>(lp);
          if (IsWindowVisible(h) && TextOf(h).find(w->part) != Text::npos) w->found = h;
          return !w->found;
        },
        reinterpret_cast<LPARAM>(&want));
  }
  return want.found;
}

// A control of the window or of one of its pages (child dialogs).
HWND Control(HWND dlg, int id) {
  if (HWND h = GetDlgItem(dlg, id)) return h;
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (HWND h = GetDlgItem(c, id); h && GetParent(h) == c) return h;
  return nullptr;
}
void Press(HWND dlg, int id) { PostMessageA(Control(dlg, id), BM_CLICK, 0, 0); }
Text Item(HWND dlg, int id) { return TextOf(Control(dlg, id)); }
// Multi-line text with its line ends as CR alone, however the control gives them.
Text Lines(HWND dlg, int id) {
  Text t = Item(dlg, id);
  std::erase(t, '\n');
  return t;
}

class UninstDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadLibraryA("riched20.dll");  // the wizard's rich text controls
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    folder_ = Text(temp) + "Pel Uninst Test\\";
    CreateDirectoryA(folder_.c_str(), nullptr);
    // The product's own program shows the folder to be its own.
    for (const char* f : {"PL.dbc", "readme.txt", "PL.exe"}) {
      HANDLE h = CreateFileA((folder_ + f).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      ASSERT_NE(h, INVALID_HANDLE_VALUE) << folder_ << f;
      CloseHandle(h);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Pelmora");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Mixmaster");
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Pelmora");
    DeleteFileA((folder_ + "PL.dbc").c_str());
    DeleteFileA((folder_ + "readme.txt").c_str());
    DeleteFileA((folder_ + "PL.exe").c_str());
    RemoveDirectoryA(folder_.c_str());
  }
  void Register() {
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Pelmora", &key), ERROR_SUCCESS);
    Text dir = folder_.substr(0, folder_.size() - 1);
    RegSetValueExA(key, "AppDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(dir.c_str()),
                   static_cast<DWORD>(dir.size() + 1));
    // No group: no Program Manager conversation in a unit test.
    RegSetValueExA(key, "Program Group", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(".9b2"), 5);
    RegCloseKey(key);
  }
  Text folder_;
};

// One test: both phases share HKCU\Software\Pelmora, which ctest's parallel
// processes of this prefix must not see half-made.
TEST_F(UninstDialog, OpensEmptyThenRunsARemoval) {
  std::thread first([] {
    HWND w = WaitForDialog("Un-Install Wizard");
    ASSERT_NE(w, nullptr);
    RECT r;
    GetClientRect(w, &r);
    EXPECT_EQ(r.right, 458);
    EXPECT_EQ(r.bottom, 305);
    EXPECT_FALSE(IsWindowEnabled(Control(w, IDC_NextBtn)));
    EXPECT_EQ(Item(w, IDC_RichEdit7).find("Neither Pelmora nor Mixmaster"), 0u);
    PostMessageA(w, WM_CLOSE, 0, 0);
  });
  RunUninstallWizard(nullptr);
  first.join();

  Register();
  std::thread user([this] {
    HWND w = WaitForDialog("Un-Install Wizard");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Item(w, IDC_Appname), "Pelmora .9b2");
    Press(w, IDC_NextBtn);
    Sleep(100);
    EXPECT_EQ(Item(w, IDC_Notebook), "Options");
    Press(w, IDC_NextBtn);
    Sleep(100);
    EXPECT_EQ(Lines(w, IDC_Memo1), "Pelmora = YES\rMixmaster = NO");
    EXPECT_EQ(Item(w, IDC_NextBtn), "Finish");
    Press(w, IDC_NextBtn);
    HWND box = WaitForDialog("Pelmora");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), w);
    Press(box, IDOK);
    HWND notice = WaitForDialog("Pelmora Uninstall", 20000);
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(GetWindow(notice, GW_OWNER), w);
    EXPECT_EQ(Item(notice, IDC_OpenDirBtn), "Open : " + AnsiLowerCase(folder_));
    EXPECT_EQ(Lines(w, IDC_RichEdit2),
              "Removing Pelmora...\r   program group...done\r   program files...done\r"
              "   registry key...done\rDone!");
    // The button opens the folder, blanks and all, in an explorer window.
    Press(notice, IDC_OpenDirBtn);
    HWND folderWindow = WaitForCaptionPart("Pel Uninst Test", 10000);
    EXPECT_NE(folderWindow, nullptr);
    if (folderWindow) PostMessageA(folderWindow, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindowVisible(notice));
    // A close asked for now waits for the notice, then needs no answer.
    PostMessageA(w, WM_CLOSE, 0, 0);
    Sleep(100);
    Press(notice, IDC_OkBtn);
  });
  RunUninstallWizard(nullptr);
  user.join();
  EXPECT_EQ(GetFileAttributesA((folder_ + "readme.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesA((folder_ + "PL.dbc").c_str()), INVALID_FILE_ATTRIBUTES);
  HKEY key;
  EXPECT_NE(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Pelmora", &key), ERROR_SUCCESS);
}

}  // namespace
}  // namespace pel
