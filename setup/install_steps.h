// The four installation steps and the start of the product, over the platform seams.
#pragma once

#include <functional>

#include "base/string_list.h"
#include "base/text.h"
#include "setup/store_access.h"
#include "sys/action_log.h"
#include "sys/platform.h"
#include "sys/ui.h"

namespace pel {

// What the steps read from the wizard; they change none of it.
struct InstallContext {
  Text appDir;          // the destination folder exactly as typed
  Text address;         // sender address
  Text host;            // outgoing mail server
  bool groupWanted = true;
  bool earlierInstall = false;
  Text sourceFolder;    // the distribution folder
  Text version;         // the distribution's "Version" setting; may be empty
  Text exeName = "PL.exe";
  Text storeName = "PL.dbc";
  Text settingsName = "PL.ini";
  // A fresh group is shown in an explorer window; an unattended run shows nothing.
  bool showGroupWindow = true;
};

// The outside world of the steps.
struct InstallServices {
  Platform& platform;
  StoreAccess& store;
  Ui& ui;
  Text ownStorePath;  // the store file beside the running setup program
  // The system's own Programs folder, asked when the registry names none.
  Text (*systemProgramsFolder)() = nullptr;
  // Today as YYYYMMDD, for the installed-programs entry; empty when unknown.
  Text (*today)() = nullptr;
  // Where each step's result goes; nullptr or a disabled log: nowhere.
  ActionLog* log = nullptr;
  // Sleeps ms milliseconds between quiet retries of a file; empty: no wait.
  std::function<void(int ms)> sleep;
  // A person is there to close what holds a file: ask Retry or Cancel.
  bool askRetry = false;
  // Set by a step that met a failure it has no box of its own for (a store
  // file that cannot be opened or created): the text for the standard error
  // box. The steps stop; whoever runs them shows it (or logs it) and clears it.
  Text failure;
};

// A file that cannot be replaced is tried this many times, this far apart,
// before anyone is asked (a virus scanner holds a new file for a moment).
inline constexpr int CopyQuietTries = 10;
inline constexpr int CopyRetryPauseMs = 200;

// The address of the mail-to-news gateway the default article is sent to.
inline constexpr std::string_view NewsGatewayAddress = "mail2news@gateway.pelmora.invalid";

// The caption and text of the box that refuses a distribution folder without
// the product's program (or one whose name could not reach this program at
// all, sourceFolder empty); empty text when the folder holds it. Installing
// from such a folder would copy nothing and report success.
inline constexpr std::string_view DistributionErrorCaption = "Setup Error";
Text MissingProgramMessage(FileSystem& fs, const Text& sourceFolder, const Text& exeName);

// All or nothing: when a file cannot be copied for good, every file already
// replaced is put back, every new one removed, and then "Copy Failed" shown.
bool CopyProgramFiles(const InstallContext& c, InstallServices& s);
bool WriteInstallRegistry(const InstallContext& c, InstallServices& s);
// The entry of the system's list of installed programs: written by the
// registry step after the product's own values; false when refused.
bool WriteUninstallEntry(const InstallContext& c, InstallServices& s);
bool StoreDefaultTemplates(const InstallContext& c, InstallServices& s);
// A shortcut that cannot be made leaves the others and the installation
// going; each failure is logged with its folder and error, and *failed (when
// given) counts them.
bool CreateProgramGroup(const InstallContext& c, InstallServices& s);
bool CreateProgramGroupCounted(const InstallContext& c, InstallServices& s, int* failed);
// All four in order, each only after the previous one succeeded.
bool RunInstallSteps(const InstallContext& c, InstallServices& s);
// Makes the destination the current folder and, when asked, starts the product from it.
void FinishAndStartProduct(InstallServices& s, const Text& appDir, const Text& exeName, bool start);

StringList DefaultMessageTemplate(const Text& host, const Text& address, const Text& cutMarks);
StringList DefaultArticleTemplate(const Text& host, const Text& address);

// A path in the form two folders are compared by: its short form, lower-cased,
// without a final backslash; empty for a path that does not exist.
Text ComparisonForm(FileSystem& fs, std::string_view path);
// Whether a destination is one this program will create and copy into: a full
// path (drive letter, or a \\server\share), short enough for a file name to
// follow it, and free of characters no file name may hold.
bool AcceptableDestination(std::string_view path);
// Creates path and its missing parents; failures are left for the caller to see.
void ForceDirectories(FileSystem& fs, std::string_view path);

}  // namespace pel
