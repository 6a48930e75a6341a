// The cases of the path conversion rule, shared by the code page model's test and the system's.
#pragma once

#include <string_view>

#include "base/narrow_path.h"

namespace pel {

// Paths are written in UTF-8 here; expected bytes are code page 1252.
struct NarrowCase {
  std::string_view what;
  std::string_view long_path;   // UTF-8
  std::string_view short_path;  // UTF-8; empty: the volume gives none
  PathForm form;
  std::string_view bytes;       // what reaches the core
};

inline constexpr NarrowCase kNarrowCases[] = {
    {"plain ASCII", "C:\\Users\\bob\\Downloads", "", PathForm::Exact, "C:\\Users\\bob\\Downloads"},
    {"ASCII with a short form stays long", "C:\\Program Files\\Pelmora", "C:\\PROGRA~1\\Pelmora",
     PathForm::Exact, "C:\\Program Files\\Pelmora"},
    {"letters of the code page", "C:\\Users\\Jörg Müller\\Downloads", "C:\\Users\\JRGML~1\\Downloads",
     PathForm::Exact, "C:\\Users\\J\xF6rg M\xFCller\\Downloads"},
    {"the code page's own high letters", "C:\\Users\\Šárka €", "", PathForm::Exact,
     "C:\\Users\\\x8A\xE1rka \x80"},
    {"letter that best-fits to ASCII, short form", "C:\\Users\\Łukasz\\Downloads",
     "C:\\Users\\_UKAS~1\\Downloads", PathForm::Short, "C:\\Users\\_UKAS~1\\Downloads"},
    {"letter that best-fits to ASCII, no short form", "C:\\Users\\Łukasz\\Downloads", "",
     PathForm::None, ""},
    {"Turkish dotless i, short form", "C:\\Users\\Işıl", "C:\\Users\\I_L~1", PathForm::Short,
     "C:\\Users\\I_L~1"},
    {"Cyrillic, short form", "C:\\Users\\Дмитрий\\Downloads", "C:\\Users\\6A3F~1\\Downloads",
     PathForm::Short, "C:\\Users\\6A3F~1\\Downloads"},
    {"Cyrillic, no short form", "C:\\Users\\Дмитрий\\Downloads", "", PathForm::None, ""},
    {"Greek, short form", "C:\\Users\\Ελένη", "C:\\Users\\12AB~1", PathForm::Short,
     "C:\\Users\\12AB~1"},
    {"CJK, short form", "C:\\Users\\王小明\\Downloads", "C:\\Users\\9F2C~1\\Downloads",
     PathForm::Short, "C:\\Users\\9F2C~1\\Downloads"},
    {"CJK, no short form", "C:\\Users\\王小明", "", PathForm::None, ""},
    {"full-width quotation mark", "C:\\Data\\＂quoted＂", "", PathForm::None, ""},
    {"full-width solidus", "C:\\Data\\a／b", "", PathForm::None, ""},
    {"outside the basic plane", "C:\\Data\\\xF0\x9F\x93\xA7 mail", "", PathForm::None, ""},
    {"a short form the code page cannot hold either", "C:\\Users\\Łukasz Nowak",
     "C:\\Users\\Łukasz~1", PathForm::None, ""},
};

}  // namespace pel
