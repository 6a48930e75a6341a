// The four installation steps and the start of the product, over the platform seams.
#include "setup/install_steps.h"

#include <algorithm>
#include <memory>

#include "app/constants.h"
#include "store/file_manager.h"
#include "sys/file_replacement.h"
#include "sys/paths.h"
#include "sys/services.h"

namespace pel {
namespace {

constexpr std::string_view kExplorerKey = "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer";
constexpr std::string_view kShellFoldersKey =
    "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// CreateDirectoryA's limit: a folder path must leave room for an 8.3 name.
constexpr size_t kMaxFolderPath = 247;

struct Shortcut {
  std::string_view link;
  std::string_view target;
  std::string_view description;
};
constexpr Shortcut kShortcuts[] = {
    {"\\License.LNK", "License.txt", "License"},
    {"\\Pelmora.LNK", "PL.exe", "Pelmora"},
    {"\\Uninstall PL.LNK", "UninstPL.exe", "Uninstall Pelmora"},
    {"\\QuickStart.LNK", "QuickStart.rtf", "Quick Start"},
    {"\\ReadMe.LNK", "ReadMe.txt", "Read Me"},
};

void Tell(InstallServices& s, std::string_view caption, std::string_view text) {
  s.ui.ShowMessage(text, caption, MsgButtons::Ok);
}

bool IsSeparator(char c) { return c == '\\'; }

}  // namespace

Text ComparisonForm(FileSystem& fs, std::string_view path) {
  return WithoutTrailingBackslash(AnsiLowerCase(ShortPathName(fs, path)));
}

bool AcceptableDestination(std::string_view path) {
  if (path.size() == 2) return false;  // "C:" is the current folder of drive C
  Text p = WithoutTrailingBackslash(path);
  if (p.empty() || p.size() > kMaxFolderPath) return false;
  bool drive = p.size() >= 2 && p[1] == ':' &&
               ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) &&
               (p.size() == 2 || IsSeparator(p[2]));
  bool unc = p.size() > 2 && IsSeparator(p[0]) && IsSeparator(p[1]);
  if (!drive && !unc) return false;
  for (size_t i = 0; i < p.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(p[i]);
    if (c < 32 || Text("<>\"|?*/").find(static_cast<char>(c)) != Text::npos) return false;
    if (c == ':' && i != 1) return false;
  }
  // "." and ".." names would put the folder somewhere other than it reads.
  size_t start = drive ? 3 : 2;
  while (start < p.size()) {
    size_t end = p.find('\\', start);
    if (end == Text::npos) end = p.size();
    std::string_view name = std::string_view(p).substr(start, end - start);
    if (name.empty() && unc) return false;
    if (name == "." || name == ".." || (!name.empty() && (name.back() == ' ' || name.back() == '.')))
      return false;
    start = end + 1;
  }
  return true;
}

void ForceDirectories(FileSystem& fs, std::string_view path) {
  Text dir = WithoutTrailingBackslash(path);
  if (dir.size() < 3 || fs.DirectoryExists(dir)) return;
  Text parent = FolderPart(dir);
  if (parent == dir) return;
  ForceDirectories(fs, parent);
  fs.MakeDirectory(dir);
}

namespace {

// One file into the replacement: quiet tries, then (with a person there) a
// Retry or Cancel box naming the file. False once given up.
bool PutWithRetries(InstallServices& s, FileReplacement& r, const Text& source, const Text& name,
                    uint32_t attributes) {
  for (;;) {
    for (int i = 0; i < CopyQuietTries; ++i) {
      if (i > 0 && s.sleep) s.sleep(CopyRetryPauseMs);
      if (r.Put(source, name, attributes)) return true;
    }
    if (!s.askRetry) return false;
    Text text = "Cannot replace the file " + name + ":\n" +
                SystemErrorText(s.platform.shell, r.LastError()) +
                "\nClose the program that uses it, then click Retry; or click Cancel.";
    if (s.ui.ShowMessage(text, ProductName, MsgButtons::RetryCancel, MsgIcon::Warning) !=
        MsgAnswer::Retry)
      return false;
  }
}

}  // namespace

Text MissingProgramMessage(FileSystem& fs, const Text& sourceFolder, const Text& exeName) {
  // An empty folder would make the test below look in the current folder.
  if (!sourceFolder.empty() && fs.FileExists(WithTrailingBackslash(sourceFolder) + exeName)) return Text();
  Text folder = sourceFolder.empty() ? Text("(a folder whose name this system cannot spell)") : sourceFolder;
  return "The folder\n" + folder + "\ndoes not hold " + exeName + ", the program to install.\n\n" +
         "Nothing has been installed. Start setup.exe from the folder that holds the whole " +
         Text(ProductName) + " distribution.";
}

bool CopyProgramFiles(const InstallContext& c, InstallServices& s) {
  FileSystem& fs = s.platform.files;
  // Checked again here, before any folder is made, whoever runs the steps.
  Text refusal = MissingProgramMessage(fs, c.sourceFolder, c.exeName);
  if (!refusal.empty()) {
    Tell(s, DistributionErrorCaption, refusal);
    return false;
  }
  // Installing into the distribution folder itself: everything is in place.
  Text destForm = ComparisonForm(fs, c.appDir);
  if (!destForm.empty() && destForm == ComparisonForm(fs, c.sourceFolder)) return true;

  bool acceptable = AcceptableDestination(c.appDir);
  if (acceptable && !fs.DirectoryExists(c.appDir)) ForceDirectories(fs, c.appDir);
  if (!acceptable || !fs.DirectoryExists(c.appDir)) {
    Tell(s, Text(ProductName) + "Folder Creation Error",
         "Unable to create the destination folder.\nPlease review your entry for errors or\n"
         "illegal characters.");
    return false;
  }

  Text dest = WithTrailingBackslash(c.appDir);
  Text source = WithTrailingBackslash(c.sourceFolder);
  auto copyFailed = [&](uint32_t code, const Text& file) {
    Tell(s, "Copy Failed", "System Error: " + SystemErrorText(s.platform.shell, code) + "File: " + file);
    return false;
  };
  // A run that was killed before it committed is put right before this one
  // changes anything; what cannot be put right stays, and so does its record.
  FileReplacement::Recovery earlier = FileReplacement::FinishInterrupted(fs, dest, s.sleep);
  if (earlier.outcome == FileReplacement::Recovery::Outcome::Stuck)
    return copyFailed(earlier.error, earlier.file);
  if (!earlier.ok()) {
    Tell(s, "Copy Failed",
         "An interrupted installation left a record that cannot be used: " + earlier.why +
             ".\nNothing has been changed.\nFile: " + earlier.record);
    return false;
  }

  std::vector<DirEntry> entries, foreign;
  fs.List(source + "*.*", kAttrAll, &entries, &foreign);
  // The product ships no such name: whatever it is, it is not copied, and
  // never under a look-alike of its name.
  for (const DirEntry& e : foreign)
    if (s.log && !(e.attributes & kAttrDirectory))
      s.log->Write("Not copied: " + source + e.shown + " (its name is outside the system's code page)");
  FileReplacement replacement(fs, dest, s.sleep);
  auto put = [&](const Text& from, const Text& name, uint32_t attributes) {
    if (PutWithRetries(s, replacement, from, name, attributes)) return true;
    uint32_t code = replacement.LastError();
    // The earlier installation comes back whole before the user is told.
    bool back = replacement.RollBack();
    copyFailed(code, from);
    // What could not be put back waits, recorded, for the next run.
    if (!back) copyFailed(replacement.LastError(), replacement.StuckFile());
    return false;
  };
  for (const DirEntry& e : entries) {
    if (e.attributes & kAttrDirectory) continue;
    Text target = AnsiLowerCase(e.name) == "setup.exe" ? Text(UninstallerExe) : e.name;
    if (!put(source + e.name, target, e.attributes)) return false;
  }

  // A fresh installation starts its database from the shipped template; an
  // existing plain or encrypted database is never overwritten.
  Text ini = dest + c.settingsName, dbc = dest + c.storeName;
  if (fs.FileExists(ini) && !fs.FileExists(dbc) && !fs.FileExists(ChangeFileExt(dbc, PgpExt)) &&
      !put(ini, c.storeName, kNoAttributes))
    return false;
  if (!replacement.Commit()) return copyFailed(replacement.LastError(), replacement.StuckFile());
  return true;
}

bool WriteInstallRegistry(const InstallContext& c, InstallServices& s) {
  std::unique_ptr<RegistryKey> key = s.platform.registry.CreateKey(ProductKey);
  // A key that cannot be made is no installation: the removal would later
  // find nothing installed. It fails as a refused value does.
  bool ok = key && key->WriteString(RegAppDir, WithoutTrailingBackslash(c.appDir)) &&
            key->WriteString(RegVersion, c.version) &&
            (!c.groupWanted || key->WriteString(RegProgramGroup, ProductName)) &&
            (c.earlierInstall || (key->WriteInteger(RegWindowState, 0) &&
                                  key->WriteString(RegWindowPos, "-1,-1,565,350"))) &&
            key->WriteInteger(RegUpdate, 1) && WriteUninstallEntry(c, s);
  if (!ok) Tell(s, "Registry Error", "Unable to write to Win95 registry!\n\nEntries NOT saved!");
  return ok;
}

bool WriteUninstallEntry(const InstallContext& c, InstallServices& s) {
  std::unique_ptr<RegistryKey> key = s.platform.registry.CreateKey(UninstallEntryKey);
  if (!key) return false;
  Text folder = WithoutTrailingBackslash(c.appDir);
  Text dest = WithTrailingBackslash(c.appDir);
  Text uninstaller = "\"" + dest + Text(UninstallerExe) + "\"";
  // What the folder holds now, the database included: the user's view of
  // what the program takes, rounded up to whole kilobytes.
  int64_t bytes = 0;
  std::vector<DirEntry> entries;
  s.platform.files.List(dest + "*.*", kAttrAll, &entries);
  for (const DirEntry& e : entries)
    if (!(e.attributes & kAttrDirectory))
      bytes += std::max<int64_t>(0, s.platform.files.FileSize(dest + e.name));
  bool ok = key->WriteString("DisplayName", ProductName) &&
            key->WriteString("DisplayVersion", c.version) &&
            key->WriteString("Publisher", Publisher) &&
            key->WriteString("InstallLocation", folder) &&
            key->WriteString("DisplayIcon", dest + c.exeName) &&
            key->WriteString("UninstallString", uninstaller) &&
            key->WriteString("QuietUninstallString", uninstaller + " /S") &&
            key->WriteInteger("NoModify", 1) && key->WriteInteger("NoRepair", 1) &&
            key->WriteInteger("EstimatedSize", static_cast<uint32_t>((bytes + 1023) / 1024));
  if (ok && s.today) {
    Text date = s.today();
    if (!date.empty()) ok = key->WriteString("InstallDate", date);
  }
  return ok;
}

StringList DefaultMessageTemplate(const Text& host, const Text& address, const Text& cutMarks) {
  StringList l;
  for (const Text& line : {Text("Fcc: outbox"), "Host: " + host, "From: " + address,
                           Text("Chain: *,*,*,*; copies=1"), Text("To: "), Text("Subject: "),
                           Text(), cutMarks})
    l.Add(line);
  return l;
}

StringList DefaultArticleTemplate(const Text& host, const Text& address) {
  StringList l;
  for (const Text& line :
       {Text("Fcc: outbox"), "Host: " + host, "From: " + address, Text("Chain: *,*,*,*; copies=1"),
        "To: " + Text(NewsGatewayAddress), Text("X-No-Archive: Yes"), Text("Newsgroups: "),
        Text("Subject: "), Text(), Text("~~")})
    l.Add(line);
  return l;
}

bool StoreDefaultTemplates(const InstallContext& c, InstallServices& s) {
  FileSystem& fs = s.platform.files;
  Text db = WithTrailingBackslash(c.appDir) + c.storeName;
  if (fs.FileExists(ChangeFileExt(db, PgpExt)) && !fs.FileExists(db)) return true;

  // A store file that cannot be opened is no step's own box: the run stops
  // and whoever runs it shows the store's text in the standard error box.
  StoreFileError why;
  auto stop = [&s, &why] {
    s.failure = why.message;
    return false;
  };
  Text cutMarks = s.store.ReadSetting("Cutmarks", "~~", s.ownStorePath, why);
  if (!why.message.empty()) return stop();
  StringList message = DefaultMessageTemplate(c.host, c.address, cutMarks);
  int written = s.store.WriteSection(DefaultMessageKey, &message, db, why);
  if (written == kOpenError) return stop();
  if (written != 0) {
    Tell(s, "Setup Error", "Error storing default message!");
    return false;
  }
  StringList article = DefaultArticleTemplate(c.host, c.address);
  written = s.store.WriteSection(DefaultArticleKey, &article, db, why);
  if (written == kOpenError) return stop();
  if (written != 0) {
    Tell(s, "Setup Error", "Error storing default article!");
    return false;
  }
  return true;
}

bool CreateProgramGroup(const InstallContext& c, InstallServices& s) {
  return CreateProgramGroupCounted(c, s, nullptr);
}

bool CreateProgramGroupCounted(const InstallContext& c, InstallServices& s, int* failed) {
  if (failed) *failed = 0;
  if (!c.groupWanted) return true;
  Registry& reg = s.platform.registry;
  reg.CreateKey(kExplorerKey);
  Text programs;
  if (std::unique_ptr<RegistryKey> key = reg.OpenKey(kShellFoldersKey)) {
    RegText value = key->ReadString("Programs");
    if (value.ok()) programs = value.value;
  }
  // Without a Programs value the group would land at the root of the current
  // drive; the system's own Programs folder is the sound place, and without
  // one there is no group at all.
  if (programs.empty() && s.systemProgramsFolder) programs = s.systemProgramsFolder();
  if (programs.empty()) return true;
  programs = AnsiLowerCase(programs);

  FileSystem& fs = s.platform.files;
  Text group = programs + "\\" + Text(ProductName);
  if (!fs.DirectoryExists(group)) fs.MakeDirectory(group);
  Text dest = WithTrailingBackslash(c.appDir);
  for (const Shortcut& sc : kShortcuts) {
    Text target = AnsiLowerCase(dest + Text(sc.target));
    int32_t hr = CreateShortcut(s.platform.shell, target, group + Text(sc.link), target, sc.description, "");
    if (hr >= 0) continue;
    if (failed) ++*failed;
    if (s.log)
      s.log->Write("Shortcut " + Text(sc.link).substr(Text(sc.link).find_first_not_of('\\')) + " not made in " + group + ": error 0x" +
                   UpperHex(static_cast<uint32_t>(hr), 8));
  }
  if (!c.earlierInstall && c.showGroupWindow) StartProgram(s.platform.shell, "explorer.exe " + group, kShow);
  return true;
}

bool RunInstallSteps(const InstallContext& c, InstallServices& s) {
  using Step = bool (*)(const InstallContext&, InstallServices&);
  static constexpr std::pair<std::string_view, Step> kSteps[] = {
      {"Copying program files", CopyProgramFiles},
      {"Writing registry entries", WriteInstallRegistry},
      {"Storing default message and article", StoreDefaultTemplates},
      {"Creating program group", CreateProgramGroup},
  };
  for (const auto& [name, step] : kSteps) {
    int shortcutsFailed = 0;
    bool ok = step == &CreateProgramGroup ? CreateProgramGroupCounted(c, s, &shortcutsFailed) : step(c, s);
    Text result = !ok                  ? ": FAILED"
                  : shortcutsFailed > 0 ? ": " + std::to_string(shortcutsFailed) + " of " +
                                             std::to_string(std::size(kShortcuts)) +
                                             " shortcuts FAILED"
                                       : ": done";
    if (s.log) s.log->Write(Text(name) + result);
    if (!ok) return false;
  }
  return true;
}

void FinishAndStartProduct(InstallServices& s, const Text& appDir, const Text& exeName, bool start) {
  s.platform.files.ChangeDirectory(appDir);
  // The path is quoted (it is the application name): an unquoted
  // "C:\Program Files\..." would first be tried as "C:\Program.exe".
  if (start) StartProgramFile(s.platform.shell, WithTrailingBackslash(appDir) + exeName, kShowNormal);
}

}  // namespace pel
