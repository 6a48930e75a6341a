// ANSI text and the system's case rules: the one place that knows how letters fold.
#pragma once

#include <string>
#include <string_view>

namespace pel {

// Text is 8-bit ANSI (code page 1252) with value semantics.
using Text = std::string;

// Locale-aware ANSI case mapping, as CharLowerBuffA/CharUpperBuffA do it.
// On Windows these call the system; natively they use the code page 1252 table.
Text AnsiLowerCase(std::string_view s);
Text AnsiUpperCase(std::string_view s);
char AnsiLowerChar(char c);

// Case-insensitive equality with the user's locale rules, as CompareStringA
// with NORM_IGNORECASE decides it.
bool AnsiSameText(std::string_view a, std::string_view b);

// Case-insensitive prefix test under the same rules (the whole prefix must match).
bool AnsiStartsText(std::string_view prefix, std::string_view s);

// The code page 1252 tables as Windows maps them. The native build uses them
// directly; the Windows build keeps them so a test can prove they agree with
// the system's own mapping for all 256 bytes.
unsigned char TableLower(unsigned char c);
unsigned char TableUpper(unsigned char c);

// Numbers as the logs and messages spell them, without the printf family
// (which would be most of the program's runtime): decimal with leading zeros
// up to `width` digits (never cut short), and upper-case hexadecimal likewise.
Text ZeroPadded(unsigned long long value, int width);
Text UpperHex(unsigned long long value, int width);

}  // namespace pel
