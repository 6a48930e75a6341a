// The uninstaller's temporary copy: when to make one, where, what it cleans, and the original's deletion.
#include "uninstall/temp_copy.h"

#include <charconv>
#include <string>

#include "app/constants.h"
#include "sys/file_system_wrapper.h"
#include "sys/paths.h"
#include "uninstall/installed_state.h"

namespace pel {
namespace {

bool ParseNumber(std::string_view s, uint64_t* out) {
  if (s.empty()) return false;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), *out);
  return ec == std::errc() && end == s.data() + s.size();
}

Text Error(FileSystem& fs) { return " (error " + std::to_string(fs.LastError()) + ")"; }

bool IsCopyFolderName(std::string_view name) {
  if (name.size() <= CopyFolderPrefix.size() ||
      !AnsiSameText(name.substr(0, CopyFolderPrefix.size()), CopyFolderPrefix))
    return false;
  for (char c : name.substr(CopyFolderPrefix.size()))
    if (c < '0' || c > '9') return false;
  return true;
}

// A plain program file: no folder, no link, named *.exe.
bool IsProgramFile(const DirEntry& e) {
  if (e.attributes & (kAttrDirectory | kAttrReparsePoint)) return false;
  return e.name.size() > 4 && AnsiSameText(std::string_view(e.name).substr(e.name.size() - 4), ".exe");
}

}  // namespace

Text CopyMarkerArgument(const CopyMarker& m) {
  return Text(CopyMarkerPrefix) + std::to_string(m.parent) + "," + std::to_string(m.report) + "," +
         m.original;
}

std::optional<CopyMarker> TakeCopyMarker(std::vector<Text>& args) {
  if (args.empty() || !args.back().starts_with(CopyMarkerPrefix)) return std::nullopt;
  std::string_view rest = std::string_view(args.back()).substr(CopyMarkerPrefix.size());
  size_t a = rest.find(','), b = a == std::string_view::npos ? a : rest.find(',', a + 1);
  CopyMarker m;
  if (b == std::string_view::npos || !ParseNumber(rest.substr(0, a), &m.parent) ||
      !ParseNumber(rest.substr(a + 1, b - a - 1), &m.report) || b + 1 >= rest.size())
    return std::nullopt;
  m.original = Text(rest.substr(b + 1));
  args.pop_back();
  return m;
}

Text QuoteArgument(std::string_view arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string_view::npos) return Text(arg);
  Text out = "\"";
  size_t slashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    // Backslashes count double only before a quote.
    out.append(c == '"' ? 2 * slashes + 1 : slashes, '\\');
    out += c;
    slashes = 0;
  }
  out.append(2 * slashes, '\\');
  return out + "\"";
}

Text CommandLine(std::string_view program, const std::vector<Text>& args) {
  Text line = QuoteArgument(program);
  for (const Text& a : args) line += " " + QuoteArgument(a);
  return line;
}

int RemoveStaleCopies(FileSystem& fs, std::string_view temp) {
  Text base = WithTrailingBackslash(temp);
  std::vector<DirEntry> folders;
  fs.List(base + Text(CopyFolderPrefix) + "*", kAttrAll, &folders);
  int removed = 0;
  for (const DirEntry& f : folders) {
    // A link is not followed: what it leads to is not ours.
    if (!IsPlainFolder(f.attributes) || !IsCopyFolderName(f.name)) continue;
    Text folder = base + f.name + "\\";
    std::vector<DirEntry> inside;
    fs.List(folder + "*.*", kAttrAll, &inside);
    bool ours = true;
    for (const DirEntry& e : inside) ours = ours && IsProgramFile(e);
    if (!ours) continue;
    // A copy that still runs cannot be deleted, and so its folder stays.
    for (const DirEntry& e : inside) fs.Delete(folder + e.name);
    if (fs.RemoveEmptyDirectory(folder)) ++removed;
  }
  return removed;
}

CopyDecision PrepareTempCopy(FileSystem& fs, Registry& registry, CopyHost& host,
                             std::string_view ownExe) {
  auto inPlace = [](Text why) { return CopyDecision{std::nullopt, std::move(why)}; };
  Text ownFolder = FolderPart(ownExe);
  InstalledState state = ReadInstalledState(registry);
  if (!state.failure.empty())
    return inPlace("the product's registry key cannot be read: " + state.failure);
  if (state.appDir.empty()) return inPlace("no product folder is recorded");
  if (ownFolder.empty() || !host.SameEntry(ownFolder, state.appDir))
    return inPlace("it was not started from the product folder " + state.appDir);

  Text temp = host.TempFolder();
  if (temp.empty()) return inPlace("the system names no temporary folder");
  temp = WithTrailingBackslash(temp);
  RemoveStaleCopies(fs, temp);
  TempCopy copy;
  for (int n = 1; n <= 100 && copy.folder.empty(); ++n) {
    Text folder = temp + Text(CopyFolderPrefix) + std::to_string(n);
    if (fs.MakeDirectory(folder)) {
      copy.folder = folder + "\\";
    } else if (fs.LastError() != kErrorAlreadyExists) {
      return inPlace("the temporary folder " + temp + " cannot be written" + Error(fs));
    }
  }
  if (copy.folder.empty()) return inPlace("the temporary folder " + temp + " has no free name left");
  copy.exe = copy.folder + ExtractFileName(ownExe);
  if (!fs.Copy(ownExe, copy.exe, true)) {
    Text why = "the uninstaller cannot be copied to " + copy.exe + Error(fs);
    DiscardTempCopy(fs, copy);
    return inPlace(why);
  }
  return CopyDecision{copy, Text()};
}

void DiscardTempCopy(FileSystem& fs, const TempCopy& copy) {
  fs.Delete(copy.exe);
  fs.RemoveEmptyDirectory(copy.folder);
}

class OriginalWatch::Files final : public FileSystemWrapper {
 public:
  Files(FileSystem& inner, CopyHost& host, Text original)
      : FileSystemWrapper(inner), in_(inner), host_(host), original_(std::move(original)) {
    // The original still runs and waits for the copy: no one can have put
    // another file at its path yet.
    FileIdentity id;
    if (in_.Identify(original_, &id)) identity = originalId_ = id;
  }

  bool Delete(std::string_view p) override {
    bool ok = in_.Delete(p);
    // By identity: the removal spells the file from the registry's folder,
    // the original from the path it was started by.
    if (!ok && !wanted && host_.SameEntry(p, original_)) wanted = true;
    return ok;
  }

  // The removal deletes through held folders: the original, which runs
  // until this copy's run is over, is known there by its identity.
  std::unique_ptr<HeldFolder> HoldFolder(std::string_view p) override {
    std::unique_ptr<HeldFolder> held = in_.HoldFolder(p);
    if (!held) return nullptr;
    return std::make_unique<Held>(std::move(held), *this);
  }

  bool wanted = false;
  std::optional<FileIdentity> identity;

 private:
  // The original, claimed, is likewise left to this copy when it cannot go.
  class Claimed final : public ClaimedEntry {
   public:
    Claimed(std::unique_ptr<ClaimedEntry> inner, bool original, Files& files)
        : in_(std::move(inner)), original_(original), files_(files) {}
    bool Delete() override {
      if (in_->Delete()) return true;
      if (!original_) return false;
      files_.wanted = true;
      return true;
    }
    uint32_t LastError() const override { return in_->LastError(); }

   private:
    std::unique_ptr<ClaimedEntry> in_;
    bool original_;
    Files& files_;
  };

  class Held final : public HeldFolder {
   public:
    Held(std::unique_ptr<HeldFolder> inner, Files& files) : in_(std::move(inner)), files_(files) {}
    FileIdentity Identity() const override { return in_->Identity(); }
    bool List(std::vector<HeldEntry>* out) override { return in_->List(out); }
    std::unique_ptr<ClaimedEntry> Claim(const HeldEntry& e) override {
      std::unique_ptr<ClaimedEntry> claimed = in_->Claim(e);
      if (!claimed) return nullptr;
      return std::make_unique<Claimed>(std::move(claimed), e.identity == files_.originalId_, files_);
    }
    // The original cannot go while it runs; it is this copy's to delete
    // once it has ended (FinishTempCopy), which logs how that went.
    bool Delete(const HeldEntry& e) override {
      if (in_->Delete(e)) return true;
      if (!(e.identity == files_.originalId_)) return false;
      files_.wanted = true;
      return true;
    }
    std::unique_ptr<HeldFolder> HoldChild(const HeldEntry& e) override { return in_->HoldChild(e); }
    uint32_t LastError() const override { return in_->LastError(); }

   private:
    std::unique_ptr<HeldFolder> in_;
    Files& files_;
  };

  FileSystem& in_;
  CopyHost& host_;
  Text original_;
  FileIdentity originalId_;
};

OriginalWatch::OriginalWatch(Platform& inner, CopyHost& host, Text original)
    : files_(std::make_unique<Files>(inner.files, host, std::move(original))),
      platform_(std::make_unique<Platform>(Platform{*files_, inner.registry, inner.shell, inner.dde,
                                                                inner.processes})) {}
OriginalWatch::~OriginalWatch() = default;
bool OriginalWatch::originalWanted() const { return files_->wanted; }
const std::optional<FileIdentity>& OriginalWatch::originalIdentity() const {
  return files_->identity;
}

void FinishTempCopy(FileSystem& fs, CopyHost& host, const CopyMarker& marker, bool deleteOriginal,
                    const std::optional<FileIdentity>& identity, std::string_view ownExe, int code,
                    ActionLog& log) {
  // The original waits for the code before it ends, and only then can its
  // file be deleted: the order is the point.
  host.ReportToParent(code);
  if (!host.WaitForParent(ParentWaitMs)) log.Write("The uninstaller " + marker.original + " has not ended");
  if (deleteOriginal && !identity) {
    log.Write("Deleted " + marker.original +
              " FAILED: it could not be opened when the removal began; it stays");
  } else if (deleteOriginal) {
    for (int waited = 0;; waited += RetryStepMs) {
      if (fs.DeleteIdentified(marker.original, *identity)) {
        log.Write("Deleted " + marker.original);
        break;
      }
      if (fs.LastError() == kErrorFileNotFound || fs.LastError() == kErrorPathNotFound) break;
      if (fs.LastError() == kErrorNotSameFile) {
        log.Write("Deleted " + marker.original +
                  " FAILED: another file stands there since the removal began; it stays");
        break;
      }
      // Still held: a virus scanner, or the original still ending.
      if (waited >= OriginalRetryMs) {
        log.Write("Deleted " + marker.original + " FAILED" + Error(fs) + "; it stays");
        break;
      }
      host.Sleep(RetryStepMs);
    }
  }
  Text folder = FolderPart(ownExe);
  bool atRestart = host.RemoveAtRestart(ownExe) && host.RemoveAtRestart(WithoutTrailingBackslash(folder));
  log.Write("The temporary copy " + Text(ownExe) + " goes at the next removal" +
            (atRestart ? " or restart" : ""));
}

}  // namespace pel
