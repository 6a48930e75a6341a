// The removal run and its steps: program group, program files, registry keys, the log and the pauses.
#include "uninstall/removal_steps.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <vector>

#include "app/constants.h"
#include "app/database_files.h"
#include "sys/file_replacement.h"
#include "sys/paths.h"
#include "sys/services.h"
#include "uninstall/folder_guard.h"
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

struct Listing {
  std::vector<Text> folders;  // the folder bit, no link
  std::vector<DirEntry> files;  // everything else, name as a full path
};

// Every entry of folder (which ends in a backslash), hidden and system ones
// included, as full paths spelled as listed.
Listing ListFolder(FileSystem& fs, const Text& folder) {
  std::vector<DirEntry> entries;
  fs.List(folder + "*.*", kAttrAll, &entries);
  Listing l;
  for (const DirEntry& e : entries) {
    // The name as listed: what is spared is decided on the lower-cased name,
    // but a file system that keeps case (Wine's) finds the listed spelling
    // without searching the folder for every file.
    Text full = folder + e.name;
    if (IsPlainFolder(e.attributes)) {
      l.folders.push_back(std::move(full));
    } else {
      l.files.push_back({std::move(full), e.attributes});
    }
  }
  return l;
}

bool IsFolderLink(uint32_t attributes) {
  return (attributes & kAttrReparsePoint) && (attributes & kAttrDirectory);
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
  bool result = true;
  try {
    Text command = "[DeleteGroup(" + group + ")]";
    if (!conversation->Execute(command)) {
      s.ui.ShowMessage("ExecuteMacroLines failed!\nUnable to create Program Group!",
                       "Program Error", MsgButtons::Ok, MsgIcon::Error);
    }
  } catch (const std::exception&) {
    s.ui.ShowMessage("Exception caught at ExecuteMacro", "Exception", MsgButtons::Ok,
                     MsgIcon::Error);
    result = false;
  }
  conversation.reset();
  Log(wiz, "   program group...done");
  Pause(wiz, s);
  return result;
}

bool DeleteAppFiles(FileSystem& fs, const ResolvedFolder& folder) {
  for (const DirEntry& file : ListFolder(fs, folder.Path()).files) {
    if (!IsDatabaseFileName(file.name)) fs.Delete(file.name);
  }
  return true;
}

bool DeleteMixFiles(FileSystem& fs, const ResolvedFolder& folder, const ProductShare& product) {
  const Text& path = folder.Path();
  Listing l = ListFolder(fs, path);
  Text pool = AnsiLowerCase(path + Text(kPool));
  bool productsOwn = product.folder && *product.folder == folder;
  bool result = true;
  for (const DirEntry& file : l.files) {
    // A pool that is a link goes as the link; what it names stays.
    if (AnsiSameText(file.name, pool) && IsFolderLink(file.attributes)) {
      result = fs.RemoveEmptyDirectory(file.name);
    } else if (!IsDatabaseFileName(file.name) && !(productsOwn && product.stays)) {
      fs.Delete(file.name);
    }
  }
  for (auto it = l.folders.begin(); it != l.folders.end(); ++it) {
    if (!AnsiSameText(*it, pool)) continue;
    FolderResolution tree = ResolveFolder(fs, *it);
    bool holdsProduct = tree.folder && product.folder &&
                        (*tree.folder == *product.folder || tree.folder->Contains(*product.folder));
    if (holdsProduct) {
      result = false;
    } else if (tree.folder) {
      result = DeleteTree(fs, *tree.folder);
    }
    l.folders.erase(it);
    break;
  }
  if (result && l.folders.empty()) result = fs.RemoveEmptyDirectory(path);
  return result;
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
  const ResolvedFolder* folder = Deletable(s, ProductName, wiz.AppDir(), wiz.Folders().app,
                                           PelmoraPrograms, wiz.Folders().appProgram);
  if (folder && !EarlierCopyFinished(s, *folder)) folder = nullptr;
  if (folder) DeleteAppFiles(s.platform.files, *folder);
  Log(wiz, "   program files...done");
  Pause(wiz, s);
  RemoveAppKey(s.platform.registry);
  Log(wiz, "   registry key...done");
  Pause(wiz, s);
}

void RemoveMixmaster(TUninstWiz& wiz, RemovalServices& s) {
  if (!wiz.View().IsChecked(C::MixEntries)) return;
  Log(wiz, "Removing Mixmaster...");
  Sleep300(s);
  const InstalledFolders& folders = wiz.Folders();
  const ResolvedFolder* folder =
      Deletable(s, "Mixmaster", wiz.State().mixDir, folders.mix, MixmasterPrograms,
                folders.mixProgram);
  if (folder) {
    ProductShare product{folders.app.folder ? &*folders.app.folder : nullptr, wiz.ProductStays()};
    DeleteMixFiles(s.platform.files, *folder, product);
  }
  Log(wiz, "   program files...done");
  Pause(wiz, s);
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
  v.SetText(C::Label4, "");
  v.ProcessMessages();
  v.SetText(C::Label4, "Un-Installation complete!");
  Log(wiz, "Done!");
  v.SetText(C::Label6, "Thanks!");
  if (!s.quiet) SystemBeep(s.platform.shell, 0);
  if (s.showNotice) s.showNotice(wiz.AppDir());
}

}  // namespace pel
