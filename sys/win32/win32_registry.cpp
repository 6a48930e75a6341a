// The registry seam on the real Win32 registry, HKEY_CURRENT_USER only.
#include <vector>

#include "sys/win32/win32_handles.h"
#include "sys/win32/win32_platform.h"
#include "base/win32/wide_path.h"

namespace pel::win32 {

namespace {

// A key path that names HKEY_CURRENT_USER itself must never reach the API:
// deleting it would empty the whole hive.
bool NamesAKey(std::string_view path) {
  return path.find_first_not_of('\\') != std::string_view::npos;
}

Text SystemText(LONG code) {
  char* buffer = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, static_cast<DWORD>(code), 0,
                           reinterpret_cast<char*>(&buffer), 0, nullptr);
  Text text = n ? Text(buffer, n) : "Registry error " + std::to_string(code);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

Text NotInCodePageError(std::string_view name, std::string_view shown) {
  return "The value '" + Text(name) + "' (" + Text(shown) +
         ") holds characters the system's code page cannot hold";
}

class Win32Key final : public RegistryKey {
 public:
  explicit Win32Key(KeyHandle key) : key_(std::move(key)) {}

  RegText ReadString(std::string_view name) override {
    std::wstring n = Wide(name);
    DWORD type = 0;
    DWORD size = 0;
    LONG r = RegQueryValueExW(key_.get(), n.c_str(), nullptr, &type, nullptr, &size);
    if (r == ERROR_FILE_NOT_FOUND) return {};
    if (r != ERROR_SUCCESS) return {Text(), SystemText(r)};
    if (type != REG_SZ && type != REG_EXPAND_SZ) return {Text(), InvalidDataTypeError(name)};
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    DWORD got = size;
    r = RegQueryValueExW(key_.get(), n.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &got);
    if (r != ERROR_SUCCESS) return {Text(), SystemText(r)};
    if (type != REG_SZ && type != REG_EXPAND_SZ) return {Text(), InvalidDataTypeError(name)};
    // A stored string may or may not carry its terminating zero.
    std::wstring wide(buffer.data(), got / sizeof(wchar_t));
    while (!wide.empty() && wide.back() == L'\0') wide.pop_back();
    Text value;
    if (NarrowText(wide, &value)) return {value, Text()};
    // A folder the code page cannot hold comes by its short form, as every
    // path from the system does; any other such text is an error, never a
    // best-fitted look-alike.
    bool absolute = (wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\') ||
                    wide.starts_with(L"\\\\");
    if (absolute) {
      NarrowedPath path = NarrowSystemPath(wide);
      if (path.ok()) return {path.path, Text()};
    }
    return {Text(), NotInCodePageError(name, value)};
  }

  std::vector<Text> ValueNames() override {
    std::vector<Text> names;
    char name[16384];
    for (DWORD i = 0;; ++i) {
      DWORD size = sizeof name;
      LONG r = RegEnumValueA(key_.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr);
      if (r == ERROR_MORE_DATA) continue;
      if (r != ERROR_SUCCESS) break;
      names.emplace_back(name, size);
    }
    return names;
  }

  bool ReadInteger(std::string_view name, uint32_t* value) override {
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    LONG r = RegQueryValueExA(key_.get(), Text(name).c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(&data), &size);
    if (r != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data) return false;
    *value = data;
    return true;
  }

  bool WriteString(std::string_view name, std::string_view value) override {
    Text v(value);
    return RegSetValueExA(key_.get(), Text(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(v.c_str()),
                          static_cast<DWORD>(v.size() + 1)) == ERROR_SUCCESS;
  }

  bool WriteInteger(std::string_view name, uint32_t value) override {
    DWORD data = value;
    return RegSetValueExA(key_.get(), Text(name).c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&data), sizeof data) == ERROR_SUCCESS;
  }

 private:
  KeyHandle key_;
};

}  // namespace

std::unique_ptr<RegistryKey> Win32Registry::OpenKey(std::string_view path) {
  if (!NamesAKey(path)) return nullptr;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, Text(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<Win32Key>(KeyHandle(key));
}

std::unique_ptr<RegistryKey> Win32Registry::CreateKey(std::string_view path) {
  if (!NamesAKey(path)) return nullptr;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, Text(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<Win32Key>(KeyHandle(key));
}

bool Win32Registry::KeyExists(std::string_view path) {
  if (!NamesAKey(path)) return false;
  HKEY key = nullptr;
  LONG r = RegOpenKeyExA(HKEY_CURRENT_USER, Text(path).c_str(), 0, KEY_QUERY_VALUE, &key);
  KeyHandle owner(r == ERROR_SUCCESS ? key : nullptr);
  return r == ERROR_SUCCESS || r == ERROR_ACCESS_DENIED;
}

bool Win32Registry::DeleteKey(std::string_view path) {
  if (!NamesAKey(path)) return false;
  return RegDeleteTreeA(HKEY_CURRENT_USER, Text(path).c_str()) == ERROR_SUCCESS &&
         !KeyExists(path);
}

bool Win32Registry::DeleteEmptyKey(std::string_view path) {
  if (!NamesAKey(path)) return false;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, Text(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  DWORD subkeys = 0, values = 0;
  LONG r = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                            nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  // RegDeleteKeyA itself refuses a key with subkeys; the values are our own check.
  return r == ERROR_SUCCESS && subkeys == 0 && values == 0 &&
         RegDeleteKeyA(HKEY_CURRENT_USER, Text(path).c_str()) == ERROR_SUCCESS;
}

}  // namespace pel::win32
