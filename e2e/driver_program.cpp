// The program under test: starting it, watching its hidden main window, a decoy to lose focus to, and failing a run.
#include <windows.h>

#include <tlhelp32.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "e2e/driver.h"
#include "e2e/driver_family.h"
#include "e2e/driver_program.h"

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

void Expect(bool ok, const std::string& what) {
  if (!ok) Fail(what);
}

// Another program's window for the program under test to lose its activation
// to. It runs its own message loop, so it answers activation while the
// driver's thread sleeps or waits.
static HWND g_decoy = nullptr;

static DWORD WINAPI DecoyThread(LPVOID param) {
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
static std::atomic<HWND> g_mainWindow{nullptr};

static bool IsMainWindow(HWND h) {
  if (h == g_mainWindow.load()) return true;
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  char text[64] = "";
  GetWindowTextA(h, text, sizeof text);
  return OfProgram(pid) && std::strcmp(text, kMainCaption) == 0;
}

static void CALLBACK ShowEvent(HWINEVENTHOOK, DWORD, HWND h, LONG object, LONG, DWORD, DWORD) {
  if (object == OBJID_WINDOW && h && IsMainWindow(h)) g_mainShown = true;
}

BOOL CALLBACK PollMain(HWND h, LPARAM) {
  if (!IsMainWindow(h)) return TRUE;
  g_mainWindow = h;
  g_mainSeen = true;
  if (IsWindowVisible(h)) g_mainShown = true;
  return FALSE;
}

static DWORD WINAPI WatchMain(LPVOID process) {
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

// A script's word in Unicode: UTF-8 when it is well formed (plain ASCII is),
// else the system's code page.
std::wstring WideOfScript(const std::string& s) {
  if (s.empty()) return std::wstring();
  for (UINT cp : {static_cast<UINT>(CP_UTF8), static_cast<UINT>(CP_ACP)}) {
    DWORD flags = cp == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    int n = MultiByteToWideChar(cp, flags, s.data(), static_cast<int>(s.size()), nullptr, 0);
    if (n <= 0) continue;
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(cp, flags, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
  }
  return std::wstring();
}

void Start(const std::string& dir, const std::vector<std::string>& w, size_t first) {
  std::string cmd = "\"" + w[first] + "\"";
  for (size_t i = first + 1; i < w.size(); ++i)
    cmd += w[i].empty() || w[i].find(' ') != std::string::npos ? " \"" + w[i] + "\"" : " " + w[i];
  std::string workDir = dir.empty() ? w[first].substr(0, w[first].find_last_of('\\')) : dir;
  // Scripts are UTF-8: a program in a folder whose name the code page cannot
  // hold is started by its own name, as the desktop would start it.
  std::wstring wideExe = WideOfScript(w[first]), wideCmd = WideOfScript(cmd),
               wideDir = WideOfScript(workDir);
  STARTUPINFOW si = {sizeof si};
  if (!CreateProcessW(wideExe.c_str(), wideCmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      wideDir.c_str(), &si, &g_proc))
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
  if (a == "Retry") return IDRETRY;
  Fail("unknown answer " + a);
}

DWORD Ms(const std::vector<std::string>& w, size_t i, DWORD def) {
  return w.size() > i ? static_cast<DWORD>(std::atol(w[i].c_str())) : def;
}

void Need(const std::vector<std::string>& w, size_t n) {
  if (w.size() < n) Fail("too few words for " + w[0]);
}
