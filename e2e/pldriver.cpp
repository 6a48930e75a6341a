// Drives the real setup.exe under Wine the way a person would, from a script of commands.
//
// One command a line; words are split at blanks, "double quotes" keep blanks
// ("" inside stands for one quote), {LF} {CR} {TAB} stand for those characters.
// A failing command prints "FAIL line N: ..." and ends the run with exit code 1.
//
//   start <exe> [args]          start a program (working folder: the exe's folder)
//   start-in <dir> <exe> [args] start it in another folder
//   window <caption>            wait for a dialog of that program and make it current
//   no-window <caption> [ms]    the program shows no such window within ms (default 1500)
//   text <ctl> <text>           the control's text is exactly <text>
//   text-has <ctl> <part>       the control's text contains <part>
//   wait-text <ctl> <text> [ms] the control comes to read <text> within ms
//   enabled <ctl> 0|1  checked <ctl> 0|1  visible <ctl> 0|1
//   set-text <ctl> <text>       replace an edit's text (its change handler runs)
//   check <ctl> 0|1             click a check box until it has that state
//   click <ctl>                 press a button (posted: it may open a modal box)
//   escape                      press Escape in the current dialog
//   close                       the close box of the current dialog
//   sysmenu <id>                choose a system menu item by its command
//   sysmenu-last                choose the last item of the system menu from the keyboard
//   box <caption> <text>        wait for a message box over the program; check it
//   box-any                     wait for any message box and print it
//   answer OK|Cancel|Yes|No     press a button of the current message box
//   no-box [ms]                 no message box appears within ms (default 700)
//   snap <name>                 save the current dialog or box as <artefacts>\<name>.bmp
//   exit <code> [ms]            the program ends with that exit code
//   focus <ctl>                 the control has the keyboard focus
//   tab                         press Tab;  alt <letter>: press Alt with a letter
//   next-of <ctl> <ctl2>        ctl2 follows ctl directly in the z-order
//   gone [ms]                   the current dialog closes within ms (default 10000)
//   find-window <part> [ms]     a window of another program whose caption holds
//                               <part> (case-sensitive) becomes current
//   no-find-window <part> [ms]  no other program shows such a window within ms (default 1500)
//   lock <path> / unlock        hold a file open without sharing, as another program would
//   pick <ctl> <item>           double-click the list item (list box or combo box)
//   list-windows                print the captions of every visible top-level window
//   decoy <caption>             open (once) a window of the driver's own and make it the
//                               active one, as a person switching to another program
//   window-enabled 0|1          the current dialog accepts input (a box it owns disables it)
//   box-owner                   the current message box is owned by the current dialog
//   main-window-hidden          the program's hidden main window exists and has never
//                               been shown (exit checks the second half by itself)
//   no-process <exe> [ms]       no process of that file name runs within ms (default 1500)
//   elapsed                     print the milliseconds from the last start to the
//                               moment the last awaited window was first seen
//   lines <ctl> [line...]       the control's text, split at its line ends, is exactly these lines
//   top-line <ctl> <n>          the first visible line of a multi-line edit is n
//   box-has <caption> <part>    wait for a message box whose text contains <part>,
//                               in any letter case ("" for any caption)
//   explorer <folder> 1|0 [ms]  an explorer window on the folder opens (and becomes
//                               current) / none opens within ms (default 1000)
//   short-path <path>           print "short " and the path's short (8.3) form
//   unseen <code> [ms]          the started program ends with code, and no window of it
//                               is visible at any moment of its run (default 30000)
//   selected <ctl> 0|1          the edit's whole text is selected / is not
//   sleep <ms>
// "The program" is the started process and the copies it starts of itself
// (e2e/driver_family.h, which has more commands).
#include <windows.h>

#include <tlhelp32.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "e2e/driver_edit.h"
#include "e2e/driver_family.h"
#include "setup/win32/dialog_ids.h"
#include "setup/win32/setup_ids.h"
#include "uninstall/win32/uninst_ids.h"

namespace {

struct Name {
  const char* name;
  int id;
};
#define N(x) {#x, IDC_##x}
const Name kControls[] = {
    N(Panel1), N(Appname), N(Notebook1), N(Copyright), N(RichEdit1), N(Label4), N(AppDIR),
    N(BrowseBtn), N(GroupBox), N(Label6), N(RichEdit2), N(Label3), N(EAddr), N(Label2), N(Host),
    N(Label7), N(RichEdit4), N(Label8), N(RichEdit3), N(Label5), N(RichEdit6), N(RunPelmoraBox),
    N(RichEdit5), N(BackBtn), N(NextBtn), N(CancelBtn),
    N(DirectoryListBox1), N(FileListBox1), N(DriveComboBox1), N(OkBtn), N(BrowseCancelBtn),
    N(WaitPanel1), N(WaitCancelBtn),
    N(Notebook), N(Label23), N(RichEdit7), N(Label24), N(Label25), N(Label26), N(AppEntries),
    N(MixEntries), N(Label1), N(Memo1), N(Bevel1), N(OpenDirBtn),
};
#undef N

int g_line = 0;
PROCESS_INFORMATION g_proc = {};
LARGE_INTEGER g_started = {};
LARGE_INTEGER g_found = {};  // when the last awaited window was first seen
HWND g_dialog = nullptr;
HWND g_box = nullptr;
HANDLE g_lock = INVALID_HANDLE_VALUE;
std::string g_artifacts = "C:\\artifacts";

[[noreturn]] void Fail(const std::string& why) {
  std::printf("FAIL line %d: %s\n", g_line, why.c_str());
  std::fflush(stdout);
  if (g_proc.hProcess) TerminateProcess(g_proc.hProcess, 99);
  std::exit(1);
}

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == ' ') ++i;
    if (i >= line.size()) break;
    std::string w;
    if (line[i] == '"') {
      ++i;
      while (i < line.size()) {
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            w += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        w += line[i++];
      }
    } else {
      while (i < line.size() && line[i] != ' ') w += line[i++];
    }
    for (auto [from, to] : {std::pair{"{LF}", "\n"}, {"{CR}", "\r"}, {"{TAB}", "\t"}})
      for (size_t p; (p = w.find(from)) != std::string::npos;) w.replace(p, std::strlen(from), to);
    words.push_back(w);
  }
  return words;
}

int ControlId(const std::string& name) {
  for (const Name& n : kControls)
    if (name == n.name) return n.id;
  char* end = nullptr;
  long v = std::strtol(name.c_str(), &end, 0);
  if (end && *end == 0 && !name.empty()) return static_cast<int>(v);
  Fail("unknown control " + name);
}

HWND Control(const std::string& name) {
  if (!g_dialog) Fail("no current window");
  HWND h = GetDlgItem(g_dialog, ControlId(name));
  if (!h) Fail("no control " + name);
  return h;
}

std::string TextOf(HWND h) {
  int n = static_cast<int>(SendMessageA(h, WM_GETTEXTLENGTH, 0, 0));
  std::string t(static_cast<size_t>(n) + 1, '\0');
  n = static_cast<int>(SendMessageA(h, WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(t.data())));
  t.resize(static_cast<size_t>(n > 0 ? n : 0));
  return t;
}

std::string Show(const std::string& s) {
  std::string r;
  for (char c : s) r += c == '\n' ? "{LF}" : c == '\r' ? "{CR}" : std::string(1, c);
  return "\"" + r + "\"";
}

struct Find {
  std::string caption;
  bool box;  // a message box: has the static 0xFFFF
  HWND found;
  bool anyProgram = false;  // match a part of the caption in any program's windows
};

BOOL CALLBACK FindProc(HWND h, LPARAM lp) {
  auto* f = reinterpret_cast<Find*>(lp);
  if (f->anyProgram) {
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    bool other = !g_proc.hProcess || WaitForSingleObject(g_proc.hProcess, 0) == WAIT_OBJECT_0 ||
                 !OfProgram(owner);
    if (other && IsWindowVisible(h) && TextOf(h).find(f->caption) != std::string::npos) {
      f->found = h;
      return FALSE;
    }
    return TRUE;
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (!OfProgram(pid) || !IsWindowVisible(h)) return TRUE;
  char cls[32] = "";
  GetClassNameA(h, cls, sizeof cls);
  if (std::strcmp(cls, "#32770") != 0) return TRUE;
  // The notice of the uninstaller has labels too: a box is what has none of
  // the buttons our own dialogs carry.
  bool isBox = GetDlgItem(h, 0xFFFF) != nullptr && GetDlgItem(h, IDC_NextBtn) == nullptr &&
               GetDlgItem(h, IDC_OpenDirBtn) == nullptr;
  if (isBox != f->box) return TRUE;
  if (!f->caption.empty() && TextOf(h) != f->caption) return TRUE;
  f->found = h;
  return FALSE;
}

HWND FindWindowOf(const std::string& caption, bool box) {
  Find f{caption, box, nullptr};
  EnumWindows(FindProc, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

HWND WaitFor(const std::string& caption, bool box, DWORD ms) {
  for (DWORD waited = 0;; waited += 5) {
    if (HWND h = FindWindowOf(caption, box)) {
      QueryPerformanceCounter(&g_found);
      Sleep(60);  // let it finish its first paint and focus
      return h;
    }
    if (waited >= ms) return nullptr;
    if (g_proc.hProcess && WaitForSingleObject(g_proc.hProcess, 0) == WAIT_OBJECT_0) return nullptr;
    Sleep(5);
  }
}

// Line ends as an edit control may hold them: CR LF, CR or LF; a final line
// end adds no empty line.
std::vector<std::string> LinesOf(const std::string& t) {
  std::vector<std::string> lines;
  std::string cur;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] != '\r' && t[i] != '\n') {
      cur += t[i];
      continue;
    }
    if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
    lines.push_back(cur);
    cur.clear();
  }
  if (!cur.empty()) lines.push_back(cur);
  return lines;
}

std::string Lower(std::string s) {
  if (!s.empty()) CharLowerBuffA(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

// The file name of the program that owns a window, in lower case.
std::string ProgramOf(HWND h) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!p) return "";
  char path[MAX_PATH] = "";
  DWORD n = MAX_PATH;
  if (!QueryFullProcessImageNameA(p, 0, path, &n)) n = 0;
  CloseHandle(p);
  std::string s(path, n);
  return Lower(s.substr(s.find_last_of("\\/") + 1));
}

// A visible window of explorer.exe whose caption names the folder: its full
// path or its last part, in any letter case.
HWND ExplorerOn(const std::string& folder) {
  struct Ask {
    std::string full, last;
    HWND found = nullptr;
  } ask;
  std::string f = Lower(folder);
  while (f.size() > 3 && f.back() == '\\') f.pop_back();
  ask.full = f;
  ask.last = f.substr(f.find_last_of('\\') + 1);
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto* a = reinterpret_cast<Ask*>(lp);
        if (!IsWindowVisible(h)) return TRUE;
        std::string caption = Lower(TextOf(h));
        if ((caption == a->full || caption == a->last) && ProgramOf(h) == "explorer.exe") {
          a->found = h;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&ask));
  return ask.found;
}

void Expect(bool ok, const std::string& what) {
  if (!ok) Fail(what);
}

void SaveBitmap(HWND h, const std::string& name) {
  RECT r;
  GetWindowRect(h, &r);
  int w = r.right - r.left, ht = r.bottom - r.top;
  SetForegroundWindow(h);
  RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  Sleep(150);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, ht, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, ht, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  DWORD stride = ((static_cast<DWORD>(w) * 3 + 3) & ~3u), size = stride * static_cast<DWORD>(ht);
  BITMAPFILEHEADER fh = {0x4D42, static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader + size), 0, 0,
                         static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader)};
  CreateDirectoryA(g_artifacts.c_str(), nullptr);
  std::string path = g_artifacts + "\\" + name + ".bmp";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(&fh, sizeof fh, 1, f);
    std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
    std::fwrite(bits, size, 1, f);
    std::fclose(f);
  }
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}

// Another program's window for the program under test to lose its activation
// to. It runs its own message loop, so it answers activation while the
// driver's thread sleeps or waits.
HWND g_decoy = nullptr;

DWORD WINAPI DecoyThread(LPVOID param) {
  auto* caption = static_cast<std::string*>(param);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "PlDriverDecoy";
  RegisterClassA(&wc);
  HWND h = CreateWindowA(wc.lpszClassName, caption->c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                         300, 120, nullptr, nullptr, wc.hInstance, nullptr);
  g_decoy = h;
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
  return 0;
}

void ActivateDecoy(const std::string& caption) {
  static std::string text;
  if (!g_decoy) {
    text = caption;
    CreateThread(nullptr, 0, DecoyThread, &text, 0, nullptr);
    for (int i = 0; i < 250 && !g_decoy; ++i) Sleep(20);
    Expect(g_decoy != nullptr, "no decoy window");
  }
  for (int i = 0; i < 50 && GetForegroundWindow() != g_decoy; ++i) {
    SetForegroundWindow(g_decoy);
    Sleep(40);
  }
  Expect(GetForegroundWindow() == g_decoy, "the decoy window did not become active");
}

// The hidden main window of the program, watched from the start to the end of
// each run: the user must never see it, not even for a moment while the
// program closes. A shown window is caught by its show event, and by polling
// where the system reports no events.
constexpr const char* kMainCaption = "Pelmora Setup/Remove";
std::atomic<bool> g_mainSeen{false}, g_mainShown{false};
std::atomic<HWND> g_mainWindow{nullptr};

bool IsMainWindow(HWND h) {
  if (h == g_mainWindow.load()) return true;
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  char text[64] = "";
  GetWindowTextA(h, text, sizeof text);
  return OfProgram(pid) && std::strcmp(text, kMainCaption) == 0;
}

void CALLBACK ShowEvent(HWINEVENTHOOK, DWORD, HWND h, LONG object, LONG, DWORD, DWORD) {
  if (object == OBJID_WINDOW && h && IsMainWindow(h)) g_mainShown = true;
}

BOOL CALLBACK PollMain(HWND h, LPARAM) {
  if (!IsMainWindow(h)) return TRUE;
  g_mainWindow = h;
  g_mainSeen = true;
  if (IsWindowVisible(h)) g_mainShown = true;
  return FALSE;
}

DWORD WINAPI WatchMain(LPVOID process) {
  // Every process: the program's copies have process ids of their own.
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_SHOW, nullptr, ShowEvent,
                                       0, 0, WINEVENT_OUTOFCONTEXT);
  for (;;) {
    EnumWindows(PollMain, 0);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    if (WaitForSingleObject(static_cast<HANDLE>(process), 1) != WAIT_TIMEOUT) break;
  }
  if (hook) UnhookWinEvent(hook);
  return 0;
}

bool ProcessRuns(const std::string& exe) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) Fail("no process list");
  PROCESSENTRY32 e = {sizeof e};
  bool found = false;
  for (BOOL more = Process32First(snap, &e); more && !found; more = Process32Next(snap, &e))
    found = lstrcmpiA(e.szExeFile, exe.c_str()) == 0;
  CloseHandle(snap);
  return found;
}

void Start(const std::string& dir, const std::vector<std::string>& w, size_t first) {
  std::string cmd = "\"" + w[first] + "\"";
  for (size_t i = first + 1; i < w.size(); ++i)
    cmd += w[i].empty() || w[i].find(' ') != std::string::npos ? " \"" + w[i] + "\"" : " " + w[i];
  std::string workDir = dir.empty() ? w[first].substr(0, w[first].find_last_of('\\')) : dir;
  STARTUPINFOA si = {sizeof si};
  if (!CreateProcessA(w[first].c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workDir.c_str(), &si, &g_proc))
    Fail("cannot start " + cmd + " (error " + std::to_string(GetLastError()) + ")");
  QueryPerformanceCounter(&g_started);
  g_dialog = g_box = nullptr;
  g_mainSeen = g_mainShown = false;
  g_mainWindow = nullptr;
  FamilyStart(g_proc.dwProcessId, w[first]);
  CreateThread(nullptr, 0, WatchMain, g_proc.hProcess, 0, nullptr);
}

int AnswerId(const std::string& a) {
  if (a == "OK") return IDOK;
  if (a == "Cancel") return IDCANCEL;
  if (a == "Yes") return IDYES;
  if (a == "No") return IDNO;
  Fail("unknown answer " + a);
}

DWORD Ms(const std::vector<std::string>& w, size_t i, DWORD def) {
  return w.size() > i ? static_cast<DWORD>(std::atol(w[i].c_str())) : def;
}

void Need(const std::vector<std::string>& w, size_t n) {
  if (w.size() < n) Fail("too few words for " + w[0]);
}

void Run(const std::vector<std::string>& w) {
  const std::string& c = w[0];
  if (c == "start") {
    Need(w, 2);
    Start("", w, 1);
  } else if (c == "start-in") {
    Need(w, 3);
    Start(w[1], w, 2);
  } else if (c == "window") {
    Need(w, 2);
    g_dialog = WaitFor(w[1], false, Ms(w, 2, 15000));
    Expect(g_dialog != nullptr, "no window " + Show(w[1]));
  } else if (c == "no-window") {
    Need(w, 2);
    Expect(WaitFor(w[1], false, Ms(w, 2, 1500)) == nullptr, "unexpected window " + Show(w[1]));
  } else if (c == "text" || c == "text-has") {
    Need(w, 3);
    std::string t = TextOf(Control(w[1]));
    bool ok = c == "text" ? t == w[2] : t.find(w[2]) != std::string::npos;
    Expect(ok, w[1] + " reads " + Show(t) + ", expected " + Show(w[2]));
  } else if (c == "wait-text") {
    Need(w, 3);
    std::string t;
    for (DWORD waited = 0; waited <= Ms(w, 3, 15000); waited += 50) {
      if ((t = TextOf(Control(w[1]))) == w[2]) break;
      Sleep(50);
    }
    Expect(t == w[2], w[1] + " reads " + Show(t) + ", expected " + Show(w[2]));
  } else if (c == "enabled" || c == "checked" || c == "visible") {
    Need(w, 3);
    HWND h = Control(w[1]);
    bool v = c == "enabled"   ? IsWindowEnabled(h) != 0
             : c == "checked" ? SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED
                              : IsWindowVisible(h) != 0;
    Expect(v == (w[2] == "1"), w[1] + " " + c + " is " + (v ? "1" : "0"));
  } else if (c == "set-text") {
    Need(w, 3);
    SendMessageA(Control(w[1]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w[2].c_str()));
  } else if (c == "check") {
    Need(w, 3);
    HWND h = Control(w[1]);
    if ((SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED) != (w[2] == "1")) SendMessageA(h, BM_CLICK, 0, 0);
  } else if (c == "click") {
    Need(w, 2);
    PostMessageA(Control(w[1]), BM_CLICK, 0, 0);
    Sleep(50);
  } else if (c == "escape") {
    GUITHREADINFO gi = {sizeof gi};
    GetGUIThreadInfo(g_proc.dwThreadId, &gi);
    HWND target = gi.hwndFocus ? gi.hwndFocus : g_dialog;
    PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    Sleep(50);
  } else if (c == "close") {
    PostMessageA(g_dialog, WM_CLOSE, 0, 0);
    Sleep(50);
  } else if (c == "sysmenu") {
    Need(w, 2);
    PostMessageA(g_dialog, WM_SYSCOMMAND, static_cast<WPARAM>(std::strtol(w[1].c_str(), nullptr, 0)), 0);
    Sleep(50);
  } else if (c == "sysmenu-last") {
    // As a person would: open the system menu from the keyboard, step up to
    // its last item (the menu wraps round) and choose it; it must open a box.
    // A busy machine can swallow keys sent while the menu starts: then the
    // menu is closed and opened again.
    bool boxed = false;
    for (int attempt = 0; attempt < 3 && !boxed; ++attempt) {
      // Menus track the keyboard of the active window only.
      SetForegroundWindow(g_dialog);
      Sleep(100);
      PostMessageA(g_dialog, WM_SYSCOMMAND, SC_KEYMENU, ' ');
      HWND popup = nullptr;
      for (int i = 0; i < 150 && !popup; ++i) {
        Sleep(20);
        popup = FindWindowA("#32768", nullptr);
        if (popup && !IsWindowVisible(popup)) popup = nullptr;
      }
      Sleep(200);
      PostMessageA(g_dialog, WM_KEYDOWN, VK_UP, 0x01480001);
      Sleep(200);
      PostMessageA(g_dialog, WM_KEYDOWN, VK_RETURN, 0x001C0001);
      boxed = WaitFor("", true, 2000) != nullptr;
      if (!boxed) {
        PostMessageA(g_dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageA(g_dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        Sleep(300);
      }
    }
    Expect(boxed, "the last item of the system menu opened no box");
  } else if (c == "box" || c == "box-any") {
    g_box = WaitFor(c == "box" ? (Need(w, 2), w[1]) : std::string(), true, 10000);
    Expect(g_box != nullptr, "no message box");
    std::string text = TextOf(GetDlgItem(g_box, 0xFFFF));
    if (c == "box-any") std::printf("box %s %s\n", Show(TextOf(g_box)).c_str(), Show(text).c_str());
    if (c == "box" && w.size() > 2) Expect(text == w[2], "box reads " + Show(text) + ", expected " + Show(w[2]));
  } else if (c == "answer") {
    Need(w, 2);
    Expect(g_box != nullptr, "no current message box");
    HWND b = GetDlgItem(g_box, AnswerId(w[1]));
    Expect(b != nullptr, "the box has no button " + w[1]);
    PostMessageA(b, BM_CLICK, 0, 0);
    for (int i = 0; i < 250 && IsWindow(g_box); ++i) Sleep(20);
    g_box = nullptr;
  } else if (c == "no-box") {
    Expect(WaitFor("", true, Ms(w, 1, 700)) == nullptr, "unexpected message box");
  } else if (c == "snap") {
    Need(w, 2);
    HWND h = g_box ? g_box : g_dialog;
    Expect(h != nullptr, "nothing to snap");
    SaveBitmap(h, w[1]);
  } else if (c == "exit") {
    Need(w, 2);
    DWORD r = WaitForSingleObject(g_proc.hProcess, Ms(w, 2, 15000));
    Expect(r == WAIT_OBJECT_0, "the program is still running");
    DWORD code = 0;
    GetExitCodeProcess(g_proc.hProcess, &code);
    Expect(code == static_cast<DWORD>(std::atol(w[1].c_str())), "exit code " + std::to_string(code));
    Sleep(20);  // the watcher's last look and pending show events
    Expect(!g_mainShown, "the main window was shown");
  } else if (c == "unseen") {
    // unseen CODE [ms]: the started program ends with CODE and shows no window
    // at any moment of its run, watched from outside as it runs.
    Need(w, 2);
    DWORD deadline = GetTickCount() + Ms(w, 2, 30000);
    int seen = 0;
    while (WaitForSingleObject(g_proc.hProcess, 2) == WAIT_TIMEOUT && GetTickCount() < deadline)
      EnumWindows(
          [](HWND h, LPARAM count) -> BOOL {
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            if (OfProgram(pid) && IsWindowVisible(h)) ++*reinterpret_cast<int*>(count);
            return TRUE;
          },
          reinterpret_cast<LPARAM>(&seen));
    DWORD code = 0;
    GetExitCodeProcess(g_proc.hProcess, &code);
    Expect(code != STILL_ACTIVE, "the program is still running");
    Expect(seen == 0, "the program showed a window");
    Expect(code == static_cast<DWORD>(std::atol(w[1].c_str())), "exit code " + std::to_string(code));
  } else if (c == "focus") {
    Need(w, 2);
    GUITHREADINFO gi = {sizeof gi};
    GetGUIThreadInfo(g_proc.dwThreadId, &gi);
    Expect(gi.hwndFocus == Control(w[1]), w[1] + " has no focus");
  } else if (c == "tab" || c == "alt") {
    // Keys go to the focused control, as the keyboard would deliver them; the
    // wizard's modal loop turns them into focus moves.
    GUITHREADINFO gi = {sizeof gi};
    GetGUIThreadInfo(g_proc.dwThreadId, &gi);
    HWND target = gi.hwndFocus ? gi.hwndFocus : g_dialog;
    if (c == "tab") {
      PostMessageA(target, WM_KEYDOWN, VK_TAB, 0x000F0001);
    } else {
      Need(w, 2);
      WPARAM key = static_cast<WPARAM>(w[1][0]);
      PostMessageA(target, WM_SYSKEYDOWN, VkKeyScanA(w[1][0]) & 0xFF, 0x20000001);
      PostMessageA(target, WM_SYSCHAR, key, 0x20000001);
    }
    Sleep(80);
  } else if (c == "next-of") {
    // The second control directly follows the first in the z-order, as the
    // label before the edit it names must.
    Need(w, 3);
    Expect(GetWindow(Control(w[1]), GW_HWNDNEXT) == Control(w[2]), w[2] + " does not follow " + w[1]);
  } else if (c == "gone") {
    bool closed = false;
    for (DWORD waited = 0; waited <= Ms(w, 1, 10000) && !closed; waited += 20) {
      closed = !IsWindow(g_dialog) || !IsWindowVisible(g_dialog);
      if (!closed) Sleep(20);
    }
    Expect(closed, "the window is still open");
    g_dialog = nullptr;
  } else if (c == "find-window") {
    Need(w, 2);
    Find f{w[1], false, nullptr, true};
    for (DWORD waited = 0; waited <= Ms(w, 2, 10000) && !f.found; waited += 50) {
      EnumWindows(FindProc, reinterpret_cast<LPARAM>(&f));
      if (!f.found) Sleep(50);
    }
    Expect(f.found != nullptr, "no window showing " + Show(w[1]));
    g_dialog = f.found;
  } else if (c == "no-find-window") {
    Need(w, 2);
    Find f{w[1], false, nullptr, true};
    for (DWORD waited = 0; waited <= Ms(w, 2, 1500) && !f.found; waited += 50) {
      EnumWindows(FindProc, reinterpret_cast<LPARAM>(&f));
      if (!f.found) Sleep(50);
    }
    Expect(f.found == nullptr, "unexpected window showing " + Show(w[1]));
  } else if (c == "lock") {
    Need(w, 2);
    g_lock = CreateFileA(w[1].c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    Expect(g_lock != INVALID_HANDLE_VALUE, "cannot lock " + w[1]);
  } else if (c == "unlock") {
    CloseHandle(g_lock);
    g_lock = INVALID_HANDLE_VALUE;
  } else if (c == "pick") {
    Need(w, 3);
    HWND list = Control(w[1]);
    char cls[32] = "";
    GetClassNameA(list, cls, sizeof cls);
    bool combo = lstrcmpiA(cls, "ComboBox") == 0;
    LRESULT i = SendMessageA(list, combo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT,
                             static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(w[2].c_str()));
    Expect(i >= 0, "no item " + Show(w[2]) + " in " + w[1]);
    SendMessageA(list, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(i), 0);
    int id = GetDlgCtrlID(list);
    WPARAM note = combo ? MAKEWPARAM(id, CBN_SELCHANGE) : MAKEWPARAM(id, LBN_DBLCLK);
    PostMessageA(g_dialog, WM_COMMAND, note, reinterpret_cast<LPARAM>(list));
    Sleep(150);
  } else if (c == "list-windows") {
    EnumWindows(
        [](HWND h, LPARAM) -> BOOL {
          char cls[64] = "";
          GetClassNameA(h, cls, sizeof cls);
          if (IsWindowVisible(h))
            std::printf("window %s class %s program %s\n", Show(TextOf(h)).c_str(), cls, ProgramOf(h).c_str());
          return TRUE;
        },
        0);
  } else if (c == "decoy") {
    Need(w, 2);
    ActivateDecoy(w[1]);
  } else if (c == "window-enabled") {
    Need(w, 2);
    Expect(g_dialog != nullptr, "no current window");
    bool v = IsWindowEnabled(g_dialog) != 0;
    Expect(v == (w[1] == "1"), std::string("the window is ") + (v ? "enabled" : "disabled"));
  } else if (c == "box-owner") {
    Expect(g_box != nullptr && g_dialog != nullptr, "no current box and window");
    Expect(GetWindow(g_box, GW_OWNER) == g_dialog, "the box is not owned by the current window");
  } else if (c == "main-window-hidden") {
    EnumWindows(PollMain, 0);  // a busy machine may not have let the watcher look yet
    Expect(g_mainSeen, "no main window");
    Expect(!g_mainShown, "the main window was shown");
  } else if (c == "no-process") {
    Need(w, 2);
    for (DWORD waited = 0; waited <= Ms(w, 2, 1500); waited += 100) {
      Expect(!ProcessRuns(w[1]), "a process " + w[1] + " runs");
      Sleep(100);
    }
  } else if (c == "elapsed") {
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    std::printf("elapsed %.1f\n", 1000.0 * static_cast<double>(g_found.QuadPart - g_started.QuadPart) /
                                      static_cast<double>(freq.QuadPart));
  } else if (c == "lines") {
    Need(w, 2);
    std::vector<std::string> want(w.begin() + 2, w.end());
    std::string t = TextOf(Control(w[1]));
    Expect(LinesOf(t) == want, w[1] + " reads " + Show(t));
  } else if (c == "top-line") {
    Need(w, 3);
    LRESULT top = SendMessageA(Control(w[1]), EM_GETFIRSTVISIBLELINE, 0, 0);
    Expect(top == std::atol(w[2].c_str()), w[1] + " shows line " + std::to_string(top) + " first");
  } else if (c == "box-has") {
    Need(w, 3);
    g_box = WaitFor(w[1], true, 10000);
    Expect(g_box != nullptr, "no message box " + Show(w[1]));
    std::string text = TextOf(GetDlgItem(g_box, 0xFFFF));
    Expect(Lower(text).find(Lower(w[2])) != std::string::npos, "box reads " + Show(text) + ", expected a part " + Show(w[2]));
  } else if (c == "explorer") {
    Need(w, 3);
    bool want = w[2] == "1";
    HWND found = nullptr;
    for (DWORD waited = 0; waited <= Ms(w, 3, want ? 15000 : 1000) && !found; waited += 50) {
      found = ExplorerOn(w[1]);
      if (!found) Sleep(50);
    }
    Expect((found != nullptr) == want, want ? "no explorer window on " + Show(w[1])
                                            : "an explorer window on " + Show(w[1]));
    if (found) g_dialog = found;
  } else if (c == "short-path") {
    Need(w, 2);
    char buf[MAX_PATH] = "";
    DWORD n = GetShortPathNameA(w[1].c_str(), buf, MAX_PATH);
    Expect(n > 0 && n < MAX_PATH, "no short form of " + Show(w[1]));
    std::printf("short %s\n", buf);
  } else if (c == "selected") {
    Need(w, 3);
    std::string seen;
    bool v = WholeTextSelected(Control(w[1]), &seen);
    Expect(v == (w[2] == "1"), w[1] + ": " + seen);
  } else if (c == "sleep") {
    Sleep(Ms(w, 1, 100));
  } else if (c == "artefacts") {
    Need(w, 2);
    g_artifacts = w[1];
  } else if (!RunFamilyCommand(w, Expect)) {
    Fail("unknown command " + c);
  }
}

}  // namespace

int main(int argc, char** argv) {
  FILE* in = argc > 1 ? std::fopen(argv[1], "r") : stdin;
  if (!in) {
    std::printf("FAIL: cannot read %s\n", argv[1]);
    return 1;
  }
  char buf[4096];
  while (std::fgets(buf, sizeof buf, in)) {
    ++g_line;
    std::string line(buf);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    std::vector<std::string> words = Split(line);
    if (words.empty() || words[0][0] == '#') continue;
    Run(words);
  }
  if (g_proc.hProcess && WaitForSingleObject(g_proc.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(g_proc.hProcess, 99);
    std::printf("FAIL: the program was still running at the end of the script\n");
    return 1;
  }
  std::printf("ok\n");
  return 0;
}
