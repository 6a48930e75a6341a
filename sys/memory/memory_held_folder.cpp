// The in-memory file system's identities and held folders: opened by node, never by path, as the platform's handles are.
#include "sys/memory/memory_file_system.h"
#include "sys/memory/memory_file_node.h"

namespace pel {

namespace {
constexpr uint32_t kErrorNetworkUnexpected = 59;
constexpr uint32_t kErrorInvalidHandle = 6;
}  // namespace

// What the system says when an entry opened for deletion is to go: 0 when it can.
uint32_t MemoryFileSystem::Refusal(Node* node) {
  bool link = (node->attributes & kAttrReparsePoint) != 0;
  if (node->IsFolder() && !link && !node->children.empty()) return kErrorDirNotEmpty;
  if ((node->attributes & kAttrReadOnly) || node->running) return kErrorAccessDenied;
  return 0;
}

// A claim holds the node itself: it cannot go away under it (nobody else can
// delete or move it meanwhile), and it goes only through the claim.
class MemoryFileSystem::Claimed final : public ClaimedEntry {
 public:
  explicit Claimed(Node* node) : node_(node) { ++node_->claims; }
  ~Claimed() override { LetGo(); }

  bool Delete() override {
    if (!node_) return Fail(kErrorInvalidHandle);
    uint32_t refused = Refusal(node_);
    Node* node = node_;
    LetGo();
    if (refused) return Fail(refused);
    node->parent->children.erase(AnsiLowerCase(node->name));
    return true;
  }
  uint32_t LastError() const override { return last_error_; }

 private:
  void LetGo() {
    if (node_) --node_->claims;
    node_ = nullptr;
  }
  bool Fail(uint32_t code) {
    last_error_ = code;
    return false;
  }
  Node* node_;
  uint32_t last_error_ = 0;
};

class MemoryFileSystem::Held final : public HeldFolder {
 public:
  Held(MemoryFileSystem& fs, Node* node) : fs_(fs), node_(node) { ++node_->folder_holds; }
  ~Held() override { --node_->folder_holds; }

  FileIdentity Identity() const override { return fs_.IdentityOf(node_); }

  bool List(std::vector<HeldEntry>* out) override {
    out->clear();
    for (auto& [key, child] : node_->children) {
      if (!child->unicode_name.empty()) continue;
      out->push_back({child->name, child->Reported(), fs_.IdentityOf(child.get())});
    }
    return true;
  }

  std::unique_ptr<ClaimedEntry> Claim(const HeldEntry& entry) override {
    Node* node = Entry(entry);
    if (!node) return nullptr;
    // Opening for deletion is all that is asked: a read-only or running file
    // opens, and fails only at the deletion itself.
    if (node->held || node->folder_holds || node->claims) return Fail(kErrorSharingViolation), nullptr;
    return std::make_unique<Claimed>(node);
  }

  bool Delete(const HeldEntry& entry) override {
    Node* node = Entry(entry);
    if (!node) return false;
    if (node->held || node->folder_holds || node->claims) return Fail(kErrorSharingViolation);
    uint32_t refused = Refusal(node);
    if (refused) return Fail(refused);
    node_->children.erase(AnsiLowerCase(node->name));
    return true;
  }

  std::unique_ptr<HeldFolder> HoldChild(const HeldEntry& entry) override {
    Node* node = Entry(entry);
    if (!node) return nullptr;
    if (node->attributes & kAttrReparsePoint) return Fail(kErrorEntryChanged), nullptr;
    if (!node->IsFolder()) return Fail(kErrorDirectory), nullptr;
    return std::make_unique<Held>(fs_, node);
  }

  uint32_t LastError() const override { return last_error_; }

 private:
  bool Fail(uint32_t code) {
    last_error_ = code;
    return false;
  }
  // The entry by its name in this very folder, the link itself where one
  // stands, and only while it is the entry listed.
  Node* Entry(const HeldEntry& entry) {
    Node* node = node_->Child(entry.name);
    if (!node) return Fail(kErrorFileNotFound), nullptr;
    if (!(fs_.IdentityOf(node) == entry.identity)) return Fail(kErrorEntryChanged), nullptr;
    return node;
  }

  MemoryFileSystem& fs_;
  Node* node_;
  uint32_t last_error_ = 0;
};


char MemoryFileSystem::DriveOf(Node* node) {
  while (node->parent) node = node->parent;
  for (auto& [letter, root] : drives_) {
    if (root.get() == node) return letter;
  }
  return 0;
}

FileIdentity MemoryFileSystem::IdentityOf(Node* node) {
  char drive = DriveOf(node);
  if (unreadable_[drive]) return FileIdentity();
  return {0x5EC0000u + static_cast<uint64_t>(drive), node->index, true,
          node->IsFolder() ? 0 : static_cast<int64_t>(node->data.size()), node->written};
}

void MemoryFileSystem::SetIdentityUnreadable(char drive, bool on) { unreadable_[UpperAscii(drive)] = on; }

bool MemoryFileSystem::Identify(std::string_view path, FileIdentity* identity) {
  *identity = FileIdentity();
  Node* node = Resolve(path);
  if (node) node = Follow(node);
  if (!node) return false;
  *identity = IdentityOf(node);
  return identity->known || Fail(kErrorNetworkUnexpected);
}

std::unique_ptr<HeldFolder> MemoryFileSystem::HoldFolder(std::string_view path) {
  Node* node = Resolve(path);
  if (!node) return nullptr;
  if (node->attributes & kAttrReparsePoint) return Fail(kErrorEntryChanged), nullptr;
  if (!node->IsFolder()) return Fail(kErrorDirectory), nullptr;
  if (!IdentityOf(node).known) return Fail(kErrorNetworkUnexpected), nullptr;
  return std::make_unique<Held>(*this, node);
}

bool MemoryFileSystem::RemoveEmptyDirectoryIf(std::string_view path, const FileIdentity& identity) {
  Node* node = Resolve(path);
  if (!node) return false;
  if (!(IdentityOf(node) == identity)) return Fail(kErrorEntryChanged);
  return RemoveEmptyDirectory(path);
}

}  // namespace pel
