// The shell seam: shortcut files, program starts, the system beep and the system's error texts.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "base/text.h"

namespace pel {

// The fields of a shell link that this program sets; all others stay at the
// shell's defaults.
struct ShortcutFields {
  Text path;
  Text description;
  Text working_directory;
  Text icon_file;
  int icon_index = 0;
  Text arguments;  // set on the link only when not empty
  bool operator==(const ShortcutFields&) const = default;
};

// COM result codes (HRESULT) that the shortcut operations give besides the shell's own.
inline constexpr int32_t kHrOk = 0;
inline constexpr int32_t kHrFail = static_cast<int32_t>(0x80004005u);
// HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE): a link path over 259 characters.
inline constexpr int32_t kHrPathTooLong = static_cast<int32_t>(0x800700CEu);
// HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND).
inline constexpr int32_t kHrPathNotFound = static_cast<int32_t>(0x80070003u);

// Show modes of a new program's main window.
inline constexpr int kShowNormal = 1;  // SW_SHOWNORMAL
inline constexpr int kShow = 5;        // SW_SHOW

// A started program. Destroying this only lets go of it (the program runs on).
class StartedProcess {
 public:
  virtual ~StartedProcess() = default;
  // Waits up to timeout_ms; true when the program has ended.
  virtual bool WaitForExit(uint32_t timeout_ms) = 0;
  // Ends the program; false when it could not be ended.
  virtual bool Terminate() = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  // Saves a shell link file: sets path, description, working folder, icon and,
  // only when not empty, arguments, in that order, then saves to link_file.
  // Returns the last COM result (negative on failure); kHrPathTooLong when
  // link_file has more than 259 characters, in which case nothing is saved.
  virtual int32_t SaveShortcut(const ShortcutFields& link, std::string_view link_file) = 0;
  // Reads a link file back; false when it is missing or not a link.
  virtual bool LoadShortcut(std::string_view link_file, ShortcutFields* link) = 0;
  // Starts a program without waiting for it. With an empty application the
  // program is taken from the command line the way Windows does it; otherwise
  // application names the program file exactly. The caller's environment and
  // current folder are inherited; no handles are. nullptr when nothing started.
  virtual std::unique_ptr<StartedProcess> StartProcess(std::string_view application,
                                                       std::string_view command_line,
                                                       int show) = 0;
  // Plays the system sound of this type (0: the default sound).
  virtual void Beep(uint32_t sound_type) = 0;
  // The system's text for an error code as the system gives it (normally
  // ending in CR LF); empty text when the system has none.
  virtual Text ErrorText(uint32_t code) = 0;
};

}  // namespace pel
