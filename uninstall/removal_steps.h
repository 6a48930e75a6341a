// The removal run and its steps: program group, program files, registry keys, the log and the pauses.
#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "sys/platform.h"
#include "sys/resolved_folder.h"
#include "sys/ui.h"

namespace pel {

class TUninstWiz;
class EntryClaims;

// The outside world of the steps.
struct RemovalServices {
  Platform& platform;
  Ui& ui;  // boxes of the steps (errors, folders left alone)
  // Sleeps ms milliseconds; the real run sleeps, tests count.
  std::function<void(int ms)> sleep;
  // The closing notice for folder, run modally over the wizard.
  // complete: nothing was left behind.
  std::function<void(const Text& folder, bool complete)> showNotice;
  // An unattended run: no beep.
  bool quiet = false;
  // What this run could not delete, or left whole because it was not the
  // folder checked: full paths, in the order met. Anything here keeps the
  // component's registry key (and the product's entry in the list of
  // installed programs), so the removal can be run again.
  std::vector<Text> left;
};

inline constexpr int RemovalPauseMs = 300;

// The whole removal, with the wizard on its Finish page: the checked
// components in AppFirst's order, the closing lines, the beep and the notice.
void RunRemoval(TUninstWiz& wiz, RemovalServices& s);
// The product's three steps, only when its box is checked.
void RemovePelmora(TUninstWiz& wiz, RemovalServices& s);
// Mixmaster's two steps, only when its box is checked.
void RemoveMixmaster(TUninstWiz& wiz, RemovalServices& s);
// Deletes the program group through the Program Manager. False when no
// conversation opened or sending raised an error.
bool RemoveProgramGroup(TUninstWiz& wiz, RemovalServices& s);

// Whether a program group name may go into a Program Manager command: one
// plain folder name, neither starting nor ending with a dot or a blank (the
// system drops those, so "..." or " .." would name the Start menu itself),
// without path separators, colons, the characters file names or the command
// syntax reserve, or control characters.
bool PlainGroupName(std::string_view name);

// Deletes every file of the held folder (path is its resolved path) except
// the product's database files (pl.dbc, pl.pgp, pl.pgp.bak in any letter
// case), links as links; subfolders and the folder stay. The uninstaller goes
// last and only when nothing else stayed. What stays is added to left; true
// when nothing did.
// Each file goes through its claim when the check made one.
bool DeleteAppFiles(HeldFolder& folder, const Text& path, std::vector<Text>* left, EntryClaims& claims);

// What Mixmaster's step must leave to the product when the two share a tree.
struct ProductShare {
  const ResolvedFolder* folder = nullptr;  // the product's folder, when it resolved
  bool stays = false;                      // the product is not removed by this run
};
// Deletes every file of the resolved folder, its "pool" tree (links in it
// removed as links, never followed), and the folder itself when nothing else
// is left. The product's database files are never deleted; in the product's
// own folder, while the product stays, no file at all; a pool that is or holds
// the product's folder is not touched. False when the pool or the folder
// could not be removed.
bool DeleteMixFiles(FileSystem& fs, const ResolvedFolder& folder, const ProductShare& product = {});
// The same through the held folder, which is let go before the folder itself
// is removed (only while it is still that folder); what stays goes to left.
bool DeleteMixFiles(FileSystem& fs, std::shared_ptr<HeldFolder>& held, const ResolvedFolder& folder,
                    const ProductShare& product, std::vector<Text>* left, EntryClaims& claims);

// Quiet retries over about this long before a file in use is named to the user.
inline constexpr int FileInUseRetryMs = 2000;
inline constexpr int FileInUseStepMs = 250;
// The first file the checked components' steps would delete that another
// program holds so that it cannot be deleted now, as a full path; empty when
// every one can go. Every one checked stays claimed (open for deletion) in
// the wizard's folders for the removal to delete through; when one is held,
// none does.
Text RemovalFileInUse(TUninstWiz& wiz);
// The wizard's Retry/Cancel box and the unattended log line for it.
Text FileInUseText(std::string_view path);
Text FileInUseLogLine(std::string_view path);

// The full path of the Program Manager's program, from the system folder or
// else the Windows folder; empty when neither holds it.
Text ProgramManagerPath(FileSystem& fs);

// Delete the registry keys with their subkeys; failures are not reported.
bool RemoveAppKey(Registry& registry);
bool RemoveMixKey(Registry& registry);

}  // namespace pel
