// The shell seam on COM shell links, CreateProcessA, MessageBeep and FormatMessageA.
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

#include "sys/win32/win32_handles.h"
#include "sys/win32/win32_platform.h"

namespace pel::win32 {

namespace {

// Converts a link path for IPersistFile through a MAX_PATH buffer; false when
// it does not fit (the text would arrive cut short or unterminated).
bool WidePath(std::string_view path, wchar_t (&wide)[MAX_PATH]) {
  return MultiByteToWideChar(CP_ACP, 0, Text(path).c_str(), -1, wide, MAX_PATH) != 0;
}

HRESULT MakeLink(ComPtr<IShellLinkA>* link) {
  // Every call initialises COM for the thread; the first one counts, later
  // ones only answer S_FALSE. COM stays initialised for the GUI thread.
  CoInitialize(nullptr);
  return CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                          link->out());
}

class Win32Process final : public StartedProcess {
 public:
  explicit Win32Process(HANDLE process) : process_(process) {}
  bool WaitForExit(uint32_t timeout_ms) override {
    return WaitForSingleObject(process_.get(), timeout_ms) == WAIT_OBJECT_0;
  }
  bool Terminate() override {
    if (!TerminateProcess(process_.get(), 1)) return WaitForExit(0);
    return WaitForExit(5000);
  }

 private:
  KernelHandle process_;
};

}  // namespace

int32_t Win32Shell::SaveShortcut(const ShortcutFields& fields, std::string_view link_file) {
  ComPtr<IShellLinkA> link;
  HRESULT hr = MakeLink(&link);
  if (FAILED(hr)) return hr;
  link->SetPath(fields.path.c_str());
  link->SetDescription(fields.description.c_str());
  link->SetWorkingDirectory(fields.working_directory.c_str());
  link->SetIconLocation(fields.icon_file.c_str(), fields.icon_index);
  if (!fields.arguments.empty()) link->SetArguments(fields.arguments.c_str());
  ComPtr<IPersistFile> file;
  hr = link->QueryInterface(IID_IPersistFile, file.out());
  if (FAILED(hr)) return hr;
  wchar_t wide[MAX_PATH];
  if (!WidePath(link_file, wide)) return kHrPathTooLong;
  return file->Save(wide, TRUE);
}

bool Win32Shell::LoadShortcut(std::string_view link_file, ShortcutFields* fields) {
  ComPtr<IShellLinkA> link;
  if (FAILED(MakeLink(&link))) return false;
  ComPtr<IPersistFile> file;
  wchar_t wide[MAX_PATH];
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.out())) || !WidePath(link_file, wide) ||
      FAILED(file->Load(wide, STGM_READ))) {
    return false;
  }
  char buffer[INFOTIPSIZE + 1];
  auto text = [&](HRESULT hr) { return SUCCEEDED(hr) ? Text(buffer) : Text(); };
  buffer[0] = '\0';
  fields->path = text(link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH));
  buffer[0] = '\0';
  fields->description = text(link->GetDescription(buffer, INFOTIPSIZE));
  buffer[0] = '\0';
  fields->working_directory = text(link->GetWorkingDirectory(buffer, MAX_PATH));
  buffer[0] = '\0';
  int index = 0;
  fields->icon_file = text(link->GetIconLocation(buffer, MAX_PATH, &index));
  fields->icon_index = index;
  buffer[0] = '\0';
  fields->arguments = text(link->GetArguments(buffer, INFOTIPSIZE));
  return true;
}

std::unique_ptr<StartedProcess> Win32Shell::StartProcess(std::string_view application,
                                                         std::string_view command_line,
                                                         int show) {
  // 68 bytes in a 32-bit build; the x64 layout is larger, so the size is the
  // structure's own.
  static_assert(sizeof(void*) != 4 || sizeof(STARTUPINFOA) == 68);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION info{};
  Text app(application);
  // CreateProcessA may write into the command line.
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  if (!CreateProcessA(app.empty() ? nullptr : app.c_str(), line.data(), nullptr, nullptr, FALSE,
                      0, nullptr, nullptr, &startup, &info)) {
    return nullptr;
  }
  CloseHandle(info.hThread);
  return std::make_unique<Win32Process>(info.hProcess);
}

void Win32Shell::Beep(uint32_t sound_type) { MessageBeep(sound_type); }

Text Win32Shell::ErrorText(uint32_t code) {
  // Inserts are left as they are: without arguments a text with %1 in it
  // would make FormatMessage read arguments that do not exist.
  char* buffer = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                           reinterpret_cast<char*>(&buffer), 0, nullptr);
  Text text = (n && buffer) ? Text(buffer, n) : Text();
  if (buffer) LocalFree(buffer);
  return text;
}

}  // namespace pel::win32
