// Installing a distribution through the installation's copy step, and unattended with all four
// steps, against a bare CopyFileA loop.
//   copy_bench <distribution folder> <scratch folder>
// Prints the time of each, best of three runs, and their ratios.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "setup/install_steps.h"
#include "setup/unattended_install.h"
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
  pel::FolderResolution r = pel::ResolveFolder(fs, folder);
  if (r.folder) pel::DeleteTree(fs, *r.folder);
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

// The whole unattended installation (copy, registry, templates, group) as
// setup.exe /S runs it, in this process, from the distribution folder given.
double Unattended(const std::string& from, const std::string& to) {
  pel::Switches sw;
  sw.silent = true;
  sw.dir = to;
  sw.address = "bench@example.org";
  sw.server = "smtp.example.org";
  sw.noGroup = true;
  pel::InstallServices s{pel::RealPlatform(), pel::DiskStore(), pel::CurrentUi(), "", nullptr};
  double t0 = Now();
  int code = pel::RunUnattendedInstall(pel::InstallChoicesOf(sw), from, s);
  double t = Now() - t0;
  return code == pel::ExitDone ? t : -1;
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
  double bare = 1e9, step = 1e9, quiet = 1e9;
  for (int run = 0; run < 3; ++run) {
    Empty(fs, scratch + "\\bare");
    double b = BareLoop(from, scratch + "\\bare");
    Empty(fs, scratch + "\\step");
    double s = CopyStep(from, scratch + "\\step");
    Empty(fs, scratch + "\\quiet");
    double q = Unattended(from, scratch + "\\quiet");
    if (b < 0 || s < 0 || q < 0) {
      std::printf("copy failed\n");
      return 1;
    }
    bare = b < bare ? b : bare;
    step = s < step ? s : step;
    quiet = q < quiet ? q : quiet;
  }
  Empty(fs, scratch + "\\bare");
  Empty(fs, scratch + "\\step");
  Empty(fs, scratch + "\\quiet");
  std::printf("CopyFileA loop %.3f s, copy step %.3f s (ratio %.2f), unattended installation "
              "%.3f s (ratio %.2f)\n",
              bare, step, step / bare, quiet, quiet / bare);
  return 0;
}
