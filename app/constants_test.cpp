// Product constants, the change-extension rule and the mode decision.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/constants.h"
#include "app/mode.h"

namespace pel {
namespace {

TEST(Constants, ComposedNamesAndStorePaths) {
  EXPECT_EQ(ProductKey, "Software\\" + Text(ProductName));
  EXPECT_EQ(UninstallerExe, "Uninst" + Text(ProductExe));
  ASSERT_EQ(DefaultMessageKey.size(), 15u);
  ASSERT_EQ(DefaultArticleKey.size(), 15u);
  EXPECT_EQ(DefaultMessageKey[7], '\xFF');
  EXPECT_EQ(DefaultArticleKey[7], '\xFF');
  EXPECT_EQ(DefaultMessageKey, Text("default") + '\xFF' + "message");
  EXPECT_EQ(DefaultArticleKey, Text("default") + '\xFF' + "article");
  EXPECT_EQ(std::count(LegalNotice.begin(), LegalNotice.end(), '\n'), 1);
}

TEST(Constants, ChangeFileExtLooksOnlyAtTheLastName) {
  EXPECT_EQ(ChangeFileExt("PL.exe", StoreExt), "PL.dbc");
  EXPECT_EQ(ChangeFileExt("PL.dbc", PgpExt), "PL.pgp");
  EXPECT_EQ(ChangeFileExt("C:\\My.Dir\\SETUP", ".dbc"), "C:\\My.Dir\\SETUP.dbc");
  EXPECT_EQ(ChangeFileExt("C:NAME", ".INI"), "C:NAME.INI");
  EXPECT_EQ(ChangeFileExt("a.b.c", ".d"), "a.b.d");
}

TEST(Constants, DerivedPathsFollowTheExecutable) {
  ExePaths p = DeriveExePaths("C:\\Dist\\setup.exe");
  EXPECT_EQ(p.exePathUpper, "C:\\DIST\\SETUP.EXE");
  EXPECT_EQ(p.exeDirLower, "c:\\dist\\");
  EXPECT_EQ(p.ownStorePath, "C:\\DIST\\SETUP.dbc");
  EXPECT_EQ(p.ownIniPath, "C:\\DIST\\SETUP.ini");
  EXPECT_EQ(p.ownPgpPath, "C:\\DIST\\SETUP.pgp");
  EXPECT_EQ(p.ownPgpBakPath, "C:\\DIST\\SETUP.pgp.bak");
  EXPECT_EQ(p.ownPgpTmpPath, "C:\\DIST\\SETUP.pgp.tmp");
  EXPECT_EQ(DeriveExePaths("c:\\my.dir\\Setup").ownStorePath, "C:\\MY.DIR\\SETUP.dbc");
  EXPECT_EQ(DeriveExePaths("d:setup.exe").exeDirLower, "d:");
}

TEST(ModeDecision, OnlySetupExeWithoutDashUInstalls) {
  EXPECT_EQ(DecideMode("C:\\DIST\\SETUP.EXE", ""), Mode::Setup);
  EXPECT_EQ(DecideMode("C:\\dist\\Setup.exe", "-U"), Mode::Uninstall);
  EXPECT_EQ(DecideMode("C:\\dist\\setup.exe", "-u"), Mode::Uninstall);
  for (const char* arg : {"/u", "u", "-uninstall", "--u", " -u"})
    EXPECT_EQ(DecideMode("C:\\dist\\setup.exe", arg), Mode::Setup) << arg;
  EXPECT_EQ(DecideMode("C:\\Program Files\\Pelmora\\UninstPL.exe", ""), Mode::Uninstall);
  EXPECT_EQ(DecideMode("C:\\dist\\setup1.exe", ""), Mode::Uninstall);
  EXPECT_EQ(DecideMode("C:\\setup.exe.dir\\other.exe", ""), Mode::Uninstall);
  EXPECT_EQ(DecideMode("D:setup.exe", ""), Mode::Setup);
  EXPECT_EQ(DecideMode("", ""), Mode::Uninstall);
}

}  // namespace
}  // namespace pel
