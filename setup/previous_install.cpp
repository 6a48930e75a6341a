// An earlier installation: its folder and group from the registry, address and server from its database.
#include "setup/previous_install.h"

#include <memory>
#include <stdexcept>

#include "app/constants.h"
#include "mail/message_headers.h"
#include "sys/paths.h"

namespace pel {
namespace {

Text ReadText(RegistryKey& key, std::string_view name) {
  RegText r = key.ReadString(name);
  if (!r.ok()) throw std::runtime_error(r.error);
  return r.value;
}

Text DatabasePath(TSetupForm& form) {
  return WithTrailingBackslash(form.View().GetText(SetupControl::AppDIR)) + form.StoreName();
}

}  // namespace

void ReadPreviousInstall(TSetupForm& form, Registry& registry) {
  SetupView& v = form.View();
  if (std::unique_ptr<RegistryKey> key = registry.OpenKey(ProductKey)) {
    v.SetChecked(SetupControl::GroupBox, !ReadText(*key, RegProgramGroup).empty());
    Text dir = ReadText(*key, RegAppDir);
    if (!dir.empty()) v.SetText(SetupControl::AppDIR, dir);
    form.SetEarlierInstall(true);
  }
  if (v.GetText(SetupControl::AppDIR).empty())
    v.SetText(SetupControl::AppDIR, "C:\\Program Files\\" + Text(ProductName));
}

void ReadPreviousAddress(TSetupForm& form, FileSystem& fs, StoreAccess& store) {
  Text db = DatabasePath(form);
  if (!fs.FileExists(db)) return;
  StringList lines;
  store.ReadSection(lines, DefaultMessageKey, db);
  TMessageHeaders headers(&lines);
  form.View().SetText(SetupControl::EAddr, headers.GetHeaderValue("From: "));
  form.View().SetText(SetupControl::Host, headers.GetHeaderValue("Host: "));
}

void FormShow(TSetupForm& form, FileSystem& fs) {
  if (!form.EarlierInstall()) return;
  form.NextBtnClick();
  // Declined: the folder holds other files and the user wants another one.
  if (form.Page() == StartPage) return;
  form.NextBtnClick();
  Text db = DatabasePath(form);
  if (!fs.FileExists(db) && fs.FileExists(ChangeFileExt(db, PgpExt))) {
    SetupView& v = form.View();
    v.ClearLines(SetupControl::RichEdit3);
    v.AddLine(SetupControl::RichEdit3, EncryptedDatabaseNotice);
    v.SetTextColor(SetupControl::RichEdit4, 0x808080);
    v.SetEnabled(SetupControl::BackBtn, false);
  }
}

}  // namespace pel
