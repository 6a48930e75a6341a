// Resource identifiers of the executable: icon, main window, version.
#pragma once

#define IDI_PELMORA 1
#define IDD_MAIN 100
#define IDC_MainLabel 101
