// Reading an earlier installation into the wizard, and the show event over it.
#include <gtest/gtest.h>

#include "app/constants.h"
#include "setup/fake_setup_hooks.h"
#include "setup/fake_setup_view.h"
#include "setup/foreign_files.h"
#include "setup/memory_store_access.h"
#include "setup/previous_install.h"
#include "sys/memory/memory_platform.h"

namespace pel {
namespace {

using C = SetupControl;

struct Previous : ::testing::Test {
  MemoryPlatform mem;
  MemoryStoreAccess store{mem.files};
  FakeSetupView view;
  FakeSetupHooks hooks;  // outlives the form
  std::unique_ptr<TSetupForm> form;

  void Make() {
    FakeSetupHooks& h = hooks;
    h.readPrevious = [this] {
      ReadPreviousInstall(*form, mem.registry);
      ReadPreviousAddress(*form, mem.files, store);
    };
    h.runInstall = [] { return true; };
    h.foreignFile = [this](const Text& f) { return FindForeignFile(mem.files, mem.registry, f, "C:\\Dist"); };
    form = std::make_unique<TSetupForm>(view, h);
    view.onChange = [this](C c) { c == C::EAddr ? form->EAddrChange() : form->HostChange(); };
    form->Construct("C:\\Dist");
    FormShow(*form, mem.files);
  }
  void Database(const Text& folder, std::vector<Text> lines) {
    mem.files.MakeDirectories(folder);
    StringList l;
    for (const Text& t : lines) l.Add(t);
    ASSERT_EQ(store.WriteSection(DefaultMessageKey, &l, folder + "\\PL.dbc"), 0);
  }
};

TEST_F(Previous, NothingEarlierOpensOnStartWithDefaults) {
  Make();
  EXPECT_FALSE(form->EarlierInstall());
  EXPECT_EQ(view.page, StartPage);
  EXPECT_EQ(view.GetText(C::AppDIR), "C:\\Program Files\\Pelmora");
  EXPECT_TRUE(view.IsChecked(C::GroupBox));
  EXPECT_EQ(view.GetText(C::EAddr), "");
}

TEST_F(Previous, DatabaseWithoutRegistryFillsAddressButStaysOnStart) {
  Database("C:\\Program Files\\Pelmora", {"Host: smtp.example.org", "From: Jane <j@example.org>", "", "body"});
  Make();
  EXPECT_EQ(view.page, StartPage);
  EXPECT_EQ(view.GetText(C::EAddr), "Jane <j@example.org>");
  EXPECT_EQ(view.GetText(C::Host), "smtp.example.org");
}

// A database the user can only half read must not trap the wizard on Start:
// the empty fields are filled on Address, where Next waits for them. No lines:
// the database holds another record but no default message.
struct HalfRead : Previous, ::testing::WithParamInterface<std::vector<Text>> {};

TEST_P(HalfRead, StartKeepsNextAndAddressWaitsForBothFields) {
  if (GetParam().empty()) {
    mem.files.MakeDirectories("C:\\Program Files\\Pelmora");
    StringList other;
    other.Add("x");
    ASSERT_EQ(store.WriteSection("notes", &other, "C:\\Program Files\\Pelmora\\PL.dbc"), 0);
  } else {
    Database("C:\\Program Files\\Pelmora", GetParam());
  }
  Make();
  EXPECT_EQ(view.page, StartPage);
  EXPECT_TRUE(view.IsEnabled(C::NextBtn));
  EXPECT_FALSE(view.IsEnabled(C::BackBtn));
  form->NextBtnClick();
  EXPECT_EQ(view.page, AddressPage);
  EXPECT_FALSE(view.IsEnabled(C::NextBtn));
  view.SetText(C::EAddr, "me@example.org");
  view.SetText(C::Host, "smtp.example.org");
  EXPECT_TRUE(view.IsEnabled(C::NextBtn));
}

INSTANTIATE_TEST_SUITE_P(Previous, HalfRead,
                         ::testing::Values(std::vector<Text>{}, std::vector<Text>{"From: "},
                                           std::vector<Text>{"From: a@example.org", ""},
                                           std::vector<Text>{"Host: smtp.example.org"}));

TEST_F(Previous, EarlierInstallOpensOnReviewWithStoredChoices) {
  mem.registry.Put(ProductKey, "AppDir", {RegType::String, "D:\\Mail\\Pelmora"});
  mem.files.AddDrive('D');
  Database("D:\\Mail\\Pelmora", {"Fcc: outbox", "Host: mx.example.org", "From: a@example.org", "", "~~"});
  Make();
  EXPECT_TRUE(form->EarlierInstall());
  EXPECT_EQ(view.page, ReviewPage);
  EXPECT_FALSE(view.IsChecked(C::GroupBox));  // no "Program Group" value
  EXPECT_TRUE(view.IsEnabled(C::BackBtn));
  EXPECT_EQ(view.Lines(C::RichEdit3),
            (std::vector<Text>{"Folder = D:\\Mail\\Pelmora", "Address = a@example.org",
                               "MailHost = mx.example.org", "ProgramGroup = no"}));
}

// What a power loss can leave of a database's first sector: the address is
// not read from it, and neither the read nor the templates' write (refused
// with 2) changes a byte of it.
TEST_F(Previous, ADamagedDatabaseGivesNoAddressAndIsNeverWritten) {
  mem.registry.Put(ProductKey, "AppDir", {RegType::String, "D:\\Mail\\Pelmora"});
  mem.files.AddDrive('D');
  const Text db = "D:\\Mail\\Pelmora\\PL.dbc";
  Database("D:\\Mail\\Pelmora", {"Host: mx.example.org", "From: a@example.org", "", "~~"});
  Text bytes;
  ASSERT_TRUE(mem.files.ReadWholeFile(db, &bytes));
  std::fill_n(bytes.begin(), 46, '\0');
  mem.files.WriteWholeFile(db, bytes);
  Make();
  EXPECT_EQ(view.GetText(C::EAddr), "");
  EXPECT_EQ(view.GetText(C::Host), "");
  StringList message;
  message.Add("From: b@example.org");
  EXPECT_EQ(store.WriteSection(DefaultMessageKey, &message, db), 2);
  Text after;
  mem.files.ReadWholeFile(db, &after);
  EXPECT_EQ(after, bytes);
}

TEST_F(Previous, EmptyAppDirKeepsDefaultButSetsFlag) {
  mem.registry.Put(ProductKey, "AppDir", {RegType::String, ""});
  mem.registry.Put(ProductKey, "Program Group", {RegType::String, "Pelmora"});
  Make();
  EXPECT_TRUE(form->EarlierInstall());
  EXPECT_EQ(view.GetText(C::AppDIR), "C:\\Program Files\\Pelmora");
  EXPECT_TRUE(view.IsChecked(C::GroupBox));
  EXPECT_EQ(view.page, ReviewPage);  // pressed on although the address is empty
  EXPECT_EQ(view.Lines(C::RichEdit3)[1], "Address = ");
}

TEST_F(Previous, MissingAppDirValueKeepsDefaultButSetsFlag) {
  mem.registry.Put(ProductKey, "Version", {RegType::String, ".9b2"});
  Make();
  EXPECT_TRUE(form->EarlierInstall());
  EXPECT_EQ(view.GetText(C::AppDIR), "C:\\Program Files\\Pelmora");
  EXPECT_FALSE(view.IsChecked(C::GroupBox));  // no "Program Group" either
  EXPECT_EQ(view.Lines(C::RichEdit3)[0], "Folder = C:\\Program Files\\Pelmora");
}

TEST_F(Previous, EncryptedOnlyShowsTheNotice) {
  mem.registry.Put(ProductKey, "AppDir", {RegType::String, "C:\\Program Files\\Pelmora"});
  mem.files.MakeDirectories("C:\\Program Files\\Pelmora");
  mem.files.WriteWholeFile("C:\\Program Files\\Pelmora\\PL.pgp", "sealed");
  Make();
  EXPECT_EQ(view.page, ReviewPage);
  EXPECT_EQ(view.Lines(C::RichEdit3), std::vector<Text>{Text(EncryptedDatabaseNotice)});
  EXPECT_EQ(view.TextColor(C::RichEdit4), 0x808080u);
  EXPECT_FALSE(view.IsEnabled(C::BackBtn));
  EXPECT_EQ(view.GetText(C::EAddr), "");
}

TEST_F(Previous, PlainDatabaseWinsOverEncrypted) {
  mem.registry.Put(ProductKey, "AppDir", {RegType::String, "C:\\Program Files\\Pelmora"});
  Database("C:\\Program Files\\Pelmora", {"From: x@example.org", "Host: h"});
  mem.files.WriteWholeFile("C:\\Program Files\\Pelmora\\PL.pgp", "sealed");
  Make();
  EXPECT_TRUE(view.IsEnabled(C::BackBtn));
  EXPECT_EQ(view.Lines(C::RichEdit3)[1], "Address = x@example.org");
}

TEST_F(Previous, ContinuedFromHeaderKeepsItsLineBreaks) {
  Database("C:\\Program Files\\Pelmora", {"From: Jane", "  <j@example.org>", "Host: h", ""});
  Make();
  EXPECT_EQ(view.GetText(C::EAddr), "Jane\r\n  <j@example.org>");
}

// An earlier installation that recorded no folder leaves the default one,
// which may be the user's: declined, the wizard stays on Start and asks once.
TEST_F(Previous, DeclinedFolderOnTheWayToReviewStaysOnStart) {
  mem.registry.Put(ProductKey, "AppDir", {RegType::String, ""});
  mem.registry.Put(ProductKey, "Program Group", {RegType::String, "Pelmora"});
  mem.files.MakeDirectories("C:\\Program Files\\Pelmora");
  mem.files.WriteWholeFile("C:\\Program Files\\Pelmora\\notes.txt", "mine");
  view.ui.Answer(MsgAnswer::No);
  Make();
  EXPECT_EQ(view.ui.Boxes().size(), 1u);
  EXPECT_EQ(view.page, StartPage);
  EXPECT_EQ(view.focused, C::AppDIR);
}

TEST_F(Previous, NonTextValueEndsConstructionWithTheRegistrysText) {
  for (const char* name : {"AppDir", "Program Group"}) {
    SCOPED_TRACE(name);
    mem.registry.Put(ProductKey, "AppDir", {RegType::String, "C:\\Mail\\PL"});
    mem.registry.Put(ProductKey, "Program Group", {RegType::String, "Pelmora"});
    mem.registry.Put(ProductKey, name, {RegType::Integer, "", 7});
    FakeSetupHooks& h = hooks;
    int read = 0;
    h.readPrevious = [this, &read] {
      if (ReadPreviousInstall(*form, mem.registry)) ReadPreviousAddress(*form, mem.files, store);
      ++read;
    };
    form = std::make_unique<TSetupForm>(view, h);
    EXPECT_FALSE(form->Construct("C:\\Dist"));
    EXPECT_EQ(read, 1);
    EXPECT_EQ(form->TakeFailure(), "Invalid data type for '" + Text(name) + "'");
    EXPECT_TRUE(form->Failure().empty());
    EXPECT_FALSE(form->EarlierInstall());
    // Nothing was written over the value that could not be read.
    EXPECT_EQ(mem.registry.Get(ProductKey, name)->type, RegType::Integer);
  }
}

TEST_F(Previous, ADatabaseHeldElsewhereEndsConstructionAndKeepsItsBytes) {
  mem.registry.Put(ProductKey, "AppDir", {RegType::String, "C:\\Mail\\PL"});
  Database("C:\\Mail\\PL", {"Host: smtp.example.org", "From: j@example.org"});
  Text before;
  ASSERT_TRUE(mem.files.ReadWholeFile("C:\\Mail\\PL\\PL.dbc", &before));
  store.locked.insert("C:\\Mail\\PL\\PL.dbc");
  FakeSetupHooks& h = hooks;
  h.readPrevious = [this] {
    if (ReadPreviousInstall(*form, mem.registry)) ReadPreviousAddress(*form, mem.files, store);
  };
  form = std::make_unique<TSetupForm>(view, h);
  EXPECT_FALSE(form->Construct("C:\\Dist"));
  EXPECT_EQ(form->Failure(), "Cannot open file C:\\Mail\\PL\\PL.dbc");
  EXPECT_EQ(view.GetText(C::EAddr), "");
  Text after;
  ASSERT_TRUE(mem.files.ReadWholeFile("C:\\Mail\\PL\\PL.dbc", &after));
  EXPECT_EQ(after, before);
}

TEST_F(Previous, AFailingVersionReadStopsConstructionBeforeAnythingIsRead) {
  mem.registry.Put(ProductKey, "AppDir", {RegType::String, "C:\\Mail\\PL"});
  FakeSetupHooks& h = hooks;
  int read = 0;
  h.readVersion = [this] {
    form->Fail("Cannot open file C:\\Dist\\PL.ini");
    return Text();
  };
  h.readPrevious = [&read] { ++read; };
  form = std::make_unique<TSetupForm>(view, h);
  EXPECT_FALSE(form->Construct("C:\\Dist"));
  EXPECT_EQ(read, 0);
  EXPECT_EQ(form->Failure(), "Cannot open file C:\\Dist\\PL.ini");
  // A second failure does not hide the first.
  form->Fail("later");
  EXPECT_EQ(form->Failure(), "Cannot open file C:\\Dist\\PL.ini");
}

}  // namespace
}  // namespace pel
