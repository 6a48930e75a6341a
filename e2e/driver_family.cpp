// The started program and its copies of itself, found through the process list's parent links.
#include "e2e/driver_family.h"

#include <tlhelp32.h>

#include <cstdlib>
#include <mutex>
#include <set>

namespace {

std::mutex g_mutex;
DWORD g_root = 0;
std::string g_name;
std::set<DWORD> g_family;
DWORD g_refreshed = 0;

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of("\\/:") + 1); }

struct Entry {
  DWORD pid, parent;
  std::string exe;
};

std::vector<Entry> Processes() {
  std::vector<Entry> out;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return out;
  PROCESSENTRY32 e = {sizeof e};
  for (BOOL more = Process32First(snap, &e); more; more = Process32Next(snap, &e))
    out.push_back({e.th32ProcessID, e.th32ParentProcessID, e.szExeFile});
  CloseHandle(snap);
  return out;
}

void Refresh() {
  std::vector<Entry> all = Processes();
  std::set<DWORD> family = {g_root};
  for (bool grew = true; grew;) {
    grew = false;
    for (const Entry& e : all)
      if (!family.count(e.pid) && family.count(e.parent) &&
          lstrcmpiA(BaseName(e.exe).c_str(), g_name.c_str()) == 0)
        grew = family.insert(e.pid).second;
  }
  g_family = family;
  g_refreshed = GetTickCount();
}

}  // namespace

void FamilyStart(DWORD pid, const std::string& exePath) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_root = pid;
  g_name = BaseName(exePath);
  g_family = {pid};
  g_refreshed = 0;
}

bool OfProgram(DWORD pid) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_root) return false;
  if (g_family.count(pid)) return true;
  // Windows of other programs come by the dozen: one look at the list at a time.
  if (GetTickCount() - g_refreshed < 20) return false;
  Refresh();
  return g_family.count(pid) != 0;
}

bool RunFamilyCommand(const std::vector<std::string>& w, void (*expect)(bool, const std::string&)) {
  if (w[0] != "processes-end") return false;
  expect(w.size() >= 2, "too few words for " + w[0]);
  DWORD ms = w.size() > 2 ? static_cast<DWORD>(std::atol(w[2].c_str())) : 20000;
  for (DWORD start = GetTickCount();; Sleep(50)) {
    bool running = false;
    for (const Entry& e : Processes())
      running = running || lstrcmpiA(BaseName(e.exe).c_str(), w[1].c_str()) == 0;
    if (!running) return true;
    expect(GetTickCount() - start < ms, "a process " + w[1] + " still runs");
  }
}
