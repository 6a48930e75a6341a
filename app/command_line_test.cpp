// Unattended switches: what each mode accepts, and what makes a usage error.
#include "app/command_line.h"

#include <gtest/gtest.h>

namespace pel {
namespace {

constexpr std::string_view kSetup = "C:\\dist\\setup.exe";
constexpr std::string_view kUninst = "C:\\Program Files\\Pelmora\\UninstPL.exe";

TEST(Switches, UnattendedInstallReadsEveryValueWhateverTheCase) {
  Switches s = ParseSwitches(Mode::Setup, kSetup,
                             {"/s", "/Dir=C:\\Program Files\\Pelmora", "/forcedir", "/ADDRESS=Jane <j@x.org>",
                              "/server=smtp.x.org", "/NoGroup", "/log=C:\\setup.log"});
  ASSERT_TRUE(s.ok()) << s.error;
  EXPECT_TRUE(s.silent);
  EXPECT_EQ(s.dir, "C:\\Program Files\\Pelmora");
  EXPECT_TRUE(s.forceDir);
  EXPECT_EQ(s.address, "Jane <j@x.org>");
  EXPECT_EQ(s.server, "smtp.x.org");
  EXPECT_TRUE(s.noGroup);
  EXPECT_EQ(s.log, "C:\\setup.log");
  EXPECT_FALSE(s.mixmaster);
}

TEST(Switches, RemovalTakesItsSwitchesAfterTheModeArgument) {
  Switches viaSetup = ParseSwitches(Mode::Uninstall, kSetup, {"-U", "/S", "/MIXMASTER"});
  ASSERT_TRUE(viaSetup.ok()) << viaSetup.error;
  EXPECT_TRUE(viaSetup.silent && viaSetup.mixmaster);
  Switches installed = ParseSwitches(Mode::Uninstall, kUninst, {"/S", "/LOG=C:\\u.log"});
  ASSERT_TRUE(installed.ok()) << installed.error;
  EXPECT_EQ(installed.log, "C:\\u.log");
}

TEST(Switches, UsageErrorsOfUnattendedRuns) {
  struct Case {
    Mode mode;
    std::vector<Text> args;
  };
  const Case cases[] = {
      {Mode::Setup, {"/S", "/FOLDER=C:\\x"}},         // unknown
      {Mode::Setup, {"/S", "/MIXMASTER"}},            // another mode's switch
      {Mode::Uninstall, {"/S", "/DIR=C:\\x"}},        // another mode's switch
      {Mode::Setup, {"/S", "/DIR="}},                 // empty value
      {Mode::Setup, {"/S", "/DIR"}},                  // value missing
      {Mode::Setup, {"/S", "/NOGROUP=1"}},            // value where none belongs
      {Mode::Setup, {"/S", "/DIR=C:\\" + Text(300, 'a')}},
      {Mode::Setup, {"/S", "/ADDRESS=a\nb"}},
      {Mode::Setup, {"/S", "/DIR=C:\\a", "/dir=C:\\b"}},
      {Mode::Setup, {"/S", "stray"}},
      {Mode::Setup, {"/S", "/FORCEDIR"}},                // vouches for no named folder
      {Mode::Uninstall, {"/S", "/FORCEDIR"}},            // another mode's switch
      {Mode::Setup, {"/S", "/DIR=C:\\x", "/FORCEDIR=1"}},
  };
  for (const Case& c : cases) {
    Switches s = ParseSwitches(c.mode, kSetup, c.args);
    EXPECT_FALSE(s.ok()) << c.args.back();
  }
}

TEST(Switches, TheWizardKeepsIgnoringWhatItDoesNotKnow) {
  // Arguments never stopped the wizard; without /S they still do not.
  Switches s = ParseSwitches(Mode::Setup, kSetup, {"/u", "-uninstall", "/DIR=C:\\x", "/LOG=C:\\w.log"});
  EXPECT_TRUE(s.ok()) << s.error;
  EXPECT_FALSE(s.silent);
  EXPECT_FALSE(s.dir.has_value());
  EXPECT_EQ(s.log, "C:\\w.log");
  EXPECT_TRUE(ParseSwitches(Mode::Setup, kSetup, {"/?"}).help);
  EXPECT_TRUE(ParseSwitches(Mode::Uninstall, kUninst, {"/help"}).help);
}

TEST(Switches, UsageNamesEverySwitchOfItsMode) {
  for (std::string_view sw : {"/S", "/DIR=", "/FORCEDIR", "/ADDRESS=", "/SERVER=", "/NOGROUP", "/LOG="})
    EXPECT_NE(UsageText(Mode::Setup).find(sw), Text::npos) << sw;
  for (std::string_view sw : {"/S", "/MIXMASTER", "/LOG="})
    EXPECT_NE(UsageText(Mode::Uninstall).find(sw), Text::npos) << sw;
}

// An argument the code page could not hold comes as '?' where it could not:
// a switch among such arguments is refused by its name, never taken with a
// value that names another folder or file.
TEST(Switches, ArgumentsOutsideTheCodePageAreUsageErrors) {
  struct Case {
    Mode mode;
    std::vector<Text> args;
    size_t inexact;
    std::string_view error;  // empty: no error
  };
  const Case cases[] = {
      {Mode::Setup, {"/S", "/DIR=C:\\Users\\?ukasz\\Pelmora"}, 1,
       "/DIR= holds characters the system's code page cannot hold"},
      {Mode::Setup, {"/S", "/DIR=C:\\x", "/LOG=C:\\?\\s.log"}, 2,
       "/LOG= holds characters the system's code page cannot hold"},
      {Mode::Setup, {"/S", "/ADDRESS=?@example.invalid"}, 1,
       "/ADDRESS= holds characters the system's code page cannot hold"},
      {Mode::Uninstall, {"/S", "/LOG=C:\\??\\u.log"}, 1,
       "/LOG= holds characters the system's code page cannot hold"},
      // The wizard refuses a log it cannot name exactly, too.
      {Mode::Setup, {"/LOG=C:\\?\\w.log"}, 0, "/LOG= holds characters the system's code page cannot hold"},
      // What the wizard ignores it may keep ignoring.
      {Mode::Setup, {"/DIR=C:\\?"}, 0, ""},
      {Mode::Setup, {"/S", "???"}, 1, "Argument ??? holds characters the system's code page cannot hold"},
  };
  for (const Case& c : cases) {
    Switches s = ParseSwitches(c.mode, kSetup, c.args, {c.inexact});
    EXPECT_EQ(s.error, c.error) << c.args[c.inexact];
    // No value that came in inexactly is ever kept.
    for (const std::optional<Text>* v : {&s.dir, &s.log, &s.address, &s.server})
      if (*v) {
        EXPECT_EQ(v->value().find('?'), Text::npos) << c.args[c.inexact];
      }
  }
  // The same line, exact, is fine.
  EXPECT_TRUE(ParseSwitches(Mode::Setup, kSetup, {"/S", "/DIR=C:\\x", "/LOG=C:\\s.log"}, {}).ok());
}

}  // namespace
}  // namespace pel
