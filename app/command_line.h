// The switches of unattended runs: setup.exe /S /DIR= /FORCEDIR /ADDRESS= /SERVER= /NOGROUP /LOG=, UninstPL.exe /S /MIXMASTER /LOG=.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "app/mode.h"
#include "base/text.h"

namespace pel {

struct Switches {
  bool silent = false;          // /S: no window, no question, an exit code
  bool help = false;            // /? or /HELP
  std::optional<Text> dir;      // /DIR=folder
  bool forceDir = false;        // /FORCEDIR: the /DIR folder is meant, though it holds other files
  std::optional<Text> address;  // /ADDRESS=text
  std::optional<Text> server;   // /SERVER=host
  bool noGroup = false;         // /NOGROUP
  bool mixmaster = false;       // /MIXMASTER (removal)
  std::optional<Text> log;      // /LOG=file
  Text error;                   // why the line is a usage error; empty when it is not
  bool ok() const { return error.empty(); }
};

// Reads the arguments after the program name. The mode is decided before and
// apart from this (the first argument alone), so a leading "-u" of setup.exe is
// passed over here. Switch names are compared without regard to case.
//
// Without /S the wizard runs as it always did: /LOG= and /? are honoured and
// anything else is ignored, as arguments always were. With /S every argument
// must be a switch of the mode, each at most once, and values must be neither
// empty nor longer than the system allows.
Switches ParseSwitches(Mode mode, std::string_view exePath, const std::vector<Text>& args);

// The usage text of the mode, lines ended by "\r\n".
Text UsageText(Mode mode);

// Exit codes of unattended runs; interactive runs always end with 0.
enum ExitCode : int {
  ExitDone = 0,
  ExitUsage = 1,
  ExitStepFailed = 2,
  ExitNothingToRemove = 3,
  ExitProductRunning = 4,  // Pelmora runs from its folder; nothing was changed
  // The removal left something: a file in use before it began (nothing was
  // changed), or one that could not be deleted, or a folder that was no
  // longer the one checked; the key and the uninstaller stay for another run.
  ExitRemovalLeftSomething = 5,
};

}  // namespace pel
