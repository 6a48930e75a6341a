// The removal's file steps against a bare DeleteFileA/RemoveDirectoryA loop over the same trees.
//   delete_bench <scratch folder>
// A product folder of 1,000 files for DeleteAppFiles, a Mixmaster folder whose
// pool holds 10,000 files in 100 folders for DeleteMixFiles, each once with
// lower-case names and once with names in mixed case: the steps delete
// through lower-cased paths, which Wine, on a case-sensitive file system,
// must match against the folder's names. The steps are timed with the check
// for files in use before them, as the removal runs them. Prints the time of
// each, the best of several runs, and their ratios.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/text.h"
#include "sys/platform.h"
#include "uninstall/held_removal.h"
#include "uninstall/removal_steps.h"

namespace {

double Now() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

bool g_mixedCase = false;

bool MakeFiles(const std::string& folder, int count) {
  if (!CreateDirectoryA(folder.c_str(), nullptr)) return false;
  std::string body(300, 'x');
  for (int i = 0; i < count; ++i) {
    std::string path = folder + (g_mixedCase ? "\\File" : "\\file") + std::to_string(i) + (g_mixedCase ? ".TXT" : ".txt");
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(h, body.data(), static_cast<DWORD>(body.size()), &written, nullptr);
    CloseHandle(h);
  }
  return true;
}

// The product folder: its files only.
bool MakeAppTree(const std::string& root) { return MakeFiles(root, 1000); }

// Mixmaster's folder: a few files, and the pool with 100 folders of 100 files.
bool MakeMixTree(const std::string& root) {
  if (!MakeFiles(root, 10) || !CreateDirectoryA((root + "\\pool").c_str(), nullptr)) return false;
  for (int d = 0; d < 100; ++d)
    if (!MakeFiles(root + (g_mixedCase ? "\\pool\\Dir" : "\\pool\\dir") + std::to_string(d), 100)) return false;
  return true;
}

// The yardstick: every file deleted, every folder removed, depth first.
void BareDelete(const std::string& folder, bool removeFolder) {
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA((folder + "\\*.*").c_str(), &d);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = d.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = folder + "\\" + name;
      if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        BareDelete(path, true);
      else
        DeleteFileA(path.c_str());
    } while (FindNextFileA(h, &d));
    FindClose(h);
  }
  if (removeFolder) RemoveDirectoryA(folder.c_str());
}

bool Gone(const std::string& path) { return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; }

// Names what a deletion left below folder, so that a leftover says whose it
// is and where: the yardstick's or the step's.
int ShowLeft(const std::string& who, const std::string& folder, int shown = 0) {
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA((folder + "\\*.*").c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return shown;
  do {
    std::string name = d.cFileName;
    if (name == "." || name == "..") continue;
    if (shown++ < 20) std::printf("%s left %s\\%s\n", who.c_str(), folder.c_str(), name.c_str());
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) shown = ShowLeft(who, folder + "\\" + name, shown);
  } while (FindNextFileA(h, &d));
  FindClose(h);
  return shown;
}

// An empty folder left (the product folder survives its removal).
bool Emptied(const std::string& folder) {
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA((folder + "\\*.*").c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool empty = true;
  do {
    std::string name = d.cFileName;
    if (name != "." && name != "..") empty = false;
  } while (FindNextFileA(h, &d));
  FindClose(h);
  return empty;
}

// What the removal does with one component's folder: resolved and held, its
// files checked and claimed, then deleted through the claims.
bool Remove(pel::FileSystem& fs, const std::string& root, bool mix) {
  pel::FolderResolution folder = pel::ResolveFolder(fs, root);
  if (!folder.folder) return false;
  std::shared_ptr<pel::HeldFolder> held = fs.HoldFolder(folder.folder->Path());
  if (!held || !(held->Identity() == folder.folder->Identity())) return false;
  pel::EntryClaims claims;
  if (!pel::FirstEntryInUse(*held, folder.folder->Path(), nullptr, mix, claims).empty()) return false;
  std::vector<pel::Text> left;
  bool ok = mix ? pel::DeleteMixFiles(fs, held, *folder.folder, {}, &left, claims)
                : pel::DeleteAppFiles(*held, folder.folder->Path(), &left, claims);
  return ok && left.empty();
}

struct Best {
  double bare = 1e9, step = 1e9;
};

// Runs one kind a few times (the small tree more often: a busy machine
// disturbs short runs most): tree made, bare loop timed, tree made, step
// timed. False when either left something behind.
bool Measure(const std::string& root, bool mix, Best* best) {
  pel::FileSystem& fs = pel::RealPlatform().files;
  for (int run = 0; run < (mix ? 5 : 7); ++run) {
    std::string bareRoot = root + "\\bare", stepRoot = root + "\\step";
    if (!(mix ? MakeMixTree(bareRoot) : MakeAppTree(bareRoot))) return false;
    double t0 = Now();
    BareDelete(bareRoot, mix);
    double b = Now() - t0;
    if (!(mix ? Gone(bareRoot) : Emptied(bareRoot))) return ShowLeft("the bare loop", bareRoot), false;
    RemoveDirectoryA(bareRoot.c_str());

    if (!(mix ? MakeMixTree(stepRoot) : MakeAppTree(stepRoot))) return false;
    t0 = Now();
    // The step's own work includes resolving and holding the folder once and
    // the check for files in use before it, whose claims it deletes through.
    bool ok = Remove(fs, stepRoot, mix);
    double s = Now() - t0;
    if (!ok || !(mix ? Gone(stepRoot) : Emptied(stepRoot))) {
      std::printf("the step %s\n", ok ? "said it deleted everything" : "said it left something");
      return ShowLeft("the step", stepRoot), false;
    }
    RemoveDirectoryA(stepRoot.c_str());
    best->bare = b < best->bare ? b : best->bare;
    best->step = s < best->step ? s : best->step;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: delete_bench <scratch folder>\n");
    return 1;
  }
  std::string scratch = argv[1];
  CreateDirectoryA(scratch.c_str(), nullptr);
  for (bool mixed : {false, true}) {
    g_mixedCase = mixed;
    const char* names = mixed ? "mixed-case names" : "lower-case names";
    Best app, mix;
    if (!Measure(scratch, false, &app) || !Measure(scratch, true, &mix)) {
      std::printf("%s: a deletion left something behind\n", names);
      return 1;
    }
    std::printf("1,000 files, %s, DeleteAppFiles: bare loop %.3f s, step %.3f s, ratio %.2f\n", names, app.bare,
                app.step, app.step / app.bare);
    std::printf("10,000 pool files in 100 folders, %s, DeleteMixFiles: bare loop %.3f s, step %.3f s, ratio %.2f\n",
                names, mix.bare, mix.step, mix.step / mix.bare);
    std::fflush(stdout);
  }
  return 0;
}
