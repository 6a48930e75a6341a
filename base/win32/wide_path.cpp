// The system's code page without best fit, and the conversions of texts and paths through it.
#include "base/win32/wide_path.h"

#include <vector>

namespace pel::win32 {

bool SystemCodePage::Narrow(std::u16string_view wide, Text* out) const {
  out->clear();
  if (wide.empty()) return true;
  std::wstring_view w = AsWide(wide);
  UINT cp = GetACP();
  // UTF-8 as the system's code page holds every character, and takes no flags.
  bool utf8 = cp == CP_UTF8;
  DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL used_default = FALSE;
  BOOL* used = utf8 ? nullptr : &used_default;
  int n = WideCharToMultiByte(cp, flags, w.data(), static_cast<int>(w.size()), nullptr, 0,
                              nullptr, used);
  if (n <= 0) return false;
  std::vector<char> buffer(static_cast<size_t>(n));
  used_default = FALSE;
  n = WideCharToMultiByte(cp, flags, w.data(), static_cast<int>(w.size()), buffer.data(), n,
                          nullptr, used);
  if (n <= 0) return false;
  out->assign(buffer.data(), static_cast<size_t>(n));
  return !used_default;
}

std::u16string SystemCodePage::Widen(std::string_view bytes) const {
  std::wstring w = Wide(bytes);
  return std::u16string(AsU16(w));
}

const CodePage& TheSystemCodePage() {
  static const SystemCodePage code_page;
  return code_page;
}

std::wstring Wide(std::string_view text) {
  if (text.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

bool NarrowText(std::wstring_view wide, Text* out) {
  return TheSystemCodePage().Narrow(AsU16(wide), out);
}

std::wstring ShortFormOf(std::wstring_view path) {
  std::wstring long_path(path);
  DWORD needed = GetShortPathNameW(long_path.c_str(), nullptr, 0);
  if (needed == 0) return std::wstring();
  std::wstring buffer(needed + 1, L'\0');
  DWORD got = GetShortPathNameW(long_path.c_str(), buffer.data(), needed + 1);
  if (got == 0 || got > needed) return std::wstring();
  buffer.resize(got);
  return buffer;
}

NarrowedPath NarrowSystemPath(std::wstring_view path) {
  DWORD error = GetLastError();
  NarrowedPath result =
      NarrowPath(TheSystemCodePage(), AsU16(path), [](std::u16string_view long_path) {
        std::wstring s = ShortFormOf(AsWide(long_path));
        return std::u16string(AsU16(s));
      });
  SetLastError(result.ok() ? error : kNoTranslation);
  return result;
}

}  // namespace pel::win32
