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

}  // namespace
}  // namespace pel
