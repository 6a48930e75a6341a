// Control identifiers of the setup wizard's dialog, named after the design-time controls.
// Shared by the resource script, the dialog code and the end-to-end driver; the
// dialog code checks them against SetupControl at compile time.
#pragma once

#define IDD_SETUP 200
// The pages, child dialogs of the window.
#define IDD_SETUP_START 201
#define IDD_SETUP_ADDRESS 202
#define IDD_SETUP_REVIEW 203
#define IDD_SETUP_DONE 204

#define IDC_Panel1 1000
#define IDC_Appname 1001
#define IDC_Notebook1 1002
#define IDC_Copyright 1010
#define IDC_RichEdit1 1011
#define IDC_Label4 1012
#define IDC_AppDIR 1013
#define IDC_BrowseBtn 1014
#define IDC_GroupBox 1015
#define IDC_Label6 1020
#define IDC_RichEdit2 1021
#define IDC_Label3 1022
#define IDC_EAddr 1023
#define IDC_Label2 1024
#define IDC_Host 1025
#define IDC_Label7 1030
#define IDC_RichEdit4 1031
#define IDC_Label8 1032
#define IDC_RichEdit3 1033
#define IDC_Label5 1040
#define IDC_RichEdit6 1041
#define IDC_RunPelmoraBox 1042
#define IDC_RichEdit5 1043
#define IDC_BackBtn 1050
#define IDC_NextBtn 1051
#define IDC_CancelBtn 2
