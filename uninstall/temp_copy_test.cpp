// The temporary copy: when it is made and where, what is cleaned, and when the original goes.
#include "uninstall/temp_copy.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/constants.h"
#include "sys/logging_platform.h"
#include "sys/memory/memory_platform.h"
#include "sys/paths.h"
#include "uninstall/unattended_removal.h"

namespace pel {
namespace {

constexpr std::string_view kTemp = "C:\\Users\\user\\AppData\\Local\\Temp";
constexpr std::string_view kApp = "C:\\Program Files\\Pelmora";
constexpr std::string_view kOriginal = "C:\\Program Files\\Pelmora\\UninstPL.exe";

// A running program's file refuses deletion with error 5, as a read-only one
// does: the stand-in used here, lifted when the program ends.
struct Host final : CopyHost {
  explicit Host(MemoryFileSystem& f) : files(f) {}
  Text TempFolder() override { return temp; }
  bool SameEntry(std::string_view a, std::string_view b) override {
    Text sa = files.StoredSpelling(a), sb = files.StoredSpelling(b);
    return !sa.empty() && AnsiSameText(WithoutTrailingBackslash(sa), WithoutTrailingBackslash(sb));
  }
  void Sleep(int ms) override {
    slept += ms;
    if (heldUntil >= 0 && slept >= heldUntil) files.SetAttributes(kOriginal, kAttrArchive);
  }
  void ReportToParent(int code) override { events.push_back("report " + std::to_string(code)); }
  bool WaitForParent(uint32_t) override {
    events.push_back("wait");
    if (heldUntil == 0) files.SetAttributes(kOriginal, kAttrArchive);
    if (onParentEnd) onParentEnd();
    return true;
  }
  bool RemoveAtRestart(std::string_view path) override {
    atRestart.push_back(Text(path));
    return true;
  }

  MemoryFileSystem& files;
  Text temp = Text(kTemp);
  int slept = 0;
  int heldUntil = 0;  // ms of retries after the parent's end until the original is free; -1 never
  std::function<void()> onParentEnd;  // what another program does the moment the original ends
  std::vector<Text> events, atRestart;
};

struct World {
  MemoryPlatform m;
  Host host{m.files};
  World() {
    m.files.MakeDirectories(kTemp);
    m.files.MakeDirectories(kApp);
    for (const char* f : {"PL.exe", "UninstPL.exe", "PL.dbc"})
      m.files.WriteWholeFile(Text(kApp) + "\\" + f, f);
    m.files.MakeDirectories(Text(kApp) + "\\Mail");
    m.registry.Put(ProductKey, RegAppDir, {RegType::String, Text(kApp)});
    m.registry.Put(ProductKey, RegProgramGroup, {RegType::String, "Pelmora"});
    m.dde.AddServer("PROGMAN", "PROGMAN");
  }
  CopyDecision Prepare(std::string_view exe) {
    return PrepareTempCopy(m.files, m.registry, host, exe);
  }
  std::vector<DirEntry> Entries(std::string_view folder) {
    std::vector<DirEntry> out;
    m.files.List(Text(folder) + "\\*.*", kAttrAll, &out);
    return out;
  }
};

TEST(TempCopy, IsMadeOnlyWhenStartedFromTheProductFolder) {
  struct Case {
    const char* name;
    const char* appDir;  // nullptr: not installed
    const char* exe;
    bool copied;
    const char* reason;  // part of the reason for staying in place
  };
  const Case cases[] = {
      {"same spelling", "C:\\Program Files\\Pelmora", "C:\\Program Files\\Pelmora\\UninstPL.exe", true, ""},
      {"other case, final backslash", "c:\\program files\\PELMORA\\", "C:\\Program Files\\Pelmora\\UninstPL.exe", true, ""},
      {"setup.exe -u in the product folder", "C:\\Program Files\\Pelmora", "C:\\Program Files\\Pelmora\\setup.exe", true, ""},
      {"the distribution", "C:\\Program Files\\Pelmora", "C:\\dist\\setup.exe", false, "not started from the product folder"},
      {"a folder whose name begins alike", "C:\\Program Files\\Pel", "C:\\Program Files\\Pelmora\\UninstPL.exe", false, "not started"},
      {"nothing installed", nullptr, "C:\\Program Files\\Pelmora\\UninstPL.exe", false, "no product folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    World w;
    w.m.files.MakeDirectories("C:\\dist");
    w.m.files.MakeDirectories("C:\\Program Files\\Pel");
    w.m.files.WriteWholeFile("C:\\dist\\setup.exe", "setup");
    w.m.files.WriteWholeFile("C:\\Program Files\\Pelmora\\setup.exe", "setup");
    if (c.appDir) w.m.registry.Put(ProductKey, RegAppDir, {RegType::String, c.appDir});
    else w.m.registry.DeleteKey(ProductKey);
    CopyDecision d = w.Prepare(c.exe);
    ASSERT_EQ(d.copy.has_value(), c.copied) << d.inPlaceReason;
    EXPECT_NE(d.inPlaceReason.find(c.reason), Text::npos) << d.inPlaceReason;
    if (!c.copied) {
      EXPECT_TRUE(w.Entries(kTemp).empty());
      continue;
    }
    // Under the temporary folder, with the original's name: setup.exe -u stays the uninstaller.
    EXPECT_EQ(d.copy->exe, Text(kTemp) + "\\PelmoraUninstall-1\\" + ExtractFileName(c.exe));
    Text bytes;
    ASSERT_TRUE(w.m.files.ReadWholeFile(d.copy->exe, &bytes));
    EXPECT_EQ(bytes, ExtractFileName(c.exe) == "setup.exe" ? "setup" : "UninstPL.exe");
  }
}

TEST(TempCopy, GoesUnderTheTemporaryFolderOnlyAndRunsInPlaceWhenItCannot) {
  World w;
  // A hostile AppDir naming the Windows folder, the uninstaller planted there.
  w.m.registry.Put(ProductKey, RegAppDir, {RegType::String, "C:\\Windows"});
  w.m.files.WriteWholeFile("C:\\Windows\\UninstPL.exe", "u");
  std::vector<DirEntry> windows = w.Entries("C:\\Windows");
  CopyDecision d = w.Prepare("C:\\Windows\\UninstPL.exe");
  ASSERT_TRUE(d.copy);
  EXPECT_EQ(d.copy->folder, Text(kTemp) + "\\PelmoraUninstall-1\\");
  EXPECT_EQ(w.Entries("C:\\Windows"), windows);

  // A temporary folder that is missing, or a file: nothing made anywhere.
  for (bool file : {false, true}) {
    World t;
    t.host.temp = "C:\\NoTemp";
    if (file) t.m.files.WriteWholeFile("C:\\NoTemp", "");
    CopyDecision in = t.Prepare(kOriginal);
    EXPECT_FALSE(in.copy);
    EXPECT_NE(in.inPlaceReason.find("the temporary folder C:\\NoTemp\\ cannot be written (error 3)"),
              Text::npos) << in.inPlaceReason;
    EXPECT_EQ(t.Entries(kApp).size(), 4u);
  }
}

TEST(TempCopy, CleansStaleCopiesButNothingRunningLinkedOrForeign) {
  World w;
  Text t = Text(kTemp) + "\\";
  auto copyIn = [&](std::string_view name, std::string_view file) {
    w.m.files.MakeDirectories(t + Text(name));
    w.m.files.WriteWholeFile(t + Text(name) + "\\" + Text(file), "x");
  };
  copyIn("PelmoraUninstall-1", "UninstPL.exe");   // stale: goes
  copyIn("PelmoraUninstall-2", "UninstPL.exe");   // still running: stays
  w.m.files.SetAttributes(t + "PelmoraUninstall-2\\UninstPL.exe", kAttrReadOnly);
  copyIn("PelmoraUninstall-4", "notes.txt");      // not ours: stays
  copyIn("PelmoraUninstall-x", "UninstPL.exe");   // not our name: stays
  w.m.files.MakeDirectories("C:\\Data");
  w.m.files.WriteWholeFile("C:\\Data\\keep.exe", "k");
  w.m.files.MakeLink(t + "PelmoraUninstall-3", "C:\\Data", true);

  CopyDecision d = w.Prepare(kOriginal);
  ASSERT_TRUE(d.copy);
  // The freed number is taken again; the running copy's is not.
  EXPECT_EQ(d.copy->folder, t + "PelmoraUninstall-1\\");
  EXPECT_TRUE(w.m.files.FileExists(t + "PelmoraUninstall-2\\UninstPL.exe"));
  EXPECT_TRUE(w.m.files.FileExists(t + "PelmoraUninstall-4\\notes.txt"));
  EXPECT_TRUE(w.m.files.FileExists(t + "PelmoraUninstall-x\\UninstPL.exe"));
  EXPECT_TRUE(w.m.files.FileExists("C:\\Data\\keep.exe"));
  EXPECT_EQ(RemoveStaleCopies(w.m.files, kTemp), 1);  // the new copy itself, no longer running
}

struct CopyRun {
  World w;
  SilentUi silent;
  Text logText;
  ActionLog log{std::make_unique<TextLogSink>(&logText), [] { return Text("T"); }};
  LoggingUi ui{silent, log};
  CopyMarker marker{7, 9, Text(kOriginal)};
  std::function<void()> beforeFinish;  // what happens while the copy waits for its original

  // The copy's whole run: the removal through the watch, then its end.
  int Run(std::string_view original) {
    // The original waits for the copy: its file refuses deletion meanwhile.
    w.m.files.SetAttributes(kOriginal, kAttrReadOnly);
    OriginalWatch watch(w.m.platform(), w.host, Text(original));
    int code = RunUnattendedRemoval(false, watch.platform(), ui, log);
    if (beforeFinish) beforeFinish();
    FinishTempCopy(w.m.files, w.host, marker, watch.originalWanted(), watch.originalIdentity(),
                   Text(kTemp) + "\\PelmoraUninstall-1\\UninstPL.exe", code, log);
    return code;
  }
};

TEST(TempCopy, TheOriginalGoesOnceItHasEndedAndOnlyWhenTheRemovalWantedIt) {
  struct Case {
    const char* name;
    const char* original;  // as the marker spells it; nullptr: its short form
    bool marker;           // unpl.dsk keeps the product
    int heldUntil;
    int code;
    bool gone;
  };
  const Case cases[] = {
      {"removed", "C:\\Program Files\\Pelmora\\UninstPL.exe", false, 0, ExitDone, true},
      {"its short form", nullptr, false, 0, ExitDone, true},
      {"held a moment longer", "C:\\Program Files\\Pelmora\\UninstPL.exe", false, 300, ExitDone, true},
      {"held for good", "C:\\Program Files\\Pelmora\\UninstPL.exe", false, -1, ExitDone, false},
      {"the product kept", "C:\\Program Files\\Pelmora\\UninstPL.exe", true, 0, ExitNothingToRemove, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CopyRun r;
    r.w.host.heldUntil = c.heldUntil;
    if (c.marker) r.w.m.files.WriteWholeFile(Text(kApp) + "\\unpl.dsk", "");
    Text original = c.original ? Text(c.original) : ShortPathName(r.w.m.files, kOriginal);
    if (!c.original) {
      ASSERT_NE(original, Text(kOriginal));
    }
    EXPECT_EQ(r.Run(original), c.code) << r.logText;
    EXPECT_EQ(r.w.host.events, (std::vector<Text>{"report " + std::to_string(c.code), "wait"}));
    EXPECT_EQ(r.w.m.files.FileExists(kOriginal), !c.gone) << r.logText;
    // What the removal keeps is kept, whatever becomes of the original.
    EXPECT_TRUE(r.w.m.files.FileExists(Text(kApp) + "\\PL.dbc"));
    EXPECT_TRUE(r.w.m.files.DirectoryExists(Text(kApp) + "\\Mail"));
    if (c.heldUntil == -1) {
      EXPECT_EQ(r.w.host.slept, OriginalRetryMs);
      EXPECT_NE(r.logText.find("UninstPL.exe FAILED (error 5); it stays"), Text::npos) << r.logText;
    }
    EXPECT_EQ(r.w.host.atRestart,
              (std::vector<Text>{Text(kTemp) + "\\PelmoraUninstall-1\\UninstPL.exe",
                                 Text(kTemp) + "\\PelmoraUninstall-1"}));
  }
}

TEST(TempCopy, AFilePutAtTheOriginalsPathSinceItStartedIsNeverDeleted) {
  // A script runs the removal and then setup at once: by the time the copy
  // deletes its original, a new uninstaller may stand at that path.
  struct Case {
    const char* name;
    std::function<void(MemoryFileSystem&)> meanwhile;
    const char* atPath;     // the bytes at the original's path afterwards; nullptr: nothing
    const char* elsewhere;  // where the original went, when it was moved; its bytes stay
  };
  const Text aside = Text(kApp) + "\\old-uninstaller.exe";
  const Case cases[] = {
      {"deleted and put anew",
       [](MemoryFileSystem& f) {
         f.Delete(kOriginal);
         f.WriteWholeFile(kOriginal, "the new UninstPL.exe");
       },
       "the new UninstPL.exe", nullptr},
      {"moved aside, a new one in its place",
       [&](MemoryFileSystem& f) {
         f.Move(kOriginal, aside, false);
         f.WriteWholeFile(kOriginal, "the new UninstPL.exe");
       },
       "the new UninstPL.exe", "UninstPL.exe"},
      {"overwritten where it stands",
       [](MemoryFileSystem& f) { f.WriteWholeFile(kOriginal, "the new UninstPL.exe, longer"); },
       "the new UninstPL.exe, longer", nullptr},
      {"left as it was", [](MemoryFileSystem&) {}, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CopyRun r;
    r.w.host.onParentEnd = [&] { c.meanwhile(r.w.m.files); };
    EXPECT_EQ(r.Run(kOriginal), ExitDone) << r.logText;
    Text data;
    EXPECT_EQ(r.w.m.files.ReadWholeFile(kOriginal, &data), c.atPath != nullptr) << r.logText;
    if (c.atPath) {
      EXPECT_EQ(data, c.atPath);
      EXPECT_NE(r.logText.find("another file stands there since the removal began; it stays"),
                Text::npos)
          << r.logText;
    }
    if (c.elsewhere) {
      ASSERT_TRUE(r.w.m.files.ReadWholeFile(aside, &data));
      EXPECT_EQ(data, c.elsewhere);
    }
    // Only program files went: the database and the user's folder stay.
    EXPECT_TRUE(r.w.m.files.FileExists(Text(kApp) + "\\PL.dbc"));
    EXPECT_TRUE(r.w.m.files.DirectoryExists(Text(kApp) + "\\Mail"));
  }
}

TEST(TempCopy, MarkerAndArgumentsSurviveTheCommandLine) {
  struct Q {
    const char* arg;
    const char* quoted;
  };
  const Q quotes[] = {
      {"/S", "/S"},
      {"", "\"\""},
      {"C:\\a\\", "C:\\a\\"},  // backslashes stand for themselves before no quote
      {"/LOG=C:\\my logs\\", "\"/LOG=C:\\my logs\\\\\""},
      {"say \"hi\\\"", "\"say \\\"hi\\\\\\\"\""},
  };
  for (const Q& q : quotes) EXPECT_EQ(QuoteArgument(q.arg), q.quoted) << q.arg;
  EXPECT_EQ(CommandLine("C:\\T\\UninstPL.exe", {"/S", "a b"}), "C:\\T\\UninstPL.exe /S \"a b\"");

  CopyMarker m{0x1a4, 0x2b8, "C:\\Program Files\\Pelmora,x\\UninstPL.exe"};
  std::vector<Text> args = {"/S", "/LOG=x", CopyMarkerArgument(m)};
  EXPECT_EQ(TakeCopyMarker(args), m);
  EXPECT_EQ(args, (std::vector<Text>{"/S", "/LOG=x"}));
  // Anything else is left for the switches to judge.
  for (Text bad : {Text("/S"), Text(CopyMarkerPrefix) + "1,2,", Text(CopyMarkerPrefix) + "1,x,C:\\a",
                   Text(CopyMarkerPrefix) + "1"}) {
    std::vector<Text> one = {bad};
    EXPECT_FALSE(TakeCopyMarker(one)) << bad;
    EXPECT_EQ(one.size(), 1u);
  }
}

}  // namespace
}  // namespace pel
