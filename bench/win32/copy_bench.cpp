// Installing a distribution through the installation's copy step, against a bare CopyFileA loop.
//   copy_bench <distribution folder> <scratch folder>
// Prints the time of each, best of three runs, and their ratio.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "setup/install_steps.h"
#include "setup/store_access.h"
#include "sys/paths.h"
#include "sys/platform.h"
#include "sys/ui.h"

namespace {

double Now() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

void Empty(pel::FileSystem& fs, const std::string& folder) {
  pel::Text path = folder;
  pel::DeleteTree(fs, path);
}

// -1 unless every file was copied.
double BareLoop(const std::string& from, const std::string& to) {
  double t0 = Now();
  if (!CreateDirectoryA(to.c_str(), nullptr)) return -1;
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA((from + "\\*.*").c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return -1;
  do {
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (!CopyFileA((from + "\\" + d.cFileName).c_str(), (to + "\\" + d.cFileName).c_str(), FALSE)) {
      FindClose(h);
      return -1;
    }
  } while (FindNextFileA(h, &d));
  FindClose(h);
  return Now() - t0;
}

double CopyStep(const std::string& from, const std::string& to) {
  pel::InstallContext c;
  c.appDir = to;
  c.sourceFolder = from;
  pel::InstallServices s{pel::RealPlatform(), pel::DiskStore(), pel::CurrentUi(), "", nullptr};
  double t0 = Now();
  bool ok = pel::CopyProgramFiles(c, s);
  double t = Now() - t0;
  return ok ? t : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::printf("usage: copy_bench <distribution folder> <scratch folder>\n");
    return 1;
  }
  std::string from = argv[1], scratch = argv[2];
  pel::FileSystem& fs = pel::RealPlatform().files;
  CreateDirectoryA(scratch.c_str(), nullptr);
  double bare = 1e9, step = 1e9;
  for (int run = 0; run < 3; ++run) {
    Empty(fs, scratch + "\\bare");
    double b = BareLoop(from, scratch + "\\bare");
    Empty(fs, scratch + "\\step");
    double s = CopyStep(from, scratch + "\\step");
    if (b < 0 || s < 0) {
      std::printf("copy failed\n");
      return 1;
    }
    bare = b < bare ? b : bare;
    step = s < step ? s : step;
  }
  Empty(fs, scratch + "\\bare");
  Empty(fs, scratch + "\\step");
  std::printf("CopyFileA loop %.3f s, copy step %.3f s, ratio %.2f\n", bare, step, step / bare);
  return 0;
}
