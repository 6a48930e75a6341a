// The copy step is all or nothing: a copy that fails or stops at any file never leaves a file cut short or a mix.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "app/constants.h"
#include "setup/file_replacement.h"
#include "setup/install_steps.h"
#include "setup/memory_store_access.h"
#include "sys/file_system_wrapper.h"
#include "sys/memory/memory_platform.h"
#include "sys/memory/scripted_ui.h"

namespace pel {
namespace {

constexpr const char* kDest = "C:\\Program Files\\Pelmora\\";

// The file seam with a fault: each change is numbered; fail(n, path) makes
// one fail (error 5), and from stopAt on the process is gone. A copy that
// fails, or the one the process dies in, leaves half its bytes at its target,
// as one cut short by a full disk does; after stopAt nothing happens.
class FaultFiles final : public FileSystemWrapper {
 public:
  explicit FaultFiles(MemoryFileSystem& in) : FileSystemWrapper(in), in_(in) {}
  // path: the source of a copy, the target of a move; from: a move's source.
  std::function<bool(const Text& op, std::string_view path, std::string_view from)> fail;
  int stopAt = -1;
  int changes = 0;

  bool SetAttributes(std::string_view p, uint32_t a) override {
    return Change("attributes", p) && in_.SetAttributes(p, a);
  }
  bool MakeDirectory(std::string_view p) override { return Change("mkdir", p) && in_.MakeDirectory(p); }
  bool RemoveEmptyDirectory(std::string_view p) override {
    return Change("rmdir", p) && in_.RemoveEmptyDirectory(p);
  }
  bool Copy(std::string_view from, std::string_view to, bool fail_if_exists) override {
    const bool gone = stopAt >= 0 && changes > stopAt;
    if (Change("copy", from)) return in_.Copy(from, to, fail_if_exists);
    if (!gone && !(fail_if_exists && in_.Attributes(to) != kNoAttributes)) {
      Text data;
      in_.ReadWholeFile(from, &data);
      in_.WriteWholeFile(to, data.substr(0, data.size() / 2));
    }
    return false;
  }
  bool Delete(std::string_view p) override { return Change("delete", p) && in_.Delete(p); }
  bool Move(std::string_view from, std::string_view to, bool replace) override {
    return Change("move", to, from) && in_.Move(from, to, replace);
  }
  bool WriteWholeFile(std::string_view p, std::string_view d) override {
    return Change("write", p) && in_.WriteWholeFile(p, d);
  }
  uint32_t LastError() const override { return own_error_ ? own_error_ : in_.LastError(); }

 private:
  bool Change(const Text& op, std::string_view path, std::string_view from = {}) {
    own_error_ = 0;
    int n = changes++;
    if ((stopAt >= 0 && n >= stopAt) || (fail && fail(op, path, from))) {
      own_error_ = kErrorAccessDenied;
      return false;
    }
    return true;
  }
  MemoryFileSystem& in_;
  uint32_t own_error_ = 0;
};

using Tree = std::map<Text, Text>;  // lower-cased name: bytes ("<folder>" for a folder)

struct Machine {
  MemoryPlatform mem;
  FaultFiles faults{mem.files};
  Platform platform{faults, mem.registry, mem.shell, mem.dde, mem.processes};
  MemoryStoreAccess store{mem.files};
  ScriptedUi ui;
  int sleeps = 0;
  InstallServices s{platform, store, ui, "C:\\Dist\\setup.dbc", nullptr, nullptr, nullptr,
                    [this](int) { ++sleeps; }};
  InstallContext c;

  explicit Machine(bool earlier) {
    mem.files.MakeDirectories("C:\\Dist");
    for (const char* name : {"setup.exe", "PL.exe", "License.txt", "New.dll"})
      mem.files.WriteWholeFile(Text("C:\\Dist\\") + name, Text("new bytes of ") + name);
    mem.files.WriteWholeFile("C:\\Dist\\PL.ini", "new template");
    if (earlier) {
      mem.files.MakeDirectories(kDest);
      for (const char* name : {"UninstPL.exe", "PL.exe", "License.txt", "PL.ini", "PL.dbc", "Old.txt"})
        mem.files.WriteWholeFile(Text(kDest) + name, Text("old bytes of ") + name);
      mem.files.SetAttributes(Text(kDest) + "License.txt", kAttrHidden);
    }
    c.appDir = "C:\\Program Files\\Pelmora";
    c.sourceFolder = "C:\\Dist\\";
  }
  Tree Dest() {
    Tree t;
    std::vector<DirEntry> entries;
    mem.files.List(Text(kDest) + "*.*", kAttrAll, &entries);
    for (const DirEntry& e : entries) {
      Text data = "<folder>";
      if (!(e.attributes & kAttrDirectory)) mem.files.ReadWholeFile(Text(kDest) + e.name, &data);
      t[AnsiLowerCase(e.name)] = data + "|" + std::to_string(e.attributes);
    }
    return t;
  }
};

bool IsTemp(const Text& name) { return name.starts_with(AnsiLowerCase(FileReplacement::TempPrefix)); }

TEST(CopyAllOrNothing, AFileThatCannotBeCopiedOrPutInPlaceLeavesTheEarlierFolderAsItWas) {
  for (bool earlier : {true, false}) {
    for (const char* op : {"copy", "move"}) {
      for (const char* file : {"setup.exe", "PL.exe", "License.txt", "New.dll", "PL.ini"}) {
        SCOPED_TRACE(std::string(earlier ? "over an earlier installation" : "first installation") +
                     ", " + op + " fails at " + file);
        Machine m(earlier);
        m.mem.files.MakeDirectories(kDest);
        const Tree before = m.Dest();
        Text name = Text(file) == "setup.exe" ? "UninstPL.exe" : file;
        // A copy is known by its source, a move by the name it goes to.
        const Text hit = AnsiLowerCase(Text(op) == "copy" ? Text(file) : name);
        // Only the new file's move is refused: what stands in the way (a
        // folder of that name, a program holding it) lets the old one back.
        m.faults.fail = [&](const Text& o, std::string_view path, std::string_view from) {
          Text moving;
          if (o == "move") m.mem.files.ReadWholeFile(from, &moving);
          return o == op && AnsiLowerCase(ExtractFileName(path)) == hit &&
                 (o == "copy" || !moving.starts_with("old"));
        };
        EXPECT_FALSE(CopyProgramFiles(m.c, m.s));
        EXPECT_EQ(m.Dest(), before);
        ASSERT_EQ(m.ui.Boxes().size(), 1u);
        EXPECT_EQ(m.ui.Boxes()[0].caption, "Copy Failed");
        EXPECT_NE(m.ui.Boxes()[0].text.find("File: C:\\Dist\\" + Text(file)), std::string::npos);
        EXPECT_EQ(m.sleeps, CopyQuietTries - 1);
      }
    }
  }
}

TEST(CopyAllOrNothing, AStopAtAnyChangeLeavesNoFileCutShortAndTheNextRunCleansUp) {
  Machine probe(true);
  ASSERT_TRUE(CopyProgramFiles(probe.c, probe.s));
  const int total = probe.faults.changes;
  ASSERT_GT(total, 8);
  for (int stop = 0; stop < total; ++stop) {
    SCOPED_TRACE("stopped at change " + std::to_string(stop));
    Machine m(true);
    m.faults.stopAt = stop;
    CopyProgramFiles(m.c, m.s);
    const std::map<Text, std::vector<Text>> whole = {
        {"uninstpl.exe", {"old bytes of UninstPL.exe", "new bytes of setup.exe"}},
        {"pl.exe", {"old bytes of PL.exe", "new bytes of PL.exe"}},
        {"license.txt", {"old bytes of License.txt", "new bytes of License.txt"}},
        {"new.dll", {"new bytes of New.dll"}},
        {"pl.ini", {"old bytes of PL.ini", "new template"}},
        {"pl.dbc", {"old bytes of PL.dbc"}},
        {"old.txt", {"old bytes of Old.txt"}}};
    const Tree after = m.Dest();
    int missing = 0;
    for (const auto& [name, bytes] : after) {
      if (IsTemp(name)) continue;
      Text data = bytes.substr(0, bytes.rfind('|'));
      ASSERT_TRUE(whole.count(name)) << name;
      const std::vector<Text>& ok = whole.at(name);
      EXPECT_NE(std::find(ok.begin(), ok.end(), data), ok.end()) << name << " holds " << data;
    }
    for (const char* name : {"uninstpl.exe", "pl.exe", "license.txt", "pl.ini", "pl.dbc"})
      missing += after.count(name) ? 0 : 1;
    EXPECT_LE(missing, 1);  // one file between its two moves, its old bytes under a temporary name

    m.faults.stopAt = -1;
    ASSERT_TRUE(CopyProgramFiles(m.c, m.s));
    for (const auto& [name, bytes] : m.Dest()) EXPECT_FALSE(IsTemp(name)) << name;
    EXPECT_EQ(m.Dest()["pl.exe"].substr(0, 19), "new bytes of PL.exe");
  }
}

TEST(CopyAllOrNothing, NamesLikeItsOwnThatAreNotItsOwnKeepTheirBytes) {
  // A user's file has the work folder's name, so temporary names go beside
  // the files; a read-only file holds the first of them. The copy goes on
  // under the next names, and a copy that fails clears only the name it had
  // taken itself.
  for (bool failing : {false, true}) {
    SCOPED_TRACE(failing ? "a copy fails" : "the copy goes through");
    Machine m(true);
    const Text work = AnsiLowerCase(FileReplacement::WorkFolder);
    m.mem.files.WriteWholeFile(Text(kDest) + work, "a file of the user's");
    m.mem.files.WriteWholeFile(Text(kDest) + "~PLset1.tmp", "someone else's");
    m.mem.files.SetAttributes(Text(kDest) + "~PLset1.tmp", kAttrReadOnly);
    if (failing) {
      m.faults.fail = [](const Text& op, std::string_view path, std::string_view) {
        return op == "copy" && AnsiLowerCase(ExtractFileName(path)) == "license.txt";
      };
    }
    const Tree before = m.Dest();
    EXPECT_EQ(CopyProgramFiles(m.c, m.s), !failing);
    const Tree after = m.Dest();
    ASSERT_TRUE(after.count(work) && after.count("~plset1.tmp"));
    EXPECT_EQ(after.at(work), before.at(work));
    EXPECT_EQ(after.at("~plset1.tmp"), before.at("~plset1.tmp"));
    if (failing) {
      EXPECT_EQ(after, before);
    } else {
      EXPECT_EQ(after.at("pl.exe").substr(0, 19), "new bytes of PL.exe");
      for (const auto& [name, bytes] : after)
        EXPECT_TRUE(!IsTemp(name) || name == work || name == "~plset1.tmp") << name;
    }
  }
}

TEST(CopyAllOrNothing, AHeldFileIsRetriedQuietlyThenAskedForByName) {
  struct Case {
    const char* what;
    bool release;  // the user closes what holds it while the box shows
    bool ok;
  };
  for (const Case& c : {Case{"closed, then Retry", true, true}, Case{"Cancel", false, false}}) {
    SCOPED_TRACE(c.what);
    Machine m(true);
    m.s.askRetry = true;
    const Tree before = m.Dest();
    const Text held = Text(kDest) + "PL.exe";
    ASSERT_TRUE(m.mem.processes.Hold(held));
    m.ui.onBox = [&](const ScriptedUi::Box& box) {
      if (box.buttons == MsgButtons::RetryCancel && c.release) m.mem.processes.Release(held);
    };
    m.ui.Answer(c.release ? MsgAnswer::Retry : MsgAnswer::Cancel);
    EXPECT_EQ(CopyProgramFiles(m.c, m.s), c.ok);
    ASSERT_GE(m.ui.Boxes().size(), 1u);
    EXPECT_EQ(m.ui.Boxes()[0].buttons, MsgButtons::RetryCancel);
    EXPECT_NE(m.ui.Boxes()[0].text.find("PL.exe"), std::string::npos);
    EXPECT_EQ(m.sleeps, CopyQuietTries - 1);
    if (c.ok) {
      EXPECT_EQ(m.ui.Boxes().size(), 1u);
      EXPECT_EQ(m.Dest()["pl.exe"].substr(0, 19), "new bytes of PL.exe");
    } else {
      ASSERT_EQ(m.ui.Boxes().size(), 2u);
      EXPECT_EQ(m.ui.Boxes()[1].caption, "Copy Failed");
      m.mem.processes.Release(held);
      EXPECT_EQ(m.Dest(), before);
    }
  }
}

}  // namespace
}  // namespace pel
