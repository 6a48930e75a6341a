// Installation without a window: the wizard's own form over a view nobody sees, then the steps.
#include "setup/unattended_install.h"

#include <utility>

#include "app/constants.h"
#include "setup/foreign_files.h"
#include "setup/headless_setup_view.h"
#include "setup/install_driver.h"
#include "setup/previous_install.h"
#include "sys/product_running.h"
#include "setup/setup_form.h"
#include "sys/paths.h"

namespace pel {
namespace {

// What the wizard asks about, a run without a window refuses, unless the
// folder was named and vouched for. Refusing changes nothing.
bool ForeignFolderAccepted(const InstallContext& c, const Text& sourceFolder, bool forced,
                           InstallServices& s) {
  Text file = FindForeignFile(s.platform.files, s.platform.registry, c.appDir, sourceFolder);
  if (file.empty()) return true;
  if (s.log) {
    s.log->Write(forced ? "The folder " + c.appDir + " already holds other files (" + file +
                              " among them); installing there as /FORCEDIR asks"
                        : "Not installing: the folder " + c.appDir +
                              " already holds other files (" + file +
                              " among them), which removing " + Text(ProductName) +
                              " would delete; give /FORCEDIR with /DIR= to install there anyway");
  }
  return forced;
}

}  // namespace

int RunUnattendedInstall(const InstallChoices& sw, const Text& sourceFolder, InstallServices& s) {
  ActionLog none;
  ActionLog& log = s.log ? *s.log : none;
  // What the wizard would have shown in the standard error box.
  auto failed = [&log](const Text& why) {
    log.Write("Error: " + why);
    return ExitStepFailed;
  };
  // The wizard's form decides the defaults and reads the earlier
  // installation, so an unattended run cannot drift from what a person sees.
  HeadlessSetupView view;
  struct Hooks final : SetupHooks {
    InstallServices& s;
    const Text& sourceFolder;
    TSetupForm* form = nullptr;
    Hooks(InstallServices& services, const Text& folder) : s(services), sourceFolder(folder) {}
    Text ReadVersion() override {
      StoreFileError why;
      Text version = s.store.ReadSetting(
          "Version", "", WithTrailingBackslash(sourceFolder) + ChangeFileExt(ProductExe, IniExt), why);
      if (!why.message.empty()) form->Fail(why.message);
      return version;
    }
  } hooks(s, sourceFolder);
  TSetupForm form(view, hooks);
  hooks.form = &form;
  if (!form.Construct(sourceFolder) || !ReadPreviousInstall(form, s.platform.registry) ||
      !ReadPreviousAddress(form, s.platform.files, s.store))
    return failed(form.Failure());

  if (sw.dir) view.SetText(SetupControl::AppDIR, *sw.dir);
  if (sw.address) view.SetText(SetupControl::EAddr, *sw.address);
  if (sw.server) view.SetText(SetupControl::Host, *sw.server);
  if (sw.noGroup) view.SetChecked(SetupControl::GroupBox, false);

  InstallContext c = ContextOf(form);
  c.showGroupWindow = false;
  if (!c.earlierInstall && (c.address.empty() || c.host.empty())) {
    log.Write("Usage error: a first installation needs /ADDRESS= and /SERVER=");
    return ExitUsage;
  }
  Text refusal = MissingProgramMessage(s.platform.files, c.sourceFolder, c.exeName);
  if (!refusal.empty()) {
    Text line = refusal;
    for (char& ch : line)
      if (ch == '\n') ch = ' ';
    log.Write("Not installing: " + line);
    return ExitStepFailed;
  }
  if (!ForeignFolderAccepted(c, sourceFolder, sw.forceDir, s)) return ExitStepFailed;
  log.Write("Installing " + Text(ProductName) + " " + c.version + " from " + sourceFolder +
            " into " + c.appDir + (c.earlierInstall ? " (over an earlier installation)" : ""));
  if (ProductRunning(s.platform, c.appDir)) {
    log.Write(ProductRunningLogLine(c.appDir));
    return ExitProductRunning;
  }
  bool ok = RunInstallSteps(c, s);
  if (!s.failure.empty()) return failed(std::exchange(s.failure, Text()));
  log.Write(ok ? "Installation complete" : "Installation FAILED");
  return ok ? ExitDone : ExitStepFailed;
}

}  // namespace pel
