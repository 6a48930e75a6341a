// The registry seam: keys and values under HKEY_CURRENT_USER, the only hive the program uses.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace pel {

// A string read: the text, or the reason it could not be read.
struct RegText {
  Text value;
  Text error;  // empty when the read succeeded
  bool ok() const { return error.empty(); }
};

// "Invalid data type for '<name>'": the error of a value that is not text.
Text InvalidDataTypeError(std::string_view name);

// An open key; closing it is its destruction. No method throws.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  // A text value (string or expandable string, unexpanded). A missing value
  // reads as empty text without error; any other type gives
  // InvalidDataTypeError(name); a failing read gives the system's reason.
  virtual RegText ReadString(std::string_view name) = 0;
  // The names of the key's values, spelled as stored, in no particular order;
  // empty when it has none or they cannot be read.
  virtual std::vector<Text> ValueNames() = 0;
  // A 32-bit number; false when missing or of another type.
  virtual bool ReadInteger(std::string_view name, uint32_t* value) = 0;
  // Writes a string (REG_SZ); false when refused (also on a key opened for reading).
  virtual bool WriteString(std::string_view name, std::string_view value) = 0;
  // Writes a 32-bit number (REG_DWORD); false when refused.
  virtual bool WriteInteger(std::string_view name, uint32_t value) = 0;
};

// Key paths are relative to HKEY_CURRENT_USER, backslash-separated, without
// regard to case.
class Registry {
 public:
  virtual ~Registry() = default;
  // Opens an existing key for reading; nullptr when it is missing or refused.
  virtual std::unique_ptr<RegistryKey> OpenKey(std::string_view path) = 0;
  // Opens a key with full access, creating it and its parents when absent;
  // nullptr when it can be neither opened nor created.
  virtual std::unique_ptr<RegistryKey> CreateKey(std::string_view path) = 0;
  // True when the key exists (whether or not it can be opened).
  virtual bool KeyExists(std::string_view path) = 0;
  // Deletes the key with all its subkeys and values; false when it is missing
  // or could not be deleted.
  virtual bool DeleteKey(std::string_view path) = 0;
  // Deletes the key only when it holds neither subkeys nor values; false when
  // it is missing, not empty, or could not be deleted.
  virtual bool DeleteEmptyKey(std::string_view path) = 0;
};

}  // namespace pel
