// The install driver: the wait dialog, then the four steps, with the wizard's fields as input.
#include "setup/install_driver.h"

#include <utility>

#include "app/constants.h"
#include "sys/product_running.h"

namespace pel {

InstallContext ContextOf(TSetupForm& form) {
  SetupView& v = form.View();
  InstallContext c;
  c.appDir = v.GetText(SetupControl::AppDIR);
  c.address = v.GetText(SetupControl::EAddr);
  c.host = v.GetText(SetupControl::Host);
  c.groupWanted = v.IsChecked(SetupControl::GroupBox);
  c.earlierInstall = form.EarlierInstall();
  c.sourceFolder = form.SourceFolder();
  c.version = form.VersionText();
  c.exeName = form.ExeName();
  c.storeName = form.StoreName();
  c.settingsName = form.SettingsName();
  return c;
}

bool RunInstall(TSetupForm& form, InstallServices& services, WaitDialog wait) {
  struct Hourglass {
    SetupView& v;
    explicit Hourglass(SetupView& view) : v(view) { v.SetBusyCursor(true); }
    ~Hourglass() { v.SetBusyCursor(false); }
  } hourglass(form.View());
  Text message = "...installing " + AnsiLowerCase(ProductName) + "...";
  if (!wait(ProductName, message)) return false;
  InstallContext c = ContextOf(form);
  // Nothing of a running Pelmora is replaced: the user closes it or goes back to Review.
  auto ask = [&form](std::string_view text, std::string_view caption, MsgButtons buttons) {
    return form.View().Ask(text, caption, buttons);
  };
  if (!AwaitProductClosed(services.platform, c.appDir, ask)) return false;
  bool done = RunInstallSteps(c, services);
  if (!services.failure.empty()) form.Fail(std::exchange(services.failure, Text()));
  return done;
}

}  // namespace pel
