// An earlier installation: its folder and group from the registry, address and server from its database.
#include "setup/previous_install.h"

#include <memory>

#include "app/constants.h"
#include "mail/message_headers.h"
#include "store/file_manager.h"
#include "sys/paths.h"

namespace pel {
namespace {

// The value's text; a value of another type fails the form with the
// registry's own words.
bool ReadText(RegistryKey& key, std::string_view name, TSetupForm& form, Text& value) {
  RegText r = key.ReadString(name);
  if (!r.ok()) {
    form.Fail(r.error);
    return false;
  }
  value = r.value;
  return true;
}

Text DatabasePath(TSetupForm& form) {
  return WithTrailingBackslash(form.View().GetText(SetupControl::AppDIR)) + form.StoreName();
}

}  // namespace

bool ReadPreviousInstall(TSetupForm& form, Registry& registry) {
  SetupView& v = form.View();
  if (std::unique_ptr<RegistryKey> key = registry.OpenKey(ProductKey)) {
    Text group, dir;
    if (!ReadText(*key, RegProgramGroup, form, group)) return false;
    v.SetChecked(SetupControl::GroupBox, !group.empty());
    if (!ReadText(*key, RegAppDir, form, dir)) return false;
    if (!dir.empty()) v.SetText(SetupControl::AppDIR, dir);
    form.SetEarlierInstall(true);
  }
  if (v.GetText(SetupControl::AppDIR).empty())
    v.SetText(SetupControl::AppDIR, "C:\\Program Files\\" + Text(ProductName));
  return true;
}

bool ReadPreviousAddress(TSetupForm& form, FileSystem& fs, StoreAccess& store) {
  Text db = DatabasePath(form);
  if (!fs.FileExists(db)) return true;
  StringList lines;
  StoreFileError why;
  if (store.ReadSection(lines, DefaultMessageKey, db, why) == kOpenError) {
    form.Fail(why.message);
    return false;
  }
  TMessageHeaders headers(&lines);
  form.View().SetText(SetupControl::EAddr, headers.GetHeaderValue("From: "));
  form.View().SetText(SetupControl::Host, headers.GetHeaderValue("Host: "));
  return true;
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
