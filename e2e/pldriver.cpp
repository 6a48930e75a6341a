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
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "e2e/driver.h"
#include "e2e/driver_family.h"

namespace {

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

void Run(const std::vector<std::string>& w) {
  if (!RunDialogCommand(w) && !RunFitCommand(w) && !RunProgramCommand(w) && !RunFamilyCommand(w, Expect))
    Fail("unknown command " + w[0]);
}

}  // namespace

int main(int argc, char** argv) {
  // The program under test is DPI aware: the driver reads its windows in the
  // same real pixels, not in a scaled-down picture of them.
  SetProcessDPIAware();
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
    std::fflush(stdout);
    return 1;
  }
  // Written through before teardown: the wine server may kill a process that
  // is slow to go, and an unflushed verdict would be lost with it.
  std::printf("ok\n");
  std::fflush(stdout);
  return 0;
}
