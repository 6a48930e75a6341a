// Control identifiers of the browse and wait dialogs, named after the design-time controls.
// Shared by the resource script, the dialog code and test drivers. The setup
// wizard's header already names a Panel1 and a CancelBtn, so the wait dialog's
// carry a Wait prefix and the browse dialog's Cancel a Browse prefix.
#pragma once

#define IDD_BROWSE 300
#define IDD_WAIT 310

#define IDC_DirectoryListBox1 1300
#define IDC_FileListBox1 1301
#define IDC_DriveComboBox1 1302
#define IDC_OkBtn 1303
// IDCANCEL: the Escape key and the close box press it.
#define IDC_BrowseCancelBtn 2

#define IDC_WaitPanel1 1310
// Not IDCANCEL: the Escape key must do nothing in the wait dialog.
#define IDC_WaitCancelBtn 1311
