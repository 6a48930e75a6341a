// Logging decorators over the platform seams: the installation log without touching the steps.
#include "sys/logging_platform.h"

#include "base/text.h"
#include "sys/file_system_wrapper.h"

#include <string>

namespace pel {
namespace {

Text Quoted(std::string_view s) { return "\"" + Text(s) + "\""; }
Text Hkcu(std::string_view path) { return "HKCU\\" + Text(path); }

// A claimed entry whose deletion is logged by its full path.
class LoggingClaimed final : public ClaimedEntry {
 public:
  LoggingClaimed(std::unique_ptr<ClaimedEntry> inner, Text path, ActionLog& log)
      : in_(std::move(inner)), path_(std::move(path)), log_(log) {}
  bool Delete() override {
    bool ok = in_->Delete();
    Text what = "Deleted " + path_;
    log_.Write(ok ? what : what + " FAILED (error " + std::to_string(in_->LastError()) + ")");
    return ok;
  }
  uint32_t LastError() const override { return in_->LastError(); }

 private:
  std::unique_ptr<ClaimedEntry> in_;
  Text path_;
  ActionLog& log_;
};

// A held folder whose deletions are logged by their full paths.
class LoggingHeld final : public HeldFolder {
 public:
  LoggingHeld(std::unique_ptr<HeldFolder> inner, Text path, ActionLog& log)
      : in_(std::move(inner)), path_(std::move(path)), log_(log) {}
  FileIdentity Identity() const override { return in_->Identity(); }
  bool List(std::vector<HeldEntry>* out) override { return in_->List(out); }
  std::unique_ptr<ClaimedEntry> Claim(const HeldEntry& e) override {
    std::unique_ptr<ClaimedEntry> claimed = in_->Claim(e);
    if (!claimed) return nullptr;
    return std::make_unique<LoggingClaimed>(std::move(claimed), path_ + e.name, log_);
  }
  bool Delete(const HeldEntry& e) override {
    bool ok = in_->Delete(e);
    Text what = "Deleted " + path_ + e.name;
    log_.Write(ok ? what : what + " FAILED (error " + std::to_string(in_->LastError()) + ")");
    return ok;
  }
  std::unique_ptr<HeldFolder> HoldChild(const HeldEntry& e) override {
    std::unique_ptr<HeldFolder> child = in_->HoldChild(e);
    if (!child) return nullptr;
    return std::make_unique<LoggingHeld>(std::move(child), path_ + e.name + "\\", log_);
  }
  uint32_t LastError() const override { return in_->LastError(); }

 private:
  std::unique_ptr<HeldFolder> in_;
  Text path_;  // ends in a backslash
  ActionLog& log_;
};

class LoggingFiles final : public FileSystemWrapper {
 public:
  LoggingFiles(FileSystem& inner, ActionLog& log) : FileSystemWrapper(inner), in_(inner), log_(log) {}

  bool SetAttributes(std::string_view p, uint32_t a) override {
    return Note(in_.SetAttributes(p, a), "Set attributes " + std::to_string(a) + " of " + Text(p));
  }
  bool MakeDirectory(std::string_view p) override {
    return Note(in_.MakeDirectory(p), "Created folder " + Text(p));
  }
  bool RemoveEmptyDirectory(std::string_view p) override {
    return Note(in_.RemoveEmptyDirectory(p), "Removed folder " + Text(p));
  }
  bool Copy(std::string_view from, std::string_view to, bool fail_if_exists) override {
    return Note(in_.Copy(from, to, fail_if_exists), "Copied " + Text(from) + " to " + Text(to));
  }
  bool Delete(std::string_view p) override { return Note(in_.Delete(p), "Deleted " + Text(p)); }
  bool Move(std::string_view from, std::string_view to, bool replace_existing) override {
    return Note(in_.Move(from, to, replace_existing), "Moved " + Text(from) + " to " + Text(to));
  }
  bool WriteWholeFile(std::string_view p, std::string_view data) override {
    return Note(in_.WriteWholeFile(p, data), "Wrote " + Text(p));
  }
  bool WriteFileDurably(std::string_view p, std::string_view data) override {
    return Note(in_.WriteFileDurably(p, data), "Wrote " + Text(p));
  }
  bool DeleteIdentified(std::string_view p, const FileIdentity& id) override {
    return Note(in_.DeleteIdentified(p, id), "Deleted " + Text(p));
  }
  std::unique_ptr<HeldFolder> HoldFolder(std::string_view p) override {
    std::unique_ptr<HeldFolder> held = in_.HoldFolder(p);
    if (!held) return nullptr;
    Text path(p);
    if (path.empty() || path.back() != '\\') path += '\\';
    return std::make_unique<LoggingHeld>(std::move(held), path, log_);
  }
  bool RemoveEmptyDirectoryIf(std::string_view p, const FileIdentity& id) override {
    return Note(in_.RemoveEmptyDirectoryIf(p, id), "Removed folder " + Text(p));
  }

 private:
  bool Note(bool ok, const Text& what) {
    log_.Write(ok ? what : what + " FAILED (error " + std::to_string(in_.LastError()) + ")");
    return ok;
  }
  FileSystem& in_;
  ActionLog& log_;
};

class LoggingKey final : public RegistryKey {
 public:
  LoggingKey(std::unique_ptr<RegistryKey> inner, Text path, ActionLog& log)
      : in_(std::move(inner)), path_(std::move(path)), log_(log) {}
  RegText ReadString(std::string_view name) override { return in_->ReadString(name); }
  std::vector<Text> ValueNames() override { return in_->ValueNames(); }
  bool ReadInteger(std::string_view name, uint32_t* value) override {
    return in_->ReadInteger(name, value);
  }
  bool WriteString(std::string_view name, std::string_view value) override {
    return Note(in_->WriteString(name, value), name, Quoted(value));
  }
  bool WriteInteger(std::string_view name, uint32_t value) override {
    return Note(in_->WriteInteger(name, value), name, std::to_string(value));
  }

 private:
  bool Note(bool ok, std::string_view name, const Text& value) {
    log_.Write("Registry value " + Hkcu(path_) + "\\" + Text(name) + " = " + value +
               (ok ? "" : " FAILED"));
    return ok;
  }
  std::unique_ptr<RegistryKey> in_;
  Text path_;
  ActionLog& log_;
};

class LoggingRegistry final : public Registry {
 public:
  LoggingRegistry(Registry& inner, ActionLog& log) : in_(inner), log_(log) {}
  std::unique_ptr<RegistryKey> OpenKey(std::string_view path) override {
    auto key = in_.OpenKey(path);
    return key ? std::make_unique<LoggingKey>(std::move(key), Text(path), log_) : nullptr;
  }
  std::unique_ptr<RegistryKey> CreateKey(std::string_view path) override {
    bool existed = in_.KeyExists(path);
    auto key = in_.CreateKey(path);
    if (!existed || !key)
      log_.Write("Registry key " + Hkcu(path) + (key ? " created" : " could NOT be created"));
    return key ? std::make_unique<LoggingKey>(std::move(key), Text(path), log_) : nullptr;
  }
  bool KeyExists(std::string_view path) override { return in_.KeyExists(path); }
  bool DeleteEmptyKey(std::string_view path) override {
    bool ok = in_.DeleteEmptyKey(path);
    if (ok) log_.Write("Registry key " + Hkcu(path) + " deleted (left empty)");
    return ok;
  }
  bool DeleteKey(std::string_view path) override {
    bool existed = in_.KeyExists(path);
    bool ok = in_.DeleteKey(path);
    log_.Write("Registry key " + Hkcu(path) +
               (ok ? " deleted" : existed ? " could NOT be deleted" : " not there to delete"));
    return ok;
  }

 private:
  Registry& in_;
  ActionLog& log_;
};

class LoggingShell final : public Shell {
 public:
  LoggingShell(Shell& inner, ActionLog& log) : in_(inner), log_(log) {}
  int32_t SaveShortcut(const ShortcutFields& link, std::string_view file) override {
    int32_t hr = in_.SaveShortcut(link, file);
    log_.Write("Shortcut " + Text(file) + " to " + link.path +
               (hr >= 0 ? Text() : " FAILED (0x" + UpperHex(static_cast<uint32_t>(hr), 8) + ")"));
    return hr;
  }
  bool LoadShortcut(std::string_view file, ShortcutFields* link) override {
    return in_.LoadShortcut(file, link);
  }
  std::unique_ptr<StartedProcess> StartProcess(std::string_view application,
                                               std::string_view command_line, int show) override {
    auto p = in_.StartProcess(application, command_line, show);
    log_.Write("Started " + Text(command_line.empty() ? application : command_line) +
               (p ? "" : " FAILED"));
    return p;
  }
  void Beep(uint32_t sound_type) override { in_.Beep(sound_type); }
  Text ErrorText(uint32_t code) override { return in_.ErrorText(code); }

 private:
  Shell& in_;
  ActionLog& log_;
};

class LoggingConversation final : public DdeConversation {
 public:
  LoggingConversation(std::unique_ptr<DdeConversation> inner, ActionLog& log)
      : in_(std::move(inner)), log_(log) {}
  bool Execute(std::string_view command) override {
    bool ok = in_->Execute(command);
    log_.Write("Program Manager command " + Text(command) + (ok ? " sent" : " FAILED"));
    return ok;
  }

 private:
  std::unique_ptr<DdeConversation> in_;
  ActionLog& log_;
};

class LoggingDde final : public DdeClient {
 public:
  LoggingDde(DdeClient& inner, ActionLog& log) : in_(inner), log_(log) {}
  std::unique_ptr<DdeConversation> Connect(std::string_view service, std::string_view topic,
                                           std::string_view program) override {
    auto c = in_.Connect(service, topic, program);
    if (!c) log_.Write("Program Manager could NOT be reached (" + Text(service) + ")");
    return c ? std::make_unique<LoggingConversation>(std::move(c), log_) : nullptr;
  }

 private:
  DdeClient& in_;
  ActionLog& log_;
};

}  // namespace

struct LoggingPlatform::Parts {
  LoggingFiles files;
  LoggingRegistry registry;
  LoggingShell shell;
  LoggingDde dde;
};

LoggingPlatform::LoggingPlatform(Platform& inner, ActionLog& log)
    : parts_(new Parts{{inner.files, log}, {inner.registry, log}, {inner.shell, log},
                       {inner.dde, log}}),
      platform_(new Platform{parts_->files, parts_->registry, parts_->shell, parts_->dde,
                             inner.processes}) {}

LoggingPlatform::~LoggingPlatform() = default;

MsgAnswer LoggingUi::ShowMessage(std::string_view text, std::string_view caption,
                                 MsgButtons buttons, MsgIcon icon) {
  log_.Write("Message \"" + Text(caption) + "\": " + Text(text));
  return inner_.ShowMessage(text, caption, buttons, icon);
}

}  // namespace pel
