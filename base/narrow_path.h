// How a path the platform holds in Unicode reaches the 8-bit core: exactly, by its short form, or not at all.
#pragma once

#include <string>
#include <string_view>

#include "base/function_ref.h"
#include "base/text.h"

namespace pel {

// A code page as the conversion sees it: a Unicode text has an exact 8-bit
// spelling or none. A character the code page would replace by a look-alike
// ("Ł" by "L", a full-width quotation mark by '"') or by '?' has none.
class CodePage {
 public:
  virtual ~CodePage() = default;
  // True, with *out the bytes, when every character has its own byte(s);
  // false otherwise, with *out a spelling fit only for messages (every such
  // character as '?'), never for a path.
  virtual bool Narrow(std::u16string_view wide, Text* out) const = 0;
  // The Unicode text of 8-bit bytes; every byte of the code page has one.
  virtual std::u16string Widen(std::string_view bytes) const = 0;
};

enum class PathForm {
  Exact,  // the path as the system spells it
  Short,  // its short (8.3) form: the long one is not in the code page
  None,   // neither is: the path cannot reach the core
};

struct NarrowedPath {
  Text path;     // empty when form is None
  Text shown;    // the long form for messages: exact, or with '?' in place of what the code page lacks
  PathForm form = PathForm::None;
  bool ok() const { return form != PathForm::None; }
};

// The one rule for every path that comes in from the platform: the long form
// when the code page holds it exactly; else the short form (short_form gives
// it, empty when the volume keeps none or the path does not exist) when the
// code page holds that exactly; else none. Never a best-fitted spelling,
// which would name another file or none.
NarrowedPath NarrowPath(const CodePage& code_page, std::u16string_view path,
                        FunctionRef<std::u16string(std::u16string_view)> short_form);

// Code page 1252, the system's code page of the native builds and of the
// Wine prefixes the tests run in, as Windows maps it (its five unassigned
// bytes stand for the control characters of the same number).
class WesternCodePage final : public CodePage {
 public:
  bool Narrow(std::u16string_view wide, Text* out) const override;
  std::u16string Widen(std::string_view bytes) const override;
};

// UTF-8 from and to UTF-16, for the twins and tests that write names the
// code page cannot hold; an ill-formed sequence becomes U+FFFD.
std::u16string Utf16FromUtf8(std::string_view utf8);
std::string Utf8FromUtf16(std::u16string_view utf16);

}  // namespace pel
