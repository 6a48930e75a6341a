// The driver's notion of "the program": the process it started and the copies that process starts of itself.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The uninstaller hands its work to a copy of itself (same file name) and
// waits for it; the windows a person sees belong to the copy. Other programs
// it starts (explorer, the mail client) are not the program.
void FamilyStart(DWORD pid, const std::string& exePath);
// True for the started process and its same-named descendants. Safe to call
// from the watcher thread too.
bool OfProgram(DWORD pid);

// Commands about processes, for the script:
//   processes-end <exe> [ms]   every process of that file name ends within ms
//                              (default 20000): a removal and its copy are over
// True when w was one of them.
bool RunFamilyCommand(const std::vector<std::string>& w, void (*expect)(bool, const std::string&));
