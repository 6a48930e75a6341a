// What the driver's parts share: the program under test, its current window and box, and the helpers to find and read them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The state of one script run.
extern int g_line;                 // the script line being run, for failure messages
extern PROCESS_INFORMATION g_proc; // the program started last
extern LARGE_INTEGER g_started;    // when it was started
extern LARGE_INTEGER g_found;      // when the last awaited window was first seen
extern HWND g_dialog;              // the current window
extern HWND g_box;                 // the current message box
extern HANDLE g_lock;              // a file held open without sharing
extern std::string g_artifacts;    // where snapshots go

// Failing ends the run: the program is ended and the driver exits with 1.
[[noreturn]] void Fail(const std::string& why);
void Expect(bool ok, const std::string& what);
void Need(const std::vector<std::string>& w, size_t n);
// Word i as milliseconds, or def when the script left it out.
DWORD Ms(const std::vector<std::string>& w, size_t i, DWORD def);

// Windows and controls (driver_windows.cpp).
HWND Control(const std::string& name);
std::string TextOf(HWND h);
std::string Show(const std::string& s);  // quoted, line ends spelled out
std::string Lower(std::string s);
std::string ProgramOf(HWND h);
std::vector<std::string> LinesOf(const std::string& t);
HWND WaitFor(const std::string& caption, bool box, DWORD ms);
void SaveBitmap(HWND h, const std::string& name);

// The commands, by what they act on; each returns false for a command not its own.
bool RunDialogCommand(const std::vector<std::string>& w);   // driver_dialog_commands.cpp
bool RunProgramCommand(const std::vector<std::string>& w);  // driver_program_commands.cpp
bool RunFitCommand(const std::vector<std::string>& w);      // driver_fit.cpp
