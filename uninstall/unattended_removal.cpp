// Removal without a window: the wizard's own state machine over a view nobody sees.
#include "uninstall/unattended_removal.h"


#include "sys/product_running.h"
#include "uninstall/headless_uninst_view.h"
#include "uninstall/uninst_form.h"

namespace pel {
namespace {

// Counts the boxes the steps raise: each is something that did not go as it should.
class CountingUi final : public Ui {
 public:
  explicit CountingUi(Ui& inner) : inner_(inner) {}
  MsgAnswer ShowMessage(std::string_view text, std::string_view caption, MsgButtons buttons,
                        MsgIcon icon) override {
    ++count;
    return inner_.ShowMessage(text, caption, buttons, icon);
  }
  int count = 0;

 private:
  Ui& inner_;
};

}  // namespace

int RunUnattendedRemoval(bool mixmaster, Platform& platform, Ui& ui, ActionLog& log,
                         const std::function<void(int ms)>& sleep) {
  HeadlessUninstView view;
  view.onLine = [&log](UninstControl c, std::string_view line) {
    if (c == UninstControl::RichEdit2) log.Write(line);
  };
  TUninstWiz wiz(view, platform);
  if (!wiz.Construct()) {
    // What the wizard would have shown in the standard error box.
    log.Write("Error: " + wiz.State().failure);
    return ExitStepFailed;
  }
  // The wizard checks Mixmaster whenever it is installed; unattended, it
  // goes only when asked, or when its box is tied to Pelmora's and so
  // cannot be unchecked.
  using C = UninstControl;
  if (!wiz.State().appInstalled && !wiz.State().mixInstalled) {
    log.Write("Nothing to remove: neither Pelmora nor Mixmaster is installed");
    return ExitNothingToRemove;
  }
  if (!mixmaster && view.IsChecked(C::MixEntries) && view.IsEnabled(C::MixEntries)) {
    view.SetChecked(C::MixEntries, false);
    wiz.MixEntriesClick();
  }
  bool app = view.IsChecked(C::AppEntries), mix = view.IsChecked(C::MixEntries);
  if (!app && !mix) {
    log.Write("Nothing to remove: Pelmora cannot be selected here, and Mixmaster was not asked for");
    return ExitNothingToRemove;
  }
  if (app && ProductRunning(platform, wiz.State().appDir)) {
    log.Write(ProductRunningLogLine(wiz.State().appDir));
    return ExitProductRunning;
  }
  Text busy = RemovalFileInUse(wiz);
  for (int waited = 0; !busy.empty() && waited < FileInUseRetryMs; waited += FileInUseStepMs) {
    if (sleep) sleep(FileInUseStepMs);
    busy = RemovalFileInUse(wiz);
  }
  if (!busy.empty()) {
    log.Write(FileInUseLogLine(busy));
    return ExitRemovalLeftSomething;
  }
  log.Write(Text("Removing") + (app ? " Pelmora" : "") + (app && mix ? " and" : "") +
            (mix ? " Mixmaster" : ""));
  CountingUi counting(ui);
  RemovalServices s{platform, counting, nullptr, nullptr};
  s.quiet = true;
  RunRemoval(wiz, s);
  if (!s.left.empty()) return ExitRemovalLeftSomething;
  return counting.count == 0 ? ExitDone : ExitStepFailed;
}

}  // namespace pel
