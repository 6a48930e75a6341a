// The removal run and its steps: program group, program files, registry keys, the log and the pauses.
#include "uninstall/removal_steps.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "app/constants.h"
#include "app/database_files.h"
#include "sys/file_replacement.h"
#include "sys/paths.h"
#include "sys/services.h"
#include "uninstall/folder_guard.h"
#include "uninstall/held_removal.h"
#include "uninstall/uninst_form.h"

namespace pel {

using C = UninstControl;

namespace {

constexpr std::string_view kProgman = "PROGMAN";
constexpr std::string_view kPool = "pool";

void Log(TUninstWiz& wiz, std::string_view line) { wiz.View().AddLine(C::RichEdit2, line); }

void Sleep300(RemovalServices& s) {
  if (s.sleep) s.sleep(RemovalPauseMs);
}

// Lets the window catch up, then gives the user time to read the line.
void Pause(TUninstWiz& wiz, RemovalServices& s) {
  wiz.View().ProcessMessages();
  Sleep300(s);
}

// The resolved folder when the component's files may be deleted from it;
// otherwise nullptr, after the box that says why (none when no folder is
// recorded or it does not exist).
const ResolvedFolder* Deletable(RemovalServices& s, std::string_view component,
                                const Text& recorded, const FolderResolution& folder,
                                std::span<const std::string_view> programs, bool holdsProgram) {
  FolderVerdict v = JudgeComponentFolder(s.platform, folder, programs, holdsProgram);
  if (v.deletable) return &*folder.folder;
  if (!v.reason.empty()) {
    s.ui.ShowMessage(FolderLeftAloneMessage(component, recorded, v.reason), UninstallTitle,
                     MsgButtons::Ok, MsgIcon::Warning);
  }
  return nullptr;
}

// A setup run killed before it committed left earlier files set aside in the
// product folder: they come back before anything goes. When they cannot,
// nothing goes, and the next run of either program finishes the job.
bool EarlierCopyFinished(RemovalServices& s, const ResolvedFolder& folder) {
  FileReplacement::Recovery r =
      FileReplacement::FinishInterrupted(s.platform.files, folder.Path(), s.sleep);
  if (r.ok()) return true;
  Text what = r.outcome == FileReplacement::Recovery::Outcome::Stuck
                  ? "the file " + r.file + " cannot be put back"
                  : "its record " + r.record + " cannot be used: " + r.why;
  s.ui.ShowMessage("An interrupted installation left files set aside in " + folder.Path() + ", and " +
                       what + ".\nThe program files are left as they are.",
                   UninstallTitle, MsgButtons::Ok, MsgIcon::Warning);
  return false;
}

// The product's files through its held folder; a folder that could not be
// held as the one checked is left whole and logged.
void DeleteHeldOrLeaveWhole(TUninstWiz& wiz, RemovalServices& s, std::string_view component,
                            const ResolvedFolder& folder, std::shared_ptr<HeldFolder>& held,
                            const Text& reason) {
  if (held) {
    size_t before = s.left.size();
    DeleteAppFiles(*held, folder.Path(), &s.left, wiz.HeldFolders().claims);
    // Run in place, the uninstaller is this very program, which no system
    // lets delete itself: it stays, as it always did, and is no reason to
    // keep the key. Any other file left still is.
    FileIdentity own, staying;
    const Text uninstaller = folder.Path() + Text(UninstallerExe);
    if (s.left.size() == before + 1 && AnsiSameText(s.left.back(), uninstaller) &&
        s.platform.files.Identify(OwnModulePath(), &own) &&
        s.platform.files.Identify(uninstaller, &staying) && own == staying) {
      s.left.pop_back();
      Log(wiz, "   " + Text(UninstallerExe) + " stays: it is this program, running from the product folder");
    }
    return;
  }
  Log(wiz, "   " + FolderLeftAloneMessage(component, folder.Path(), reason));
  s.left.push_back(folder.Path());
}

// When the step left something, says what and keeps the key (and with the
// product's, its entry in the list of installed programs) for a later run.
bool KeepKeyForWhatIsLeft(TUninstWiz& wiz, RemovalServices& s, size_t before) {
  if (s.left.size() == before) return false;
  for (size_t i = before; i < s.left.size(); ++i) Log(wiz, "   left: " + s.left[i]);
  Log(wiz, "   registry key...kept, so that the removal can be run again");
  Pause(wiz, s);
  return true;
}

}  // namespace

bool PlainGroupName(std::string_view name) {
  if (name.empty()) return false;
  auto trimmed = [](char c) { return c == '.' || c == ' '; };
  if (trimmed(name.front()) || trimmed(name.back())) return false;
  for (char ch : name) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 32 || c == 127) return false;
    if (Text("\\/:<>\"|?*[](),").find(ch) != Text::npos) return false;
  }
  return true;
}

bool RemoveProgramGroup(TUninstWiz& wiz, RemovalServices& s) {
  const Text& group = wiz.State().programGroup;
  // A name that could reach beyond one group folder (".." deletes the whole
  // Start menu) or break the command's syntax is never sent.
  if (!PlainGroupName(group)) {
    Log(wiz, "   program group...done");
    Pause(wiz, s);
    return true;
  }
  // Started, if it must be, from where the system keeps it: by its bare name
  // it would be searched for in the current folder first.
  std::unique_ptr<DdeConversation> conversation =
      s.platform.dde.Connect(kProgman, kProgman, ProgramManagerPath(s.platform.files));
  if (!conversation) {
    s.ui.ShowMessage("Unable to remove " + Text(ProductName) + " program group!", "Error",
                     MsgButtons::Ok, MsgIcon::Error);
    return false;
  }
  Text command = "[DeleteGroup(" + group + ")]";
  if (!conversation->Execute(command)) {
    s.ui.ShowMessage("ExecuteMacroLines failed!\nUnable to create Program Group!",
                     "Program Error", MsgButtons::Ok, MsgIcon::Error);
  }
  conversation.reset();
  Log(wiz, "   program group...done");
  Pause(wiz, s);
  return true;
}

bool DeleteAppFiles(HeldFolder& folder, const Text& path, std::vector<Text>* left, EntryClaims& claims) {
  std::vector<HeldEntry> entries;
  if (!folder.List(&entries)) {
    left->push_back(path);
    return false;
  }
  size_t before = left->size();
  const HeldEntry* uninstaller = nullptr;
  std::vector<HeldEntry> deleted;
  for (const HeldEntry& e : entries) {
    if (!DeletedAsFile(e) || IsDatabaseFileName(e.name)) continue;
    if (AnsiSameText(e.name, UninstallerExe) && !(e.attributes & kAttrReparsePoint)) {
      uninstaller = &e;
      continue;
    }
    if (claims.Delete(folder, e)) {
      deleted.push_back(e);
    } else {
      left->push_back(path + e.name);
    }
  }
  NoteStillListed(folder, path, deleted, left);
  // The uninstaller is what the installed-programs entry starts: it stays
  // with the entry while anything else does, so the removal can finish later.
  if (uninstaller && (left->size() != before || !claims.Delete(folder, *uninstaller))) {
    left->push_back(path + uninstaller->name);
  }
  return left->size() == before;
}

bool DeleteMixFiles(FileSystem& fs, std::shared_ptr<HeldFolder>& held, const ResolvedFolder& folder,
                    const ProductShare& product, std::vector<Text>* left, EntryClaims& claims) {
  const Text& path = folder.Path();
  std::vector<HeldEntry> entries;
  if (!held->List(&entries)) {
    left->push_back(path);
    return false;
  }
  bool productsOwn = product.folder && *product.folder == folder;
  bool result = true;
  bool otherFolders = false;
  const HeldEntry* pool = nullptr;
  std::vector<HeldEntry> deleted;
  for (const HeldEntry& e : entries) {
    if (AnsiSameText(e.name, kPool) && (e.attributes & kAttrDirectory)) {
      // A pool that is a link goes as the link; what it names stays.
      if (!(e.attributes & kAttrReparsePoint)) {
        pool = &e;
      } else if (!held->Delete(e)) {
        left->push_back(path + e.name);
        result = false;
      }
      continue;
    }
    if (RealSubfolder(e)) {
      otherFolders = true;
    } else if (!IsDatabaseFileName(e.name) && !(productsOwn && product.stays) &&
               // In a folder both share, the uninstaller is the product's: its
               // own step has taken it (or it is this program, running).
               !(productsOwn && AnsiSameText(e.name, UninstallerExe))) {
      if (claims.Delete(*held, e)) {
        deleted.push_back(e);
      } else {
        left->push_back(path + e.name);
      }
    }
  }
  NoteStillListed(*held, path, deleted, left);
  if (pool) {
    // Whether the pool is or holds the product's folder is asked of the
    // resolved pool, and only while that is the pool entry held here.
    FolderResolution tree = ResolveFolder(fs, path + pool->name);
    bool same = tree.folder && tree.folder->Identity() == pool->identity;
    bool holdsProduct = product.folder && (!same || *tree.folder == *product.folder ||
                                           tree.folder->Contains(*product.folder));
    result = !holdsProduct && DeleteHeldTree(*held, *pool, path, left, claims);
  }
  if (result && !otherFolders) {
    // Let go of the folder so that it can go, but only while it is the
    // folder held: what stands at its path by then is not looked into.
    FileIdentity identity = held->Identity();
    held.reset();
    result = fs.RemoveEmptyDirectoryIf(path, identity);
  }
  return result;
}

bool DeleteMixFiles(FileSystem& fs, const ResolvedFolder& folder, const ProductShare& product) {
  std::shared_ptr<HeldFolder> held = fs.HoldFolder(folder.Path());
  if (!held || !(held->Identity() == folder.Identity())) return false;
  std::vector<Text> left;
  EntryClaims claims;
  return DeleteMixFiles(fs, held, folder, product, &left, claims);
}

Text RemovalFileInUse(TUninstWiz& wiz) {
  InstalledFolders& f = wiz.HeldFolders();
  // Only a folder the steps will delete from is looked into: a refused one
  // (a drive root, the Windows folder) is left whole whatever holds its files.
  auto deletable = [&](const FolderResolution& folder, std::span<const std::string_view> programs,
                       bool holdsProgram) {
    return JudgeComponentFolder(wiz.Services(), folder, programs, holdsProgram).deletable;
  };
  Text busy;
  if (wiz.View().IsChecked(C::AppEntries) && f.appHeld && f.app.folder &&
      deletable(f.app, PelmoraPrograms, f.appProgram)) {
    busy = FirstEntryInUse(*f.appHeld, f.app.folder->Path(),
                           [](const HeldEntry& e) { return IsDatabaseFileName(e.name); }, false, f.claims);
  }
  if (busy.empty() && wiz.View().IsChecked(C::MixEntries) && f.mixHeld && f.mix.folder &&
      deletable(f.mix, MixmasterPrograms, f.mixProgram)) {
    bool productsOwn = f.app.folder && *f.app.folder == *f.mix.folder && wiz.ProductStays();
    busy = FirstEntryInUse(
        *f.mixHeld, f.mix.folder->Path(),
        [productsOwn](const HeldEntry& e) { return productsOwn || IsDatabaseFileName(e.name); }, true,
        f.claims);
  }
  return busy;
}

Text FileInUseText(std::string_view path) {
  return "The file\n" + Text(path) +
         "\nis in use by another program and cannot be deleted.\n\n"
         "Close that program, then click Retry; or click Cancel to go back. Nothing has been removed.";
}

Text FileInUseLogLine(std::string_view path) {
  return "Nothing removed: " + Text(path) + " is in use by another program; close it and run again";
}

Text ProgramManagerPath(FileSystem& fs) {
  for (const Text& folder : {fs.SystemFolderPath(SystemFolder::System), fs.WindowsDirectory()}) {
    if (folder.empty()) continue;
    Text program = WithTrailingBackslash(folder) + "progman.exe";
    if (fs.FileExists(program)) return program;
  }
  return Text();
}

bool RemoveAppKey(Registry& registry) {
  registry.DeleteKey(ProductKey);
  // The system's list of installed programs goes with the product, and so
  // does the list's key when the installation made it and nothing else is there.
  registry.DeleteKey(UninstallEntryKey);
  registry.DeleteEmptyKey(WithoutTrailingBackslash(FolderPart(UninstallEntryKey)));
  return true;
}

bool RemoveMixKey(Registry& registry) {
  registry.DeleteKey(MixmasterKey);
  return true;
}

void RemovePelmora(TUninstWiz& wiz, RemovalServices& s) {
  if (!wiz.View().IsChecked(C::AppEntries)) return;
  Log(wiz, "Removing " + Text(ProductName) + "...");
  Sleep300(s);
  RemoveProgramGroup(wiz, s);
  InstalledFolders& f = wiz.HeldFolders();
  const ResolvedFolder* folder =
      Deletable(s, ProductName, wiz.AppDir(), f.app, PelmoraPrograms, f.appProgram);
  size_t before = s.left.size();
  // What an interrupted installation set aside is put back by name: nothing
  // of the folder may be claimed meanwhile.
  if (folder && FileReplacement::Interrupted(s.platform.files, folder->Path())) f.claims.Release(folder->Identity());
  if (folder && !EarlierCopyFinished(s, *folder)) {
    s.left.push_back(folder->Path());
    folder = nullptr;
  }
  if (folder) DeleteHeldOrLeaveWhole(wiz, s, ProductName, *folder, f.appHeld, f.appHeldReason);
  f.appHeld.reset();
  Log(wiz, "   program files...done");
  Pause(wiz, s);
  if (KeepKeyForWhatIsLeft(wiz, s, before)) return;
  RemoveAppKey(s.platform.registry);
  Log(wiz, "   registry key...done");
  Pause(wiz, s);
}

void RemoveMixmaster(TUninstWiz& wiz, RemovalServices& s) {
  if (!wiz.View().IsChecked(C::MixEntries)) return;
  Log(wiz, "Removing Mixmaster...");
  Sleep300(s);
  InstalledFolders& folders = wiz.HeldFolders();
  const ResolvedFolder* folder =
      Deletable(s, "Mixmaster", wiz.State().mixDir, folders.mix, MixmasterPrograms,
                folders.mixProgram);
  size_t before = s.left.size();
  if (folder && !folders.mixHeld) {
    DeleteHeldOrLeaveWhole(wiz, s, "Mixmaster", *folder, folders.mixHeld, folders.mixHeldReason);
  } else if (folder) {
    ProductShare product{folders.app.folder ? &*folders.app.folder : nullptr, wiz.ProductStays()};
    DeleteMixFiles(s.platform.files, folders.mixHeld, *folder, product, &s.left, folders.claims);
  }
  folders.mixHeld.reset();
  Log(wiz, "   program files...done");
  Pause(wiz, s);
  if (KeepKeyForWhatIsLeft(wiz, s, before)) return;
  RemoveMixKey(s.platform.registry);
  Log(wiz, "   registry key...done");
  Pause(wiz, s);
}

void RunRemoval(TUninstWiz& wiz, RemovalServices& s) {
  UninstView& v = wiz.View();
  v.ClearLines(C::RichEdit2);
  v.SetEnabled(C::RichEdit2, true);
  v.SetEnabled(C::BackBtn, false);
  v.SetEnabled(C::NextBtn, false);
  v.SetEnabled(C::CancelBtn, false);
  v.Focus(C::RichEdit2);
  v.ProcessMessages();
  if (wiz.AppFirst()) {
    RemovePelmora(wiz, s);
    RemoveMixmaster(wiz, s);
  } else {
    RemoveMixmaster(wiz, s);
    RemovePelmora(wiz, s);
  }
  // What stayed lets go: the user's programs may use it again.
  wiz.HeldFolders().claims.ReleaseAll();
  v.SetText(C::Label4, "");
  v.ProcessMessages();
  if (s.left.empty()) {
    v.SetText(C::Label4, "Un-Installation complete!");
    Log(wiz, "Done!");
  } else {
    v.SetText(C::Label4, "Un-Installation not complete!");
    Log(wiz, "Not finished: " + std::to_string(s.left.size()) +
                 " left (named above). Run the removal again once they are free.");
  }
  v.SetText(C::Label6, "Thanks!");
  if (!s.quiet) SystemBeep(s.platform.shell, 0);
  if (s.showNotice) s.showNotice(wiz.AppDir(), s.left.empty());
}

}  // namespace pel
