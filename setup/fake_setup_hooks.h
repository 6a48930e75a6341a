// Wizard hooks a test sets one at a time as lambdas; one left unset does what
// the wizard's own default does.
#pragma once

#include <functional>

#include "setup/setup_form.h"

namespace pel {

struct FakeSetupHooks final : SetupHooks {
  std::function<Text()> readVersion;
  std::function<void()> readPrevious;
  std::function<bool()> runInstall;
  std::function<Text(const Text& current)> browseForFolder;
  std::function<void()> beep;
  std::function<Text(const Text& folder)> foreignFile;
  std::function<void(const Text& folder, bool startProduct)> closing;
  std::function<Text()> distributionRefusal;

  Text ReadVersion() override { return readVersion ? readVersion() : SetupHooks::ReadVersion(); }
  void ReadPrevious() override {
    if (readPrevious) readPrevious();
  }
  bool RunInstall() override { return runInstall ? runInstall() : SetupHooks::RunInstall(); }
  Text BrowseForFolder(const Text& current) override {
    return browseForFolder ? browseForFolder(current) : SetupHooks::BrowseForFolder(current);
  }
  void Beep() override {
    if (beep) beep();
  }
  Text ForeignFile(const Text& folder) override {
    return foreignFile ? foreignFile(folder) : SetupHooks::ForeignFile(folder);
  }
  Text DistributionRefusal() override {
    return distributionRefusal ? distributionRefusal() : SetupHooks::DistributionRefusal();
  }
  void Closing(const Text& folder, bool startProduct) override {
    if (closing) closing(folder, startProduct);
  }
};

}  // namespace pel
