// The copy step is all or nothing: a copy that fails or stops at any file never leaves a file cut short or a mix.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "app/constants.h"
#include "sys/file_replacement.h"
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
  bool WriteFileDurably(std::string_view p, std::string_view d) override {
    return Change("record", p) && in_.WriteFileDurably(p, d);
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

const Text kWork = Text(kDest) + Text(FileReplacement::WorkFolder) + "\\";
const Text kRecord = kWork + Text(FileReplacement::RecordName);

// Every file's bytes in the product folder and its work folder, sorted: an
// earlier file set aside is still one of them.
std::vector<Text> AllBytes(MemoryFileSystem& fs) {
  std::vector<Text> all;
  for (const Text& where : {Text(kDest), kWork}) {
    std::vector<DirEntry> entries;
    fs.List(where + "*.*", kAttrAll, &entries);
    for (const DirEntry& e : entries) {
      Text data;
      if (!(e.attributes & kAttrDirectory) && fs.ReadWholeFile(where + e.name, &data)) all.push_back(data);
    }
  }
  std::sort(all.begin(), all.end());
  return all;
}

bool HoldsEveryEarlierFile(MemoryFileSystem& fs) {
  std::vector<Text> all = AllBytes(fs);
  for (const char* name : {"UninstPL.exe", "PL.exe", "License.txt", "PL.ini", "PL.dbc", "Old.txt"})
    if (!std::binary_search(all.begin(), all.end(), Text("old bytes of ") + name)) return false;
  return true;
}

// How the run after a killed one ends.
enum class Rerun { Succeeds, FailsOnLastFile, Cancelled };

// The last file the copy takes from the distribution, as a reinstall lists it.
Text LastSource() {
  Machine probe(true);
  Text last;
  probe.faults.fail = [&](const Text& op, std::string_view path, std::string_view) {
    if (op == "copy") last = AnsiLowerCase(ExtractFileName(path));
    return false;
  };
  EXPECT_TRUE(CopyProgramFiles(probe.c, probe.s));
  return last;
}

void FailLastFile(Machine& m, const Text& last, Rerun how) {
  m.faults.fail = [last](const Text& op, std::string_view path, std::string_view) {
    return op == "copy" && AnsiLowerCase(ExtractFileName(path)) == last;
  };
  if (how == Rerun::Cancelled) {
    m.s.askRetry = true;
    m.ui.Answer(MsgAnswer::Cancel);
  }
}

TEST(CopyAllOrNothing, AKillBeforeAnyChangeIsPutRightByTheNextRunWhateverItsEnd) {
  Machine probe(true);
  const Tree earlier = probe.Dest();
  // An earlier file leaves its place only once the record names where it goes.
  int setAside = 0, commitAt = -1;
  probe.faults.fail = [&](const Text& op, std::string_view to, std::string_view from) {
    if (op == "delete" && AnsiSameText(to, kRecord)) commitAt = probe.faults.changes - 1;
    if (op == "move" && AnsiSameText(FolderPart(from), kDest) && AnsiSameText(FolderPart(to), kWork)) {
      ++setAside;
      Text record;
      EXPECT_TRUE(probe.mem.files.ReadWholeFile(kRecord, &record)) << from;
      EXPECT_NE(record.find("|" + ExtractFileName(to) + "|" + ExtractFileName(from) + "\r\n"),
                Text::npos)
          << record;
    }
    return false;
  };
  ASSERT_TRUE(CopyProgramFiles(probe.c, probe.s));
  EXPECT_EQ(setAside, 4);
  ASSERT_GT(commitAt, 0);
  const Tree whole = probe.Dest();
  const int total = probe.faults.changes;
  const Text last = LastSource();
  ASSERT_GT(total, 12);
  for (int stop = 0; stop <= total; ++stop) {
    for (Rerun how : {Rerun::Succeeds, Rerun::FailsOnLastFile, Rerun::Cancelled}) {
      SCOPED_TRACE("killed before change " + std::to_string(stop) + ", rerun " +
                   std::to_string(static_cast<int>(how)));
      Machine m(true);
      m.faults.stopAt = stop;
      CopyProgramFiles(m.c, m.s);
      // Until the record goes, the earlier installation is the installation.
      const bool committed = stop > commitAt;
      ASSERT_TRUE(HoldsEveryEarlierFile(m.mem.files) || committed);
      m.faults.stopAt = -1;
      m.ui = ScriptedUi();
      if (how != Rerun::Succeeds) FailLastFile(m, last, how);
      EXPECT_EQ(CopyProgramFiles(m.c, m.s), how == Rerun::Succeeds);
      // The earlier installation whole, byte for byte and bit for bit, or the new one.
      EXPECT_EQ(m.Dest(), how == Rerun::Succeeds || committed ? whole : earlier);
      if (how != Rerun::Succeeds) {
        ASSERT_FALSE(m.ui.Boxes().empty());
        EXPECT_EQ(m.ui.Boxes().back().caption, "Copy Failed");
      }
    }
  }
}

TEST(CopyAllOrNothing, AnEarlierFileThatCannotGoBackStaysRecordedUntilARunCanPutItBack) {
  const Text last = LastSource();
  Machine probe(true);
  const Tree earlier = probe.Dest();
  int commitAt = -1;
  probe.faults.fail = [&](const Text& op, std::string_view to, std::string_view) {
    if (op == "delete" && AnsiSameText(to, kRecord)) commitAt = probe.faults.changes - 1;
    return false;
  };
  ASSERT_TRUE(CopyProgramFiles(probe.c, probe.s));
  const Tree whole = probe.Dest();
  const int total = probe.faults.changes;
  // Each earlier file in turn is held at its place (a scanner on the new
  // file) whenever it is to go back: in the run's own roll-back, and in the
  // next run after a kill at any change.
  for (const char* held : {"UninstPL.exe", "PL.exe", "License.txt", "PL.ini"}) {
    for (int stop = -1; stop <= total; ++stop) {
      SCOPED_TRACE(Text(held) + (stop < 0 ? ", the run fails on its last file"
                                          : ", killed before change " + std::to_string(stop)));
      Machine m(true);
      if (stop >= 0) {
        m.faults.stopAt = stop;
        CopyProgramFiles(m.c, m.s);
        m.faults.stopAt = -1;
      }
      FailLastFile(m, last, Rerun::FailsOnLastFile);
      auto lastFails = m.faults.fail;
      bool refused = false;
      m.faults.fail = [&](const Text& op, std::string_view to, std::string_view from) {
        if (op == "move" && AnsiSameText(FolderPart(from), kWork) && AnsiSameText(ExtractFileName(to), held)) {
          refused = true;
          return true;
        }
        return lastFails(op, to, from);
      };
      m.sleeps = 0;
      m.ui = ScriptedUi();
      EXPECT_FALSE(CopyProgramFiles(m.c, m.s));
      // Nothing is lost, and what could not go back is named and recorded.
      const bool committed = stop > commitAt;
      EXPECT_TRUE(HoldsEveryEarlierFile(m.mem.files) || committed);
      if (refused) {
        Text record;
        ASSERT_TRUE(m.mem.files.ReadWholeFile(kRecord, &record));
        EXPECT_NE(record.find("|" + Text(held) + "\r\n"), Text::npos) << record;
        ASSERT_FALSE(m.ui.Boxes().empty());
        EXPECT_EQ(m.ui.Boxes().back().caption, "Copy Failed");
        EXPECT_NE(m.ui.Boxes().back().text.find("File: " + Text(kDest) + held), Text::npos)
            << m.ui.Boxes().back().text;
        EXPECT_GE(m.sleeps, FileReplacement::RestoreTries - 1);
      }
      // The next clean run puts everything back, then goes its own way.
      for (Rerun how : {Rerun::FailsOnLastFile, Rerun::Succeeds}) {
        m.faults.fail = nullptr;
        m.ui = ScriptedUi();
        if (how == Rerun::FailsOnLastFile) FailLastFile(m, last, how);
        EXPECT_EQ(CopyProgramFiles(m.c, m.s), how == Rerun::Succeeds);
        EXPECT_EQ(m.Dest(), how == Rerun::Succeeds || committed ? whole : earlier);
      }
    }
  }
}

TEST(CopyAllOrNothing, ARecordThatCannotBeTrustedIsNeverApplied) {
  struct Case {
    const char* what;
    const char* record;  // %s: the product folder
  };
  const Case cases[] = {
      {"cut short", "Pelmora set-aside record 1\r\nfolder=%s\r\nset|~PLset1.tmp|PL.exe\r\n"},
      {"not a record", "MZ\x90\x00 something else entirely"},
      {"a damaged line", "Pelmora set-aside record 1\r\nfolder=%s\r\nset ~PLset1.tmp PL.exe\r\nend\r\n"},
      {"a target outside the folder",
       "Pelmora set-aside record 1\r\nfolder=%s\r\nset|~PLset1.tmp|..\\..\\Windows\\win.ini\r\nend\r\n"},
      {"an added file outside the folder",
       "Pelmora set-aside record 1\r\nfolder=%s\r\nnew|C:\\Windows\\win.ini\r\nend\r\n"},
      {"a set-aside file outside its folder",
       "Pelmora set-aside record 1\r\nfolder=%s\r\nset|..\\..\\..\\Windows\\win.ini|PL.exe\r\nend\r\n"},
      {"a set-aside file it did not make",
       "Pelmora set-aside record 1\r\nfolder=%s\r\nset|notes.txt|PL.exe\r\nend\r\n"},
      {"another product folder",
       "Pelmora set-aside record 1\r\nfolder=C:\\Other\\\r\nset|~PLset1.tmp|PL.exe\r\nend\r\n"},
      {"a folder that is gone",
       "Pelmora set-aside record 1\r\nfolder=C:\\Gone\\\r\nset|~PLset1.tmp|PL.exe\r\nend\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Machine m(true);
    m.mem.files.MakeDirectories("C:\\Other");
    m.mem.files.WriteWholeFile("C:\\Windows\\win.ini", "the system's own");
    m.mem.files.MakeDirectories(kWork);
    m.mem.files.WriteWholeFile(kWork + "~PLset1.tmp", "set aside");
    m.mem.files.WriteWholeFile(kWork + "notes.txt", "a note");
    Text record = c.record;
    size_t at = record.find("%s");
    if (at != Text::npos) record.replace(at, 2, kDest);
    m.mem.files.WriteWholeFile(kRecord, record);
    const Tree before = m.Dest();
    const std::vector<Text> bytes = AllBytes(m.mem.files);
    EXPECT_FALSE(CopyProgramFiles(m.c, m.s));
    ASSERT_EQ(m.ui.Boxes().size(), 1u);
    EXPECT_EQ(m.ui.Boxes()[0].caption, "Copy Failed");
    EXPECT_NE(m.ui.Boxes()[0].text.find("cannot be used"), Text::npos);
    EXPECT_NE(m.ui.Boxes()[0].text.find("File: " + kRecord), Text::npos) << m.ui.Boxes()[0].text;
    // Not one byte moved, inside the folder or out; the record stays.
    EXPECT_EQ(m.Dest(), before);
    EXPECT_EQ(AllBytes(m.mem.files), bytes);
    Text data;
    EXPECT_TRUE(m.mem.files.ReadWholeFile(kRecord, &data));
    EXPECT_EQ(data, record);
    m.mem.files.ReadWholeFile("C:\\Windows\\win.ini", &data);
    EXPECT_EQ(data, "the system's own");
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
