// An earlier installation: its folder and group from the registry, address and server from its database.
#pragma once

#include "setup/setup_form.h"
#include "setup/store_access.h"
#include "sys/platform.h"

namespace pel {

// Sets the earlier-installation flag, AppDIR and GroupBox from the product's
// registry key. A value stored with another type than text stops the read:
// false, and the form fails with "Invalid data type for '<name>'".
bool ReadPreviousInstall(TSetupForm& form, Registry& registry);
// Fills EAddr and Host from the default message of the database in AppDIR.
// A database that cannot be opened: false, and the form fails with the
// store's "Cannot open file <path>".
bool ReadPreviousAddress(TSetupForm& form, FileSystem& fs, StoreAccess& store);
// Over an earlier installation: on to Review; with only an encrypted database,
// the notice in place of the review text, grey instructions, Back disabled.
void FormShow(TSetupForm& form, FileSystem& fs);

inline constexpr std::string_view EncryptedDatabaseNotice =
    "I have found that your PL database is encrypted. Because of this I am unable to retrieve "
    "current configuration values. This is not a problem though. Click 'Install' to complete "
    "program setup.";

}  // namespace pel
