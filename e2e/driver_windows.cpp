// The program's windows and controls as the driver finds, reads and pictures them.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "e2e/driver.h"
#include "e2e/driver_family.h"
#include "e2e/driver_find.h"
#include "setup/win32/dialog_ids.h"
#include "setup/win32/setup_ids.h"
#include "uninstall/win32/uninst_ids.h"

namespace {

struct Name {
  const char* name;
  int id;
};
#define N(x) {#x, IDC_##x}
const Name kControls[] = {
    N(Panel1), N(Appname), N(Notebook1), N(Copyright), N(RichEdit1), N(Label4), N(AppDIR),
    N(BrowseBtn), N(GroupBox), N(Label6), N(RichEdit2), N(Label3), N(EAddr), N(Label2), N(Host),
    N(Label7), N(RichEdit4), N(Label8), N(RichEdit3), N(Label5), N(RichEdit6), N(RunPelmoraBox),
    N(RichEdit5), N(BackBtn), N(NextBtn), N(CancelBtn),
    N(DirectoryListBox1), N(FileListBox1), N(DriveComboBox1), N(OkBtn), N(BrowseCancelBtn),
    N(WaitPanel1), N(WaitCancelBtn),
    N(Notebook), N(Label23), N(RichEdit7), N(Label24), N(Label25), N(Label26), N(AppEntries),
    N(MixEntries), N(Label1), N(Memo1), N(Bevel1), N(OpenDirBtn),
};
#undef N

int ControlId(const std::string& name) {
  for (const Name& n : kControls)
    if (name == n.name) return n.id;
  char* end = nullptr;
  long v = std::strtol(name.c_str(), &end, 0);
  if (end && *end == 0 && !name.empty()) return static_cast<int>(v);
  Fail("unknown control " + name);
}

// A control of the window itself, or of one of its pages (child dialogs).
HWND ControlIn(HWND dialog, int id) {
  if (HWND h = GetDlgItem(dialog, id)) return h;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    char cls[8] = "";
    GetClassNameA(c, cls, sizeof cls);
    if (std::strcmp(cls, "#32770") == 0)
      if (HWND h = GetDlgItem(c, id)) return h;
  }
  return nullptr;
}

}  // namespace

HWND Control(const std::string& name) {
  if (!g_dialog) Fail("no current window");
  // A wizard makes a page's controls after its first page is drawn: wait
  // for them as a person would wait for the window to settle.
  HWND h = ControlIn(g_dialog, ControlId(name));
  for (int waited = 0; !h && waited < 3000 && IsWindow(g_dialog); waited += 20) {
    Sleep(20);
    h = ControlIn(g_dialog, ControlId(name));
  }
  if (!h) Fail("no control " + name);
  return h;
}

std::string TextOf(HWND h) {
  std::string t;
  // The window may change its text between the length and the text: a text
  // cut to the old length is read again.
  for (int tries = 0; tries < 5; ++tries) {
    int n = static_cast<int>(SendMessageA(h, WM_GETTEXTLENGTH, 0, 0));
    t.assign(static_cast<size_t>(n) + 1, '\0');
    int got = static_cast<int>(
        SendMessageA(h, WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(t.data())));
    t.resize(static_cast<size_t>(got > 0 ? got : 0));
    if (SendMessageA(h, WM_GETTEXTLENGTH, 0, 0) == n) break;
  }
  return t;
}

std::string Show(const std::string& s) {
  std::string r;
  for (char c : s) r += c == '\n' ? "{LF}" : c == '\r' ? "{CR}" : std::string(1, c);
  return "\"" + r + "\"";
}

BOOL CALLBACK FindProc(HWND h, LPARAM lp) {
  auto* f = reinterpret_cast<Find*>(lp);
  if (f->anyProgram) {
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    bool other = !g_proc.hProcess || WaitForSingleObject(g_proc.hProcess, 0) == WAIT_OBJECT_0 ||
                 !OfProgram(owner);
    if (other && IsWindowVisible(h) && TextOf(h).find(f->caption) != std::string::npos) {
      f->found = h;
      return FALSE;
    }
    return TRUE;
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (!OfProgram(pid) || !IsWindowVisible(h)) return TRUE;
  char cls[32] = "";
  GetClassNameA(h, cls, sizeof cls);
  if (std::strcmp(cls, "#32770") != 0) return TRUE;
  // The notice of the uninstaller has labels too: a box is what has none of
  // the buttons our own dialogs carry.
  bool isBox = GetDlgItem(h, 0xFFFF) != nullptr && GetDlgItem(h, IDC_NextBtn) == nullptr &&
               GetDlgItem(h, IDC_OpenDirBtn) == nullptr;
  if (isBox != f->box) return TRUE;
  if (!f->caption.empty() && TextOf(h) != f->caption) return TRUE;
  f->found = h;
  return FALSE;
}

HWND FindWindowOf(const std::string& caption, bool box) {
  Find f{caption, box, nullptr};
  EnumWindows(FindProc, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

HWND WaitFor(const std::string& caption, bool box, DWORD ms) {
  for (DWORD waited = 0;; waited += 5) {
    if (HWND h = FindWindowOf(caption, box)) {
      QueryPerformanceCounter(&g_found);
      Sleep(60);  // let it finish its first paint and focus
      return h;
    }
    if (waited >= ms) return nullptr;
    if (g_proc.hProcess && WaitForSingleObject(g_proc.hProcess, 0) == WAIT_OBJECT_0) return nullptr;
    Sleep(5);
  }
}

// Line ends as an edit control may hold them: CR LF, CR or LF; a final line
// end adds no empty line.
std::vector<std::string> LinesOf(const std::string& t) {
  std::vector<std::string> lines;
  std::string cur;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] != '\r' && t[i] != '\n') {
      cur += t[i];
      continue;
    }
    if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
    lines.push_back(cur);
    cur.clear();
  }
  if (!cur.empty()) lines.push_back(cur);
  return lines;
}

std::string Lower(std::string s) {
  if (!s.empty()) CharLowerBuffA(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

// The file name of the program that owns a window, in lower case.
std::string ProgramOf(HWND h) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!p) return "";
  char path[MAX_PATH] = "";
  DWORD n = MAX_PATH;
  if (!QueryFullProcessImageNameA(p, 0, path, &n)) n = 0;
  CloseHandle(p);
  std::string s(path, n);
  return Lower(s.substr(s.find_last_of("\\/") + 1));
}

// A visible window of explorer.exe whose caption names the folder: its full
// path or its last part, in any letter case.
HWND ExplorerOn(const std::string& folder) {
  struct Ask {
    std::string full, last;
    HWND found = nullptr;
  } ask;
  std::string f = Lower(folder);
  while (f.size() > 3 && f.back() == '\\') f.pop_back();
  ask.full = f;
  ask.last = f.substr(f.find_last_of('\\') + 1);
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto* a = reinterpret_cast<Ask*>(lp);
        if (!IsWindowVisible(h)) return TRUE;
        std::string caption = Lower(TextOf(h));
        if ((caption == a->full || caption == a->last) && ProgramOf(h) == "explorer.exe") {
          a->found = h;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&ask));
  return ask.found;
}

void SaveBitmap(HWND h, const std::string& name) {
  RECT r;
  GetWindowRect(h, &r);
  int w = r.right - r.left, ht = r.bottom - r.top;
  SetForegroundWindow(h);
  RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  Sleep(150);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, ht, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, ht, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  DWORD stride = ((static_cast<DWORD>(w) * 3 + 3) & ~3u), size = stride * static_cast<DWORD>(ht);
  BITMAPFILEHEADER fh = {0x4D42, static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader + size), 0, 0,
                         static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader)};
  CreateDirectoryA(g_artifacts.c_str(), nullptr);
  std::string path = g_artifacts + "\\" + name + ".bmp";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(&fh, sizeof fh, 1, f);
    std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
    std::fwrite(bits, size, 1, f);
    std::fclose(f);
  }
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}
