// Texts between the 8-bit core and the system's Unicode calls: the one place that converts them.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "base/narrow_path.h"

namespace pel::win32 {

// The system's ANSI code page, with best fit refused: a character it would
// replace by a look-alike or by '?' makes the text inexact.
class SystemCodePage final : public CodePage {
 public:
  bool Narrow(std::u16string_view wide, Text* out) const override;
  std::u16string Widen(std::string_view bytes) const override;
};
const CodePage& TheSystemCodePage();

// 8-bit text as the system's A calls would take it (MultiByteToWideChar, CP_ACP).
std::wstring Wide(std::string_view text);
// A non-path text from a W call: true with the exact bytes, false when the
// code page cannot hold it (*out then holds '?' where it cannot, for messages).
bool NarrowText(std::wstring_view wide, Text* out);
// A path from a W call, by the one rule (NarrowPath): exact, else its short
// form from GetShortPathNameW, else none.
NarrowedPath NarrowSystemPath(std::wstring_view path);
// The short form of an existing path by GetShortPathNameW; empty when none.
std::wstring ShortFormOf(std::wstring_view path);
// The Windows error recorded when a path or text cannot reach the core.
inline constexpr DWORD kNoTranslation = ERROR_NO_UNICODE_TRANSLATION;

inline std::u16string_view AsU16(std::wstring_view w) {
  return {reinterpret_cast<const char16_t*>(w.data()), w.size()};
}
inline std::wstring_view AsWide(std::u16string_view u) {
  return {reinterpret_cast<const wchar_t*>(u.data()), u.size()};
}

}  // namespace pel::win32
