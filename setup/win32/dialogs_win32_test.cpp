// The real browse and wait dialogs under a display, driven from a second thread as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "base/text.h"
#include "setup/win32/browse_dialog.h"
#include "setup/win32/dialog_ids.h"
#include "setup/win32/wait_dialog.h"

namespace pel {
namespace {

using Clock = std::chrono::steady_clock;

int MsSince(Clock::time_point t) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

Text TextOf(HWND h) {
  char buf[1024] = "";
  GetWindowTextA(h, buf, sizeof buf);
  return buf;
}

// A visible dialog of this process with the caption, owned by owner when given.
HWND WaitForDialog(const char* caption, HWND owner = nullptr, int timeoutMs = 5000) {
  struct Want {
    const char* caption;
    HWND owner, found;
  } want{caption, owner, nullptr};
  for (auto start = Clock::now(); !want.found && MsSince(start) < timeoutMs; Sleep(10)) {
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
          auto* w = reinterpret_cast<Want*>(lp);
          DWORD pid = 0;
          GetWindowThreadProcessId(h, &pid);
          if (pid == GetCurrentProcessId() && IsWindowVisible(h) && TextOf(h) == w->caption &&
              (!w->owner || GetWindow(h, GW_OWNER) == w->owner))
            w->found = h;
          return !w->found;
        },
        reinterpret_cast<LPARAM>(&want));
  }
  return want.found;
}

void Press(HWND dlg, int id) { PostMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }

// Answers the box and waits for it to go.
void Answer(HWND box, int id) {
  Press(box, id);
  for (int i = 0; i < 250 && IsWindow(box); ++i) Sleep(20);
}

// "x,y wxh" of a control in its dialog's client coordinates.
Text Place(HWND dlg, int id) {
  RECT r;
  GetWindowRect(GetDlgItem(dlg, id), &r);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
  char buf[64];
  wsprintfA(buf, "%d,%d %dx%d", r.left, r.top, r.right - r.left, r.bottom - r.top);
  return buf;
}

Text ClientSize(HWND dlg) {
  RECT r;
  GetClientRect(dlg, &r);
  char buf[32];
  wsprintfA(buf, "%dx%d", r.right, r.bottom);
  return buf;
}

bool CentredOver(HWND dlg, HWND owner) {
  RECT d, o;
  GetWindowRect(dlg, &d);
  GetWindowRect(owner, &o);
  return d.left == o.left + ((o.right - o.left) - (d.right - d.left)) / 2 &&
         d.top == o.top + ((o.bottom - o.top) - (d.bottom - d.top)) / 2;
}

// A plain top-level window in a known place, owning the dialog under test.
struct OwnerWindow {
  HWND hwnd = CreateWindowExA(0, "STATIC", "Owner", WS_POPUP | WS_VISIBLE | WS_BORDER, 123, 77,
                              640, 481, nullptr, nullptr, nullptr, nullptr);
  ~OwnerWindow() { DestroyWindow(hwnd); }
};

// The panel's text as the wait dialog is destroyed: the last blink tick sets it
// in the same event that ends the run, too late for the driver to read.
Text g_panelAtClose;
HHOOK g_hook = nullptr;
LRESULT CALLBACK SeeClose(int code, WPARAM wp, LPARAM lp) {
  HWND h = reinterpret_cast<HWND>(wp);
  if (code == HCBT_DESTROYWND && GetDlgItem(h, IDC_WaitPanel1) && GetDlgItem(h, IDC_WaitCancelBtn))
    g_panelAtClose = TextOf(GetDlgItem(h, IDC_WaitPanel1));
  return CallNextHookEx(g_hook, code, wp, lp);
}

TEST(WaitDialog, BlinksThroughTheQuestionAndRunsOutWithOk) {
  OwnerWindow owner;
  struct {
    HWND dlg = nullptr;
    bool centred = false, sysMenu = true, enabledAtStart = true, enabledLater = false;
    bool boxAfterEscape = true;
    Text client, panelPlace, cancelPlace, panelAtStart, panelLater, question;
    Text panelBefore, panelAfter;
  } s;
  auto start = Clock::now();
  std::thread driver([&] {
    s.dlg = WaitForDialog("Removing Test");
    if (!s.dlg) return;
    HWND panel = GetDlgItem(s.dlg, IDC_WaitPanel1), cancel = GetDlgItem(s.dlg, IDC_WaitCancelBtn);
    s.centred = CentredOver(s.dlg, owner.hwnd);
    s.sysMenu = GetWindowLongA(s.dlg, GWL_STYLE) & WS_SYSMENU;
    s.client = ClientSize(s.dlg);
    s.panelPlace = Place(s.dlg, IDC_WaitPanel1);
    s.cancelPlace = Place(s.dlg, IDC_WaitCancelBtn);
    s.panelAtStart = TextOf(panel);
    s.enabledAtStart = IsWindowEnabled(cancel);
    // Neither Escape nor a click on the still disabled Cancel does anything.
    PostMessageA(s.dlg, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(s.dlg, WM_COMMAND, MAKEWPARAM(IDC_WaitCancelBtn, BN_CLICKED),
                 reinterpret_cast<LPARAM>(cancel));
    s.boxAfterEscape = WaitForDialog("Pelmora", s.dlg, 500) != nullptr;
    while (MsSince(start) < 1200) Sleep(10);
    s.panelLater = TextOf(panel);
    s.enabledLater = IsWindowEnabled(cancel);
    while (MsSince(start) < 1700) Sleep(10);
    Press(s.dlg, IDC_WaitCancelBtn);
    HWND box = WaitForDialog("Pelmora", s.dlg);
    if (!box) return;
    s.question = TextOf(GetDlgItem(box, 0xFFFF));
    s.panelBefore = TextOf(panel);
    Sleep(3000);  // longer than the rest of the pause: the clock must stand still
    s.panelAfter = TextOf(panel);
    Answer(box, IDNO);
  });
  g_hook = SetWindowsHookExA(WH_CBT, SeeClose, nullptr, GetCurrentThreadId());
  bool ran = ShowWaitDialog("Removing Test", "Removing Pelmora", owner.hwnd);
  UnhookWindowsHookEx(g_hook);
  driver.join();
  int elapsed = MsSince(start);

  ASSERT_NE(s.dlg, nullptr);
  EXPECT_TRUE(s.centred);
  EXPECT_FALSE(s.sysMenu);
  EXPECT_EQ(s.client, "257x107");
  EXPECT_EQ(s.panelPlace, "8,8 241x57");
  EXPECT_EQ(s.cancelPlace, "91,74 75x25");
  EXPECT_EQ(s.panelAtStart, "...wait...");
  EXPECT_FALSE(s.enabledAtStart);
  EXPECT_FALSE(s.boxAfterEscape);
  EXPECT_EQ(s.panelLater, "Removing Pelmora");
  EXPECT_TRUE(s.enabledLater);
  EXPECT_EQ(s.question, "Cancel process?");
  EXPECT_EQ(s.panelBefore, s.panelAfter);
  EXPECT_TRUE(ran);
  EXPECT_EQ(g_panelAtClose, "Removing Pelmora");
  // Four seconds of pause plus the three the question stood open.
  EXPECT_GE(elapsed, 6900);
  EXPECT_LE(elapsed, 9500);
}

TEST(WaitDialog, CancelAnsweredYesReturnsFalse) {
  auto start = Clock::now();
  std::thread driver([&] {
    HWND dlg = WaitForDialog("Installing Test");
    // Cancel opens after the first second of the dialog, which on a busy
    // machine can take a while to appear: press it once it can be pressed.
    for (int i = 0; dlg && i < 300 && !IsWindowEnabled(GetDlgItem(dlg, IDC_WaitCancelBtn)); ++i)
      Sleep(10);
    if (dlg) Press(dlg, IDC_WaitCancelBtn);
    if (HWND box = WaitForDialog("Pelmora", dlg)) Answer(box, IDYES);
  });
  bool ran = ShowWaitDialog("Installing Test", "Installing", nullptr);
  driver.join();
  EXPECT_FALSE(ran);
  EXPECT_LT(MsSince(start), 3500);
}

Text ExePath() {
  char buf[MAX_PATH + 1] = "";
  GetModuleFileNameA(nullptr, buf, sizeof buf);
  return buf;
}
Text ExeFolder() { return ExePath().substr(0, ExePath().find_last_of('\\')); }

Text CurrentDir() {
  char buf[MAX_PATH + 1] = "";
  GetCurrentDirectoryA(sizeof buf, buf);
  return buf;
}

// Double-clicks the folder list's line with that text.
void OpenFolderLine(HWND dlg, const char* text) {
  HWND list = GetDlgItem(dlg, IDC_DirectoryListBox1);
  LRESULT line = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(text));
  SendMessageA(list, LB_SETCURSEL, line, 0);
  PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_DirectoryListBox1, LBN_DBLCLK),
               reinterpret_cast<LPARAM>(list));
  Sleep(100);
}

Text SelectedLine(HWND dlg, int id, UINT getSel, UINT getText) {
  char buf[MAX_PATH + 1] = "";
  LRESULT i = SendDlgItemMessageA(dlg, id, getSel, 0, 0);
  SendDlgItemMessageA(dlg, id, getText, i, reinterpret_cast<LPARAM>(buf));
  return buf;
}

TEST(BrowseDialog, OpensOnTheExeFolderRefusesAFolderWithoutTheFileAndTakesOneWithIt) {
  OwnerWindow owner;
  Text exe = ExeFolder(), sub = exe + "\\Browse Sub", marker = sub + "\\PL.ini";
  CreateDirectoryA(sub.c_str(), nullptr);
  CloseHandle(CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  SetCurrentDirectoryA("C:\\");
  struct {
    HWND dlg = nullptr;
    bool centred = false, sysMenu = false, exeListed = false, markerListed = false, openAfter = false;
    Text cwd, client, folderLine, drive, refusal;
    Text places[5];
  } s;
  std::thread driver([&] {
    s.dlg = WaitForDialog("Select Directory");
    if (!s.dlg) return;
    s.cwd = CurrentDir();
    s.centred = CentredOver(s.dlg, owner.hwnd);
    s.sysMenu = GetWindowLongA(s.dlg, GWL_STYLE) & WS_SYSMENU;
    s.client = ClientSize(s.dlg);
    int ids[] = {IDC_DirectoryListBox1, IDC_FileListBox1, IDC_DriveComboBox1, IDC_OkBtn,
                 IDC_BrowseCancelBtn};
    for (int i = 0; i < 5; ++i) s.places[i] = Place(s.dlg, ids[i]);
    s.folderLine = SelectedLine(s.dlg, IDC_DirectoryListBox1, LB_GETCURSEL, LB_GETTEXT);
    s.drive = SelectedLine(s.dlg, IDC_DriveComboBox1, CB_GETCURSEL, CB_GETLBTEXT);
    Text name = ExePath().substr(exe.size() + 1);
    s.exeListed = SendDlgItemMessageA(s.dlg, IDC_FileListBox1, LB_FINDSTRINGEXACT,
                                      static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(name.c_str())) >= 0;
    Press(s.dlg, IDC_OkBtn);
    HWND box = WaitForDialog("Invalid path", s.dlg);
    if (!box) return;
    s.refusal = TextOf(GetDlgItem(box, 0xFFFF));
    Answer(box, IDOK);
    s.openAfter = IsWindowVisible(s.dlg);
    OpenFolderLine(s.dlg, "Browse Sub");
    s.markerListed = SendDlgItemMessageA(s.dlg, IDC_FileListBox1, LB_FINDSTRINGEXACT,
                                         static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>("PL.ini")) >= 0;
    Press(s.dlg, IDC_OkBtn);
  });
  Text result = BrowseForFolder(owner.hwnd, "PL.ini");
  driver.join();
  Text cwdAfter = CurrentDir();
  SetCurrentDirectoryA(exe.c_str());
  DeleteFileA(marker.c_str());
  RemoveDirectoryA(sub.c_str());

  ASSERT_NE(s.dlg, nullptr);
  EXPECT_EQ(s.cwd, exe);
  EXPECT_TRUE(s.centred);
  EXPECT_TRUE(s.sysMenu);
  EXPECT_EQ(s.client, "401x215");
  EXPECT_EQ(s.places[0], "16,16 177x116");
  EXPECT_EQ(s.places[1], "208,16 177x148");
  EXPECT_EQ(s.places[2], "16,145 177x19");
  EXPECT_EQ(s.places[3], "224,178 75x25");
  EXPECT_EQ(s.places[4], "312,178 75x25");
  EXPECT_EQ(s.folderLine, exe.substr(exe.find_last_of('\\') + 1));
  EXPECT_EQ(s.drive, "[-" + AnsiLowerCase(exe.substr(0, 1)) + "-]");
  EXPECT_TRUE(s.exeListed);
  EXPECT_EQ(s.refusal,
            "The file 'PL.ini' is not in the directory you have chosen.\nPlease select again.");
  EXPECT_TRUE(s.openAfter);
  EXPECT_TRUE(s.markerListed);
  EXPECT_EQ(result, AnsiLowerCase(sub));
  EXPECT_EQ(cwdAfter, sub);
}

TEST(BrowseDialog, DriveSelectorAndRootFolderThenCancel) {
  Text rootLine, result;
  std::thread driver([&] {
    HWND dlg = WaitForDialog("Select Directory");
    if (!dlg) return;
    HWND drives = GetDlgItem(dlg, IDC_DriveComboBox1);
    SendMessageA(drives, CB_SETCURSEL,
                 SendMessageA(drives, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>("[-c-]")),
                 0);
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_DriveComboBox1, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(drives));
    Sleep(100);
    OpenFolderLine(dlg, "C:\\");
    rootLine = SelectedLine(dlg, IDC_DirectoryListBox1, LB_GETCURSEL, LB_GETTEXT);
    Press(dlg, IDC_OkBtn);
  });
  result = BrowseForFolder(nullptr, "");
  driver.join();
  EXPECT_EQ(rootLine, "C:\\");
  EXPECT_EQ(result, "c:\\");
  EXPECT_EQ(CurrentDir(), "C:\\");

  std::thread closer([] {
    if (HWND dlg = WaitForDialog("Select Directory")) PostMessageA(dlg, WM_CLOSE, 0, 0);
  });
  result = BrowseForFolder(nullptr, "");
  closer.join();
  EXPECT_EQ(result, "cancel");
  SetCurrentDirectoryA(ExeFolder().c_str());
}

}  // namespace
}  // namespace pel
