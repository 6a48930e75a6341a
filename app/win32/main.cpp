// Entry point and the hidden main window that owns whichever wizard runs.
#include <windows.h>

#include <commctrl.h>
#include <cstdlib>
#include <optional>
#include <vector>

#include "app/command_line.h"
#include "app/constants.h"
#include "app/mode.h"
#include "gui/win32/application.h"
#include "app/win32/resource.h"
#include "uninstall/win32/temp_copy_win32.h"
#include "setup/store_access.h"
#include "setup/unattended_install.h"
#include "setup/win32/setup_dialog.h"
#include "sys/action_log.h"
#include "sys/logging_platform.h"
#include "sys/platform.h"
#include "sys/ui.h"
#include "base/win32/wide_path.h"

#include <shellapi.h>
#include "uninstall/unattended_removal.h"
#include "uninstall/win32/uninst_dialog.h"

namespace pel {
Ui& Win32UiInstance();
static_assert(IDI_PELMORA == ProductIconResource);

namespace {

INT_PTR CALLBACK MainFormProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

// The arguments after the program's name, read in Unicode and split as the
// system splits them, each converted without best fit; *inexact gets the
// positions of those the code page could not hold.
std::vector<Text> UnicodeArguments(std::vector<size_t>* inexact) {
  std::vector<Text> args;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return args;
  for (int i = 1; i < count; ++i) {
    Text arg;
    if (!win32::NarrowText(wide[i], &arg)) inexact->push_back(args.size());
    args.push_back(std::move(arg));
  }
  LocalFree(wide);
  return args;
}

std::vector<Text>& Arguments() {
  static std::vector<Text> args;
  return args;
}

// The main window's whole life happens in its construction: it decides the
// mode, runs that wizard modally as the wizard's owner, and posts the quit
// message that ends the message loop as soon as it starts. Failure() is what
// ended it early, for the standard error box; empty when nothing did.
class TMainForm {
 public:
  explicit TMainForm(Mode mode) {
    hwnd_ = CreateDialogParamA(app::Instance(), MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainFormProc, 0);
    if (!hwnd_) {
      failure_ = "Cannot create the main window";
      return;
    }
    SendMessageA(hwnd_, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadIconA(app::Instance(), MAKEINTRESOURCEA(IDI_PELMORA))));
    if (mode == Mode::Setup) {
      app::SetTitle(SetupTitle);
      failure_ = RunSetupWizard(hwnd_);
    } else {
      app::SetTitle(UninstallTitle);
      failure_ = RunUninstallWizard(hwnd_);
    }
    // A quit left in the queue would close the error box at once.
    if (failure_.empty()) PostMessageA(hwnd_, WM_QUIT, 0, 0);
  }
  ~TMainForm() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;
  const Text& Failure() const { return failure_; }

 private:
  HWND hwnd_ = nullptr;
  Text failure_;
};

void RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}


// Writes text to the console the program was started from, if any; false
// when there is none (started from the desktop), so the caller shows a box.
bool WriteToConsole(std::string_view text) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if ((!out || GetFileType(out) == FILE_TYPE_UNKNOWN) && AttachConsole(ATTACH_PARENT_PROCESS))
    out = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (!out || out == INVALID_HANDLE_VALUE || GetFileType(out) == FILE_TYPE_UNKNOWN) return false;
  DWORD put = 0;
  return WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &put, nullptr) && put > 0;
}

void WriteToStandardError(std::string_view text) {
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  DWORD put = 0;
  if (err && err != INVALID_HANDLE_VALUE) WriteFile(err, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
}

// An unattended run: no window at all, not even the hidden main one; the
// boxes the steps would show go to the log. Returns the exit code.
int RunUnattended(Mode mode, const Switches& sw, Platform& base) {
  ActionLog& log = ProcessLog();
  if (!sw.ok()) {
    log.Write("Usage error: " + sw.error);
    WriteToStandardError("Usage error: " + sw.error + "\r\n");
    return ExitUsage;
  }
  SilentUi silent;
  LoggingUi ui(silent, log);
  SetCurrentUi(&ui);
  LoggingPlatform logged(base, log);
  if (mode == Mode::Setup) {
    InstallServices services{logged.platform(), DiskStore(), ui, OwnPaths().ownStorePath,
                             SystemProgramsFolder, LocalDate, &log};
    services.sleep = [](int ms) { Sleep(static_cast<DWORD>(ms)); };
    return RunUnattendedInstall(InstallChoicesOf(sw), OwnFolder(), services);
  }
  return RunUnattendedRemoval(sw.mixmaster, logged.platform(), ui, log,
                              [](int ms) { Sleep(static_cast<DWORD>(ms)); });
}

}  // namespace
}  // namespace pel

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace pel;
  app::SetInstance(instance);
  SetCurrentUi(&Win32UiInstance());
  std::vector<size_t> inexact;
  std::vector<Text>& args = Arguments();
  args = UnicodeArguments(&inexact);
  // The program's own path names the distribution folder: one that cannot
  // come in exactly or by a short form would be another folder, or none.
  if (OwnModulePath().empty()) {
    std::wstring own(32768, L'\0');
    own.resize(GetModuleFileNameW(nullptr, own.data(), static_cast<DWORD>(own.size())));
    std::wstring text = L"This program cannot work from the folder\n" + own +
                        L"\nbecause the system's code page cannot hold its name and the volume "
                        L"gives it no short name. Copy it to another folder and start it there.";
    bool silent = false;
    for (const Text& a : args) silent = silent || AnsiUpperCase(a) == "/S";
    if (!silent) MessageBoxW(nullptr, text.c_str(), L"Pelmora", MB_OK | MB_ICONERROR);
    return ExitStepFailed;
  }
  // A temporary copy of the uninstaller: the marker is its original's word, no switch.
  std::optional<CopyMarker> asCopy = TakeCopyMarker(args);
  Win32CopyHost copyHost(asCopy ? &*asCopy : nullptr);
  std::optional<OriginalWatch> watch;
  if (asCopy) watch.emplace(RealPlatform(), copyHost, asCopy->original);
  Platform& base = watch ? watch->platform() : RealPlatform();
  // The copy's end: the original is told the code, and deleted once it has ended.
  auto finish = [&](int result) {
    if (asCopy)
      FinishTempCopy(RealPlatform().files, copyHost, *asCopy, watch->originalWanted(),
                     watch->originalIdentity(), OwnModulePath(), result, ProcessLog());
    return result;
  };
  Mode mode = DecideMode(OwnModulePath(), args.empty() ? "" : args[0]);
  Switches sw = ParseSwitches(mode, OwnModulePath(), args, inexact);
  // The wizard ignores what it does not know, but names no log by a look-alike.
  if (!sw.silent && !sw.ok() && !inexact.empty()) {
    CurrentUi().ShowMessage("Usage error: " + sw.error, mode == Mode::Setup ? SetupTitle : UninstallTitle,
                            MsgButtons::Ok, MsgIcon::Error);
    return finish(ExitDone);
  }
  app::SetTitle(ProductName);
  if (sw.help) {
    Text usage = UsageText(mode);
    if (!WriteToConsole(usage))
      CurrentUi().ShowMessage(usage, mode == Mode::Setup ? SetupTitle : UninstallTitle,
                              MsgButtons::Ok, MsgIcon::Information);
    return ExitDone;
  }
  if (sw.log) {
    // A log that cannot be written stops the run before anything changes.
    std::unique_ptr<LogSink> sink = OpenAppendLog(*sw.log);
    if (!sink) {
      Text why = "Cannot write the log file " + *sw.log + ".";
      if (sw.silent) {
        WriteToStandardError(why + "\r\n");
        return ExitUsage;
      }
      CurrentUi().ShowMessage(why, mode == Mode::Setup ? SetupTitle : UninstallTitle,
                              MsgButtons::Ok, MsgIcon::Error);
      return ExitDone;
    }
    ProcessLog() = ActionLog(std::move(sink), LocalTimestamp);
    ProcessLog().Write(Text(mode == Mode::Setup ? SetupTitle : UninstallTitle) + " " +
                       Text(ProductVersion) + " started" + (sw.silent ? " unattended" : "") +
                       " as " + OwnModulePath());
  }
  // Started from the product folder, the removal runs from a copy, so
  // that this file can go too; a usage error is answered right here.
  if (mode == Mode::Uninstall && !asCopy && sw.ok()) {
    if (std::optional<int> copied = RemoveFromTempCopy(args, sw.log, copyHost)) return *copied;
  }
  if (sw.silent) {
    int code = RunUnattended(mode, sw, base);
    ProcessLog().Write("Exit code " + std::to_string(code));
    return finish(code);
  }
  // The wizard's changes go through the log too when there is one.
  LoggingPlatform logged(base, ProcessLog());
  if (ProcessLog().enabled()) SetActivePlatform(&logged.platform());
  else if (watch) SetActivePlatform(&base);
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  LoadLibraryA("riched20.dll");
  Text failure;
  {
    TMainForm mainForm(mode);
    if (mainForm.Failure().empty()) RunMessageLoop();
    failure = mainForm.Failure();
  }
  SetActivePlatform(nullptr);
  if (!failure.empty()) app::ShowException(failure);
  // Interactive runs end with 0 whatever happened, as they always did.
  return finish(ExitDone);
}
