// The in-memory platform: every seam modelled in memory, bundled for tests and tools.
#pragma once

#include "sys/memory/memory_dde.h"
#include "sys/memory/memory_file_system.h"
#include "sys/memory/memory_processes.h"
#include "sys/memory/memory_registry.h"
#include "sys/memory/memory_shell.h"
#include "sys/platform.h"

namespace pel {

// Owns its services; platform() hands them out as the callers take them.
class MemoryPlatform {
 public:
  MemoryPlatform() = default;
  MemoryPlatform(const MemoryPlatform&) = delete;
  MemoryPlatform& operator=(const MemoryPlatform&) = delete;

  Platform& platform() { return platform_; }

  MemoryFileSystem files;
  MemoryRegistry registry;
  MemoryShell shell{files};
  MemoryDde dde;
  MemoryProcesses processes{files};

 private:
  Platform platform_{files, registry, shell, dde, processes};
};

}  // namespace pel
