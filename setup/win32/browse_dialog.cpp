// The browse dialog's real window: the linked lists, the current directory, forwarding to TBrowseDlg.
#include "setup/win32/browse_dialog.h"

#include <optional>
#include <vector>

#include "app/constants.h"
#include "gui/win32/application.h"
#include "gui/scale.h"
#include "gui/win32/window_helpers.h"
#include "setup/browse_dlg.h"
#include "setup/win32/center_over_win32.h"
#include "setup/win32/dialog_ids.h"
#include "sys/paths.h"

namespace pel {
namespace {

constexpr ControlPlace kPlaces[] = {
    {IDC_DirectoryListBox1, kOnWindow, 16, 16, 177, 116},
    {IDC_FileListBox1, kOnWindow, 208, 16, 177, 148},
    {IDC_DriveComboBox1, kOnWindow, 16, 145, 177, 19},
    {IDC_OkBtn, kOnWindow, 224, 178, 75, 25},
    {IDC_BrowseCancelBtn, kOnWindow, 312, 178, 75, 25},
};
constexpr DialogDesign kDesign = {kPlaces, {401, 215}, {}};
constexpr int kDriveHeight = 19;
constexpr int kDriveDropHeight = 160;
constexpr int kFolderItemHeight = 16;
constexpr int kFolderIndent = 10;

class Win32BrowseView final : public BrowseView {
 public:
  explicit Win32BrowseView(HWND hwnd) : hwnd_(hwnd) {}

  bool FileExists(const Text& path) const override {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
  }
  Text CurrentFolder() const override {
    char buf[MAX_PATH + 1] = "";
    DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
    return n > 0 && n < sizeof buf ? Text(buf, n) : Text();
  }
  MsgAnswer ShowMessage(std::string_view text, std::string_view caption,
                        MsgButtons buttons) override {
    return app::ShowBox(hwnd_, text, caption, buttons);
  }

 private:
  HWND hwnd_;
};

// Everything the dialog procedure needs for one modal run.
struct BrowseWindow {
  HWND owner = nullptr;
  Text requiredFile;
  std::optional<Win32BrowseView> view;
  std::optional<TBrowseDlg> dlg;
  FolderTree tree;
  std::optional<app::MessageOwnerScope> boxOwner;  // boxes shown while it runs are its own
  DialogFonts fonts;
  int dpi = 96;
};

// Subfolders the way the folder list shows them: hidden and system ones left out.
std::vector<Text> Subfolders(const Text& folder) {
  std::vector<Text> names;
  Text pattern = WithTrailingBackslash(folder) + "*";
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    DWORD a = fd.dwFileAttributes;
    if ((a & FILE_ATTRIBUTE_DIRECTORY) && !(a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
      names.emplace_back(fd.cFileName);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return names;
}

// Shows the process's current directory in all three lists; the folder list
// and the current directory always move together.
void Refresh(HWND hwnd, BrowseWindow& w) {
  Text current = w.view->CurrentFolder();
  w.tree = MakeFolderTree(current, Subfolders(current));
  HWND folders = GetDlgItem(hwnd, IDC_DirectoryListBox1);
  SendMessageA(folders, WM_SETREDRAW, FALSE, 0);
  SendMessageA(folders, LB_RESETCONTENT, 0, 0);
  for (const FolderLine& line : w.tree.lines)
    SendMessageA(folders, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.name.c_str()));
  SendMessageA(folders, LB_SETCURSEL, w.tree.current, 0);
  SendMessageA(folders, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(folders, nullptr, TRUE);

  // A spec without a folder part leaves the current directory alone.
  char spec[MAX_PATH + 1] = "*.*";
  DlgDirListA(hwnd, spec, IDC_FileListBox1, 0, DDL_READWRITE | DDL_READONLY | DDL_ARCHIVE);
  lstrcpyA(spec, "*.*");
  DlgDirListComboBoxA(hwnd, spec, IDC_DriveComboBox1, 0, DDL_DRIVES | DDL_EXCLUSIVE);
  int drive = -1;
  if (current.size() >= 2 && current[1] == ':') {
    Text item = "[-" + AnsiLowerCase(current.substr(0, 1)) + "-]";
    drive = static_cast<int>(SendDlgItemMessageA(hwnd, IDC_DriveComboBox1, CB_FINDSTRINGEXACT,
                                                 static_cast<WPARAM>(-1),
                                                 reinterpret_cast<LPARAM>(item.c_str())));
  }
  SendDlgItemMessageA(hwnd, IDC_DriveComboBox1, CB_SETCURSEL, static_cast<WPARAM>(drive), 0);
}

// Makes folder the current directory and shows it; a folder that cannot be
// entered (gone, no access, a drive without a disk) leaves everything as it was.
void OpenFolder(HWND hwnd, BrowseWindow& w, const Text& folder) {
  if (!SetCurrentDirectoryA(folder.c_str())) MessageBeep(0);
  Refresh(hwnd, w);
}

// FormShow: the dialog always opens on the folder setup was started from.
void FormShow(HWND hwnd, BrowseWindow& w) {
  Text exeFolder = FolderPart(OwnModulePath());
  OpenFolder(hwnd, w, exeFolder);
}

// The drive box and the folder lines at the window's DPI.
void SizeLists(HWND hwnd, int dpi) {
  SendDlgItemMessageA(hwnd, IDC_DirectoryListBox1, LB_SETITEMHEIGHT, 0, gui::Scale(kFolderItemHeight, dpi));
  // A drop-down list's window height includes its list: keep the closed box at
  // its design height and give the list room below it.
  HWND drives = GetDlgItem(hwnd, IDC_DriveComboBox1);
  int driveHeight = gui::Scale(kDriveHeight, dpi);
  SetWindowPos(drives, nullptr, 0, 0, gui::Scale(177, dpi), driveHeight + gui::Scale(kDriveDropHeight, dpi),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The frame around the selection field, and what the item height set here
  // means, differ between systems: measure and correct until the box fits.
  LRESULT field = SendMessageA(drives, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
  for (int tries = 0; tries < 4; ++tries) {
    RECT closed;
    GetWindowRect(drives, &closed);
    int off = driveHeight - (closed.bottom - closed.top);
    if (off == 0 || field + off <= 0) break;
    field += off;
    SendMessageA(drives, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
  }
}

void Construct(HWND hwnd, BrowseWindow& w) {
  DisableSystemDialogScaling(hwnd);
  w.dpi = WindowDpi(hwnd);
  LayOutDialog(hwnd, kDesign, w.dpi, w.fonts);
  SizeLists(hwnd, w.dpi);

  w.view.emplace(hwnd);
  w.dlg.emplace(*w.view);
  CenterOver(hwnd, w.owner);
  w.dlg->RequiredFile = w.requiredFile;
  FormShow(hwnd, w);
}

void TryClose(HWND hwnd, BrowseWindow& w, ModalResult result) {
  if (w.dlg->FormCloseQuery(result)) EndDialog(hwnd, static_cast<INT_PTR>(result));
}

void DrawFolderLine(const BrowseWindow& w, const DRAWITEMSTRUCT& d) {
  if (d.itemID == static_cast<UINT>(-1)) return;
  bool selected = d.itemState & ODS_SELECTED;
  FillRect(d.hDC, &d.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (d.itemID < w.tree.lines.size()) {
    const FolderLine& line = w.tree.lines[d.itemID];
    SetBkMode(d.hDC, TRANSPARENT);
    SetTextColor(d.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT r = d.rcItem;
    r.left += gui::Scale(2 + line.level * kFolderIndent, w.dpi);
    DrawTextA(d.hDC, line.name.c_str(), static_cast<int>(line.name.size()), &r,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  if (d.itemState & ODS_FOCUS) DrawFocusRect(d.hDC, &d.rcItem);
}

void Command(HWND hwnd, BrowseWindow& w, int id, int code) {
  switch (id) {
    case IDC_OkBtn:
      if (code == BN_CLICKED) TryClose(hwnd, w, ModalResult::Ok);
      break;
    case IDC_BrowseCancelBtn: TryClose(hwnd, w, ModalResult::Cancel); break;
    case IDC_DirectoryListBox1:
      if (code == LBN_DBLCLK) {
        auto i = static_cast<size_t>(SendDlgItemMessageA(hwnd, id, LB_GETCURSEL, 0, 0));
        if (i < w.tree.lines.size()) OpenFolder(hwnd, w, w.tree.lines[i].path);
      }
      break;
    case IDC_DriveComboBox1:
      if (code == CBN_SELCHANGE) {
        char drive[MAX_PATH + 1] = "";
        // "X:" names the drive's own current folder, as a drive change keeps it;
        // the selector gives the letter in lower case, the folder list shows it upper.
        if (DlgDirSelectComboBoxExA(hwnd, drive, sizeof drive, IDC_DriveComboBox1))
          OpenFolder(hwnd, w, AnsiUpperCase(drive));
        else
          Refresh(hwnd, w);
      }
      break;
    default: break;
  }
}

INT_PTR CALLBACK BrowseProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* w = reinterpret_cast<BrowseWindow*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (msg == WM_MEASUREITEM) {
    // Sent while the controls are made, before WM_INITDIALOG.
    reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight =
        static_cast<UINT>(gui::Scale(kFolderItemHeight, WindowDpi(hwnd)));
    return TRUE;
  }
  if (msg == WM_INITDIALOG) {
    w = reinterpret_cast<BrowseWindow*>(lp);
    SetWindowLongPtrA(hwnd, DWLP_USER, lp);
    w->boxOwner.emplace(hwnd);
    Construct(hwnd, *w);
    return TRUE;
  }
  if (msg == WM_DESTROY && w) w->boxOwner.reset();
  if (!w || !w->dlg) return FALSE;
  switch (msg) {
    case WM_COMMAND: Command(hwnd, *w, LOWORD(wp), HIWORD(wp)); return TRUE;
    case WM_CLOSE: TryClose(hwnd, *w, ModalResult::Cancel); return TRUE;
    case WM_DPICHANGED:
      if (int dpi = TakeDpiChange(hwnd, kDesign, w->fonts, wp, lp)) {
        w->dpi = dpi;
        SizeLists(hwnd, dpi);
      }
      return TRUE;
    case WM_DRAWITEM:
      if (wp == IDC_DirectoryListBox1) {
        DrawFolderLine(*w, *reinterpret_cast<DRAWITEMSTRUCT*>(lp));
        return TRUE;
      }
      return FALSE;
    case WM_CTLCOLORLISTBOX:
      if (reinterpret_cast<HWND>(lp) == GetDlgItem(hwnd, IDC_FileListBox1))
        return ColorControl(wp, GetSysColor(COLOR_GRAYTEXT), COLOR_WINDOW);
      return FALSE;
    default: return FALSE;
  }
}

}  // namespace

Text BrowseForFolder(HWND owner, std::string_view requiredFile) {
  BrowseWindow w;
  w.owner = owner;
  w.requiredFile = Text(requiredFile);
  INT_PTR r = DialogBoxParamA(app::Instance(), MAKEINTRESOURCEA(IDD_BROWSE), owner, BrowseProc,
                              reinterpret_cast<LPARAM>(&w));
  ModalResult result = r == IDOK ? ModalResult::Ok : ModalResult::Cancel;
  return BrowseResult(result, w.dlg ? w.dlg->SelectedDir : Text());
}

}  // namespace pel
