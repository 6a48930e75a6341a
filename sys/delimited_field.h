// Picking the n-th non-empty field out of a delimited text (store paths, lists).
#pragma once

#include <string_view>

#include "base/text.h"

namespace pel {

// The n-th (from 0) non-empty field of text, fields ending at each occurrence of
// delimiter or at the end; empty fields are skipped and not counted. Returns
// def when there is no such field or n is negative. An empty delimiter makes
// the whole text field 0.
Text DelimitedField(int n, std::string_view text, std::string_view delimiter,
                    std::string_view def);

}  // namespace pel
