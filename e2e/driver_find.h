// Finding the program's dialogs and boxes, and other programs' windows, by caption.
#pragma once

#include <windows.h>

#include <string>

struct Find {
  std::string caption;
  bool box;  // a message box: has the static 0xFFFF
  HWND found;
  bool anyProgram = false;  // match a part of the caption in any program's windows
};

// EnumWindows' callback over a Find: the program's dialog or box of that
// caption, or any other program's window whose caption holds it.
BOOL CALLBACK FindProc(HWND h, LPARAM find);
// A visible window of explorer.exe whose caption names the folder.
HWND ExplorerOn(const std::string& folder);
