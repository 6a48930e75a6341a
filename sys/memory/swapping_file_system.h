// A file seam that lets another user act between two calls: at a chosen call it runs a swap (a folder moved away and a link put in its place).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "sys/file_system_wrapper.h"

namespace pel {

// Counts the calls that look at or change files, on the seam and on every
// folder held through it, and runs swap just before call number at (from 0;
// -1: never). What the swap does goes through the inner file system, so a
// held folder refuses to be moved there as the platform refuses it.
class SwappingFileSystem final : public FileSystemWrapper {
 public:
  SwappingFileSystem(FileSystem& inner, std::function<void()> swap)
      : FileSystemWrapper(inner), in_(inner), swap_(std::move(swap)) {}

  void SwapAt(int call) { at_ = call; }
  int Calls() const { return calls_; }

  void Tick() {
    if (calls_++ == at_ && swap_) swap_();
  }

  bool FileExists(std::string_view p) override { return Tick(), in_.FileExists(p); }
  bool DirectoryExists(std::string_view p) override { return Tick(), in_.DirectoryExists(p); }
  uint32_t Attributes(std::string_view p) override { return Tick(), in_.Attributes(p); }
  bool RemoveEmptyDirectory(std::string_view p) override {
    return Tick(), in_.RemoveEmptyDirectory(p);
  }
  bool Delete(std::string_view p) override { return Tick(), in_.Delete(p); }
  Text ShortPathName(std::string_view p) override { return Tick(), in_.ShortPathName(p); }
  Text FinalPathName(std::string_view p) override { return Tick(), in_.FinalPathName(p); }
  bool Identify(std::string_view p, FileIdentity* id) override { return Tick(), in_.Identify(p, id); }
  bool RemoveEmptyDirectoryIf(std::string_view p, const FileIdentity& id) override {
    return Tick(), in_.RemoveEmptyDirectoryIf(p, id);
  }
  std::unique_ptr<HeldFolder> HoldFolder(std::string_view p) override {
    Tick();
    std::unique_ptr<HeldFolder> held = in_.HoldFolder(p);
    return held ? std::make_unique<Held>(std::move(held), *this) : nullptr;
  }

 protected:
  bool FindMatches(std::string_view pattern, std::vector<DirEntry>* out) override {
    Tick();
    return FileSystemWrapper::FindMatches(pattern, out);
  }

 private:
  class SwappingClaimed final : public ClaimedEntry {
   public:
    SwappingClaimed(std::unique_ptr<ClaimedEntry> inner, SwappingFileSystem& fs)
        : in_(std::move(inner)), fs_(fs) {}
    bool Delete() override { return fs_.Tick(), in_->Delete(); }
    uint32_t LastError() const override { return in_->LastError(); }

   private:
    std::unique_ptr<ClaimedEntry> in_;
    SwappingFileSystem& fs_;
  };

  class Held final : public HeldFolder {
   public:
    Held(std::unique_ptr<HeldFolder> inner, SwappingFileSystem& fs) : in_(std::move(inner)), fs_(fs) {}
    FileIdentity Identity() const override { return in_->Identity(); }
    bool List(std::vector<HeldEntry>* out) override { return fs_.Tick(), in_->List(out); }
    std::unique_ptr<ClaimedEntry> Claim(const HeldEntry& e) override {
      fs_.Tick();
      std::unique_ptr<ClaimedEntry> claimed = in_->Claim(e);
      return claimed ? std::make_unique<SwappingClaimed>(std::move(claimed), fs_) : nullptr;
    }
    bool Delete(const HeldEntry& e) override { return fs_.Tick(), in_->Delete(e); }
    std::unique_ptr<HeldFolder> HoldChild(const HeldEntry& e) override {
      fs_.Tick();
      std::unique_ptr<HeldFolder> held = in_->HoldChild(e);
      return held ? std::make_unique<Held>(std::move(held), fs_) : nullptr;
    }
    uint32_t LastError() const override { return in_->LastError(); }

   private:
    std::unique_ptr<HeldFolder> in_;
    SwappingFileSystem& fs_;
  };

  FileSystem& in_;
  std::function<void()> swap_;
  int at_ = -1;
  int calls_ = 0;
};

}  // namespace pel
