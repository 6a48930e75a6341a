// The platform a conformance test runs against: this build's real one or the in-memory one.
#pragma once

#include <memory>
#include <string_view>

#include "base/text.h"
#include "sys/platform.h"

namespace pel {

class ConformanceEnv {
 public:
  virtual ~ConformanceEnv() = default;
  virtual Platform& platform() = 0;
  // An existing empty folder ending in a backslash; it and everything in it
  // (read-only entries included) is removed when the environment ends.
  virtual const Text& scratch() const = 0;
  // A registry key path under HKEY_CURRENT_USER that does not exist yet; it is
  // deleted with its subkeys when the environment ends.
  virtual const Text& scratch_key() const = 0;
  // Makes link a folder link (as the platform shows one: a reparse point
  // that the file calls follow) to target; it goes when the environment ends,
  // target untouched. False when this platform cannot make one.
  virtual bool MakeFolderLink(const Text& link, const Text& target) = 0;
  // Makes a file (or folder) in folder whose name is given in UTF-8, as a
  // program with the system's Unicode calls can; false when it cannot.
  virtual bool MakeUnicodeEntry(const Text& folder, std::string_view utf8_name, bool is_folder) = 0;
  // True for the Win32 implementation, false for the in-memory one.
  virtual bool real() const = 0;
  // Puts a program that waits until it is ended at image (a path in the
  // scratch folder) and starts it from there; false when it does not run.
  // Whatever it started ends with the environment at the latest.
  virtual bool StartWaitingProgram(const Text& image) = 0;
  virtual void EndStartedPrograms() = 0;
  // Opens the file at path without sharing until ReleaseHeld (the
  // environment is the other program); false when it cannot.
  virtual bool Hold(const Text& path) = 0;
  virtual void ReleaseHeld() = 0;
};

// Defined once per build: the Win32 environment in the Windows build, the
// in-memory one natively.
std::unique_ptr<ConformanceEnv> MakeConformanceEnv();

}  // namespace pel
