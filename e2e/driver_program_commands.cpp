// The script's commands on the program as a whole: starting and ending it, its boxes, other programs' windows, files it holds.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "e2e/driver.h"
#include "e2e/driver_family.h"
#include "e2e/driver_find.h"
#include "e2e/driver_program.h"


bool RunProgramCommand(const std::vector<std::string>& w) {
  const std::string& c = w[0];
  if (c == "start") {
    Need(w, 2);
    Start("", w, 1);
  } else if (c == "start-in") {
    Need(w, 3);
    Start(w[1], w, 2);
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
  } else if (c == "sleep") {
    Sleep(Ms(w, 1, 100));
  } else if (c == "artefacts") {
    Need(w, 2);
    g_artifacts = w[1];
  } else {
    return false;
  }
  return true;
}
