// Makes, under Wine, the shortcuts whose fields the Linux-side lnkinfo check reads back.
#include <cstdio>

#include "sys/paths.h"
#include "sys/platform.h"
#include "sys/services.h"

int main(int argc, char** argv) {
  using namespace pel;
  if (argc != 2) {
    std::fprintf(stderr, "usage: sys_lnk_helper <windows folder>\n");
    return 2;
  }
  Platform& p = RealPlatform();
  Text folder = WithTrailingBackslash(argv[1]);
  Text target_dir = folder + "Pel Dir\\";
  p.files.MakeDirectory(folder);
  p.files.MakeDirectory(target_dir);
  if (!p.files.WriteWholeFile(target_dir + "PL.exe", "MZ") ||
      !p.files.WriteWholeFile(target_dir + "ReadMe.txt", "read me")) {
    std::fprintf(stderr, "cannot create the targets in %s\n", target_dir.c_str());
    return 1;
  }
  struct Case {
    const char* link;
    Text target;
    Text icon;
    const char* description;
    const char* arguments;
  } cases[] = {
      {"Pelmora.lnk", target_dir + "PL.exe", target_dir + "PL.exe", "Pelmora", "-u now"},
      {"ReadMe.lnk", target_dir + "ReadMe.txt", target_dir + "ReadMe.txt", "Read Me", ""},
      {"Drive.lnk", "C:PL.exe", target_dir + "PL.exe", "Drive only", ""},
      {"Bare.lnk", "PL.exe", target_dir + "PL.exe", "Bare name", ""},
  };
  int failures = 0;
  for (const Case& c : cases) {
    int32_t hr = CreateShortcut(p.shell, c.target, folder + c.link, c.icon, c.description,
                                c.arguments);
    std::printf("%s 0x%08lx\n", c.link, static_cast<unsigned long>(hr));
    if (hr < 0) ++failures;
  }
  return failures == 0 ? 0 : 1;
}
