// Control identifiers of the uninstall wizard and its closing notice, named after the design-time controls.
// Shared by the resource script, the dialog code and the end-to-end driver. A
// name the setup wizard or its dialogs already use keeps that identifier, so
// that one name means one identifier wherever a driver script says it.
#pragma once

#include "setup/win32/dialog_ids.h"

// The names the setup wizard uses too, with its numbers: one name, one
// identifier (the end-to-end driver includes both lists; a number that
// differed would be a redefinition it warns of).
#define IDC_Panel1 1000
#define IDC_Appname 1001
#define IDC_RichEdit1 1011
#define IDC_Label4 1012
#define IDC_Label6 1020
#define IDC_RichEdit2 1021
#define IDC_Label3 1022
#define IDC_Label2 1024
#define IDC_RichEdit3 1033
#define IDC_BackBtn 1050
#define IDC_NextBtn 1051
#define IDC_CancelBtn 2

#define IDD_UNINST 400
// The wizard's pages, child dialogs of its window.
#define IDD_UNINST_START 401
#define IDD_UNINST_OPTIONS 402
#define IDD_UNINST_REVIEW 403
#define IDD_UNINST_FINISH 404
#define IDD_UNINSTDIR 410

// The wizard. Shared with the setup wizard: Panel1, Appname, RichEdit1,
// Label4, Label6, RichEdit2, Label2, RichEdit3, BackBtn, NextBtn, CancelBtn.
#define IDC_Notebook 1100
#define IDC_Label23 1101
#define IDC_RichEdit7 1102
#define IDC_Label24 1103
#define IDC_Label25 1110
#define IDC_Label26 1111
#define IDC_AppEntries 1112
#define IDC_MixEntries 1113
#define IDC_Label1 1120
#define IDC_Memo1 1121

// The closing notice. Shared: Label1, Label2, Label3, OkBtn (the browse
// dialog's, which also ends its dialog with the OK result).
#define IDC_Bevel1 1400
#define IDC_OpenDirBtn 1401
