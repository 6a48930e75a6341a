// The real browse and wait dialogs under a display, driven from a second thread as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "app/text.h"
#include "setup/win32/browse_dialog.h"
#include "setup/win32/center_over_win32.h"
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

struct Found {
  const char* caption;
  HWND owner;
  HWND hwnd;
};

// A visible dialog of this process with the caption (and, when given, that owner).
HWND WaitForDialog(const char* caption, HWND owner = nullptr, int timeoutMs = 5000) {
  Found f{caption, owner, nullptr};
  auto start = Clock::now();
  while (MsSince(start) < timeoutMs) {
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
          auto* f = reinterpret_cast<Found*>(lp);
          DWORD pid = 0;
          GetWindowThreadProcessId(h, &pid);
          char cls[16] = "";
          GetClassNameA(h, cls, sizeof cls);
          if (pid != GetCurrentProcessId() || lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(h))
            return TRUE;
          if (TextOf(h) != f->caption) return TRUE;
          if (f->owner && GetWindow(h, GW_OWNER) != f->owner) return TRUE;
          f->hwnd = h;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&f));
    if (f.hwnd) return f.hwnd;
    Sleep(10);
  }
  return nullptr;
}

void Answer(HWND box, int id) {
  PostMessageA(GetDlgItem(box, id), BM_CLICK, 0, 0);
  for (int i = 0; i < 250 && IsWindow(box); ++i) Sleep(20);
}

RECT ClientRectOf(HWND dlg, int id) {
  RECT r;
  HWND c = GetDlgItem(dlg, id);
  GetWindowRect(c, &r);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

::testing::AssertionResult PlacedAt(HWND dlg, int id, int x, int y, int w, int h) {
  RECT r = ClientRectOf(dlg, id);
  if (r.left == x && r.top == y && r.right - r.left == w && r.bottom - r.top == h)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "control " << id << " at " << r.left << "," << r.top
                                       << " " << r.right - r.left << "x" << r.bottom - r.top;
}

// A plain top-level window in a known place, owning the dialog under test.
class OwnerWindow {
 public:
  OwnerWindow(int x, int y, int w, int h) {
    hwnd_ = CreateWindowExA(0, "STATIC", "Owner", WS_POPUP | WS_VISIBLE | WS_BORDER, x, y, w, h,
                            nullptr, nullptr, nullptr, nullptr);
  }
  ~OwnerWindow() { DestroyWindow(hwnd_); }
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_;
};

// Runs the driver on its own thread while the modal dialog runs on this one.
class Driver {
 public:
  explicit Driver(std::function<void()> script) : thread_(std::move(script)) {}
  ~Driver() { thread_.join(); }

 private:
  std::thread thread_;
};

bool Centred(HWND dlg, HWND owner) {
  RECT d, o;
  GetWindowRect(dlg, &d);
  GetWindowRect(owner, &o);
  int dw = d.right - d.left, dh = d.bottom - d.top, ow = o.right - o.left, oh = o.bottom - o.top;
  return d.left == o.left + (ow - dw) / 2 && d.top == o.top + (oh - dh) / 2;
}

TEST(CenterOverWindow, MovesOverTheOwnerAndNotWithoutOne) {
  OwnerWindow owner(100, 100, 600, 305);
  HWND dlg = CreateWindowExA(0, "STATIC", "", WS_POPUP, 5, 7, 200, 300, nullptr, nullptr,
                             nullptr, nullptr);
  CenterOver(dlg, nullptr);
  RECT r;
  GetWindowRect(dlg, &r);
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.top, 7);
  CenterOver(dlg, owner.hwnd());
  GetWindowRect(dlg, &r);
  EXPECT_EQ(r.left, 300);
  EXPECT_EQ(r.top, 102);
  EXPECT_EQ(r.right - r.left, 200);
  EXPECT_EQ(r.bottom - r.top, 300);
  DestroyWindow(dlg);
}

// What the driver saw of the wait dialog.
struct WaitSeen {
  HWND dlg = nullptr;
  bool centred = false;
  LONG style = 0;
  RECT client = {};
  bool panelPlaced = false, cancelPlaced = false;
  Text panelAtStart, panelAfterFirstTick;
  bool cancelEnabledAtStart = true, cancelEnabledAfterFirstTick = false;
  std::vector<Text> panels;  // each change seen while it blinked
  Text question, questionCaption;
  Text panelBefore, panelAfter;  // around the pause while the question was open
  bool boxAfterEscape = false;
};

// The panel's text as the wait dialog is destroyed: the last blink tick sets it
// in the same event that ends the run, too late for the driver to see.
Text g_panelAtClose;
HHOOK g_closeHook = nullptr;

LRESULT CALLBACK SeeClose(int code, WPARAM wp, LPARAM lp) {
  HWND h = reinterpret_cast<HWND>(wp);
  if (code == HCBT_DESTROYWND && GetDlgItem(h, IDC_WaitPanel1) && GetDlgItem(h, IDC_WaitCancelBtn))
    g_panelAtClose = TextOf(GetDlgItem(h, IDC_WaitPanel1));
  return CallNextHookEx(g_closeHook, code, wp, lp);
}

void WatchPanel(WaitSeen& s, int forMs) {
  auto start = Clock::now();
  while (MsSince(start) < forMs && IsWindow(s.dlg)) {
    Text p = TextOf(GetDlgItem(s.dlg, IDC_WaitPanel1));
    if (IsWindow(s.dlg) && (s.panels.empty() || s.panels.back() != p)) s.panels.push_back(p);
    Sleep(20);
  }
}

void SeeOpening(WaitSeen& s, HWND owner) {
  s.dlg = WaitForDialog("Installing Test");
  if (!s.dlg) return;
  s.centred = Centred(s.dlg, owner);
  s.style = GetWindowLongA(s.dlg, GWL_STYLE);
  GetClientRect(s.dlg, &s.client);
  s.panelPlaced = PlacedAt(s.dlg, IDC_WaitPanel1, 8, 8, 241, 57);
  s.cancelPlaced = PlacedAt(s.dlg, IDC_WaitCancelBtn, 91, 74, 75, 25);
  s.panelAtStart = TextOf(GetDlgItem(s.dlg, IDC_WaitPanel1));
  s.cancelEnabledAtStart = IsWindowEnabled(GetDlgItem(s.dlg, IDC_WaitCancelBtn));
}

TEST(WaitDialog, LeftAloneBlinksAndRunsOutAfterAboutFourSeconds) {
  OwnerWindow owner(200, 150, 640, 480);
  WaitSeen s;
  auto start = Clock::now();
  bool ran;
  {
    Driver d([&] {
      SeeOpening(s, owner.hwnd());
      if (!s.dlg) return;
      // Neither Escape nor a click on the disabled Cancel does anything.
      PostMessageA(s.dlg, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
      PostMessageA(s.dlg, WM_KEYUP, VK_ESCAPE, 0xC0010001);
      PostMessageA(s.dlg, WM_COMMAND, MAKEWPARAM(IDC_WaitCancelBtn, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(s.dlg, IDC_WaitCancelBtn)));
      s.boxAfterEscape = WaitForDialog("Pelmora", s.dlg, 500) != nullptr;
      while (MsSince(start) < 1200) Sleep(10);
      s.panelAfterFirstTick = TextOf(GetDlgItem(s.dlg, IDC_WaitPanel1));
      s.cancelEnabledAfterFirstTick = IsWindowEnabled(GetDlgItem(s.dlg, IDC_WaitCancelBtn));
      WatchPanel(s, 5000);
    });
    g_closeHook = SetWindowsHookExA(WH_CBT, SeeClose, nullptr, GetCurrentThreadId());
    ran = ShowWaitDialog("Installing Test", "Installing Pelmora", owner.hwnd());
    UnhookWindowsHookEx(g_closeHook);
  }
  int elapsed = MsSince(start);
  ASSERT_NE(s.dlg, nullptr);
  EXPECT_TRUE(ran);
  EXPECT_GE(elapsed, 3900);
  EXPECT_LE(elapsed, 6000);
  EXPECT_TRUE(s.centred);
  EXPECT_EQ(s.style & WS_SYSMENU, 0);
  EXPECT_EQ(s.client.right, 257);
  EXPECT_EQ(s.client.bottom, 107);
  EXPECT_TRUE(s.panelPlaced);
  EXPECT_TRUE(s.cancelPlaced);
  EXPECT_EQ(s.panelAtStart, "...wait...");
  EXPECT_FALSE(s.cancelEnabledAtStart);
  EXPECT_FALSE(s.boxAfterEscape);
  EXPECT_EQ(s.panelAfterFirstTick, "Installing Pelmora");
  EXPECT_TRUE(s.cancelEnabledAfterFirstTick);
  // It blinks off and on three times and closes with the message showing.
  const Text m = "Installing Pelmora";
  EXPECT_EQ(s.panels, (std::vector<Text>{m, "", m, "", m, ""}));
  EXPECT_EQ(g_panelAtClose, m);
}

TEST(WaitDialog, CancelAnsweredNoGoesOnAndTheQuestionStopsTheClock) {
  OwnerWindow owner(0, 0, 800, 600);
  WaitSeen s;
  auto start = Clock::now();
  bool ran;
  {
    Driver d([&] {
      SeeOpening(s, owner.hwnd());
      if (!s.dlg) return;
      while (MsSince(start) < 1700) Sleep(10);
      PostMessageA(GetDlgItem(s.dlg, IDC_WaitCancelBtn), BM_CLICK, 0, 0);
      HWND box = WaitForDialog("Pelmora", s.dlg);
      if (!box) return;
      s.question = TextOf(GetDlgItem(box, 0xFFFF));
      s.panelBefore = TextOf(GetDlgItem(s.dlg, IDC_WaitPanel1));
      Sleep(3000);  // longer than the rest of the pause
      s.panelAfter = TextOf(GetDlgItem(s.dlg, IDC_WaitPanel1));
      s.questionCaption = IsWindow(s.dlg) ? "open" : "closed";
      Answer(box, IDNO);
    });
    ran = ShowWaitDialog("Installing Test", "Removing", owner.hwnd());
  }
  int elapsed = MsSince(start);
  ASSERT_NE(s.dlg, nullptr);
  EXPECT_EQ(s.question, "Cancel process?");
  EXPECT_EQ(s.questionCaption, "open");
  EXPECT_EQ(s.panelBefore, s.panelAfter);
  EXPECT_TRUE(ran);
  // Four seconds of pause plus the three the question was open.
  EXPECT_GE(elapsed, 6900);
  EXPECT_LE(elapsed, 9500);
}

TEST(WaitDialog, CancelAnsweredYesStopsThePause) {
  OwnerWindow owner(0, 0, 800, 600);
  WaitSeen s;
  auto start = Clock::now();
  bool ran;
  {
    Driver d([&] {
      SeeOpening(s, owner.hwnd());
      if (!s.dlg) return;
      while (MsSince(start) < 1200) Sleep(10);
      PostMessageA(GetDlgItem(s.dlg, IDC_WaitCancelBtn), BM_CLICK, 0, 0);
      HWND box = WaitForDialog("Pelmora", s.dlg);
      if (box) Answer(box, IDYES);
    });
    ran = ShowWaitDialog("Installing Test", "Installing", owner.hwnd());
  }
  ASSERT_NE(s.dlg, nullptr);
  EXPECT_FALSE(ran);
  EXPECT_LT(MsSince(start), 3500);
}

Text ExeFolder() {
  char buf[MAX_PATH + 1] = "";
  GetModuleFileNameA(nullptr, buf, sizeof buf);
  Text path = buf;
  return path.substr(0, path.find_last_of('\\'));
}

Text ExeName() {
  char buf[MAX_PATH + 1] = "";
  GetModuleFileNameA(nullptr, buf, sizeof buf);
  Text path = buf;
  return path.substr(path.find_last_of('\\') + 1);
}

Text CurrentDir() {
  char buf[MAX_PATH + 1] = "";
  GetCurrentDirectoryA(sizeof buf, buf);
  return buf;
}

Text ListText(HWND list, int i) {
  char buf[MAX_PATH + 1] = "";
  SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
  return buf;
}

void OpenFolderLine(HWND dlg, int line) {
  HWND list = GetDlgItem(dlg, IDC_DirectoryListBox1);
  SendMessageA(list, LB_SETCURSEL, line, 0);
  PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_DirectoryListBox1, LBN_DBLCLK),
               reinterpret_cast<LPARAM>(list));
  Sleep(100);
}

struct BrowseSeen {
  HWND dlg = nullptr;
  bool centred = false;
  Text cwdShown;
  LONG style = 0;
  RECT client = {};
  std::vector<bool> placed;
  int driveHeight = 0;
  Text currentLine, driveShown;
  bool fileListed = false;
};

TEST(BrowseDialog, OpensOnTheExecutablesFolderAndCancelGivesCancel) {
  OwnerWindow owner(50, 60, 700, 500);
  SetCurrentDirectoryA("C:\\");
  BrowseSeen s;
  Text result;
  {
    Driver d([&] {
      s.dlg = WaitForDialog("Select Directory");
      if (!s.dlg) return;
      s.centred = Centred(s.dlg, owner.hwnd());
      s.cwdShown = CurrentDir();
      s.style = GetWindowLongA(s.dlg, GWL_STYLE);
      GetClientRect(s.dlg, &s.client);
      s.placed = {PlacedAt(s.dlg, IDC_DirectoryListBox1, 16, 16, 177, 116),
                  PlacedAt(s.dlg, IDC_FileListBox1, 208, 16, 177, 148),
                  PlacedAt(s.dlg, IDC_OkBtn, 224, 178, 75, 25),
                  PlacedAt(s.dlg, IDC_BrowseCancelBtn, 312, 178, 75, 25)};
      RECT dr = ClientRectOf(s.dlg, IDC_DriveComboBox1);
      s.driveHeight = dr.bottom - dr.top;
      s.placed.push_back(dr.left == 16 && dr.top == 145 && dr.right - dr.left == 177);
      HWND folders = GetDlgItem(s.dlg, IDC_DirectoryListBox1);
      s.currentLine = ListText(folders, static_cast<int>(SendMessageA(folders, LB_GETCURSEL, 0, 0)));
      HWND drives = GetDlgItem(s.dlg, IDC_DriveComboBox1);
      char drive[16] = "";
      SendMessageA(drives, CB_GETLBTEXT, SendMessageA(drives, CB_GETCURSEL, 0, 0),
                   reinterpret_cast<LPARAM>(drive));
      s.driveShown = drive;
      s.fileListed = SendDlgItemMessageA(s.dlg, IDC_FileListBox1, LB_FINDSTRINGEXACT,
                                         static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(ExeName().c_str())) >= 0;
      PostMessageA(s.dlg, WM_CLOSE, 0, 0);  // the close box
    });
    result = BrowseForFolder(owner.hwnd(), "");
  }
  ASSERT_NE(s.dlg, nullptr);
  EXPECT_EQ(result, "cancel");
  Text exe = ExeFolder();
  EXPECT_EQ(s.cwdShown, exe);
  EXPECT_EQ(CurrentDir(), exe);
  EXPECT_TRUE(s.centred);
  EXPECT_NE(s.style & WS_SYSMENU, 0);
  EXPECT_EQ(s.client.right, 401);
  EXPECT_EQ(s.client.bottom, 215);
  EXPECT_EQ(s.placed, std::vector<bool>(5, true));
  EXPECT_EQ(s.driveHeight, 19);
  EXPECT_EQ(s.currentLine, exe.substr(exe.find_last_of('\\') + 1));
  EXPECT_EQ(s.driveShown, "[-" + AnsiLowerCase(exe.substr(0, 1)) + "-]");
  EXPECT_TRUE(s.fileListed);
}

TEST(BrowseDialog, OkGivesTheFolderListsFolderLowerCased) {
  Text exe = ExeFolder();
  Text sub = exe + "\\Browse Sub";
  CreateDirectoryA(sub.c_str(), nullptr);
  HWND dlg = nullptr;
  Text result, root;
  {
    Driver d([&] {
      dlg = WaitForDialog("Select Directory");
      if (!dlg) return;
      HWND folders = GetDlgItem(dlg, IDC_DirectoryListBox1);
      int line = static_cast<int>(SendMessageA(folders, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                               reinterpret_cast<LPARAM>("Browse Sub")));
      OpenFolderLine(dlg, line);
      PostMessageA(GetDlgItem(dlg, IDC_OkBtn), BM_CLICK, 0, 0);
    });
    result = BrowseForFolder(nullptr, "");
  }
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(result, AnsiLowerCase(sub));
  EXPECT_EQ(CurrentDir(), sub);
  SetCurrentDirectoryA(exe.c_str());
  RemoveDirectoryA(sub.c_str());

  {
    Driver d([&] {
      dlg = WaitForDialog("Select Directory");
      if (!dlg) return;
      OpenFolderLine(dlg, 0);  // the drive's root
      root = CurrentDir();
      PostMessageA(GetDlgItem(dlg, IDC_OkBtn), BM_CLICK, 0, 0);
    });
    result = BrowseForFolder(nullptr, "");
  }
  EXPECT_EQ(root, exe.substr(0, 3));
  EXPECT_EQ(result, AnsiLowerCase(exe.substr(0, 3)));
}

TEST(BrowseDialog, DriveSelectorMovesTheFolderList) {
  HWND dlg = nullptr;
  Text result, shown;
  {
    Driver d([&] {
      dlg = WaitForDialog("Select Directory");
      if (!dlg) return;
      HWND drives = GetDlgItem(dlg, IDC_DriveComboBox1);
      int c = static_cast<int>(SendMessageA(drives, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                            reinterpret_cast<LPARAM>("[-c-]")));
      SendMessageA(drives, CB_SETCURSEL, c, 0);
      PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_DriveComboBox1, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(drives));
      Sleep(100);
      shown = ListText(GetDlgItem(dlg, IDC_DirectoryListBox1), 0);
      PostMessageA(GetDlgItem(dlg, IDC_OkBtn), BM_CLICK, 0, 0);
    });
    result = BrowseForFolder(nullptr, "");
  }
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(shown, "C:\\");
  EXPECT_EQ(result.substr(0, 3), "c:\\");
  EXPECT_EQ(AnsiLowerCase(CurrentDir()), result);
  SetCurrentDirectoryA(ExeFolder().c_str());
}

TEST(BrowseDialog, RequiredFileMissingIsRefusedAndPresentIsAccepted) {
  HWND dlg = nullptr;
  Text boxText, boxCaption;
  bool openAfterBox = false;
  Text result;
  {
    Driver d([&] {
      dlg = WaitForDialog("Select Directory");
      if (!dlg) return;
      PostMessageA(GetDlgItem(dlg, IDC_OkBtn), BM_CLICK, 0, 0);
      HWND box = WaitForDialog("Invalid path", dlg);
      if (!box) return;
      boxText = TextOf(GetDlgItem(box, 0xFFFF));
      Answer(box, IDOK);
      Sleep(100);
      openAfterBox = IsWindow(dlg) && IsWindowVisible(dlg);
      PostMessageA(GetDlgItem(dlg, IDC_BrowseCancelBtn), BM_CLICK, 0, 0);
    });
    result = BrowseForFolder(nullptr, "PL.ini");
  }
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(boxText, "The file 'PL.ini' is not in the directory you have chosen.\nPlease select again.");
  EXPECT_TRUE(openAfterBox);
  EXPECT_EQ(result, "cancel");

  {
    Driver d([&] {
      dlg = WaitForDialog("Select Directory");
      if (dlg) PostMessageA(GetDlgItem(dlg, IDC_OkBtn), BM_CLICK, 0, 0);
    });
    result = BrowseForFolder(nullptr, ExeName());
  }
  EXPECT_EQ(result, AnsiLowerCase(ExeFolder()));
}

}  // namespace
}  // namespace pel
