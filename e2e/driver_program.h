// The program under test as a process: starting it, its hidden main window, the decoy that takes focus from it.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

// Whether the hidden main window was seen, and whether it was ever shown, since the last start.
extern std::atomic<bool> g_mainSeen, g_mainShown;

// Starts words[first] with the words after it as arguments, in dir (the exe's own folder when empty).
void Start(const std::string& dir, const std::vector<std::string>& words, size_t first);
// EnumWindows' callback that looks for the main window now.
BOOL CALLBACK PollMain(HWND h, LPARAM);
// Opens (once) a window of the driver's own and makes it the active one.
void ActivateDecoy(const std::string& caption);
bool ProcessRuns(const std::string& exe);
// The message box button for OK, Cancel, Yes, No or Retry.
int AnswerId(const std::string& answer);
