// The product's fixed vocabulary: names, version, registry keys, extensions, record names.
#pragma once

#include <string_view>

#include "base/text.h"

namespace pel {

// --- Used by the installer and uninstaller -------------------------------------------------
inline constexpr std::string_view ProductName = "Pelmora";
inline constexpr std::string_view ProductKey = "Software\\Pelmora";
inline constexpr std::string_view MixmasterKey = "Software\\Mixmaster";
inline constexpr std::string_view ProductExe = "PL.exe";
inline constexpr std::string_view UninstallerExe = "UninstPL.exe";
inline constexpr std::string_view ProductVersion = ".9b2";
inline constexpr std::string_view SetupTitle = "Pelmora Setup";
inline constexpr std::string_view UninstallTitle = "Pelmora Uninstall";
// Two lines joined by one line feed; the wizards show it on one line.
inline constexpr std::string_view LegalNotice =
    "Copyright (c) 1998-2003 Pelmora Project\n"
    "Free software, without warranty.";
inline constexpr std::string_view StoreExt = ".dbc";
inline constexpr std::string_view PgpExt = ".pgp";
inline constexpr std::string_view IniExt = ".ini";
inline constexpr std::string_view BakExt = ".bak";
inline constexpr std::string_view DpcExt = ".dpc";
inline constexpr std::string_view TmpExt = ".tmp";
inline constexpr std::string_view OrgExt = ".org";
inline constexpr std::string_view SettingsRecord = "Initialization";
// Store paths: index "default", the separator byte 0xFF, record name.
inline constexpr std::string_view DefaultMessageKey = "default\xFFmessage";
inline constexpr std::string_view DefaultArticleKey = "default\xFF" "article";
inline constexpr char StorePathSeparator = '\xFF';

// Registry value names under ProductKey and MixmasterKey.
inline constexpr std::string_view RegAppDir = "AppDir";
inline constexpr std::string_view RegVersion = "Version";
inline constexpr std::string_view RegProgramGroup = "Program Group";
inline constexpr std::string_view RegWindowState = "WindowState";
inline constexpr std::string_view RegWindowPos = "WindowPos";
inline constexpr std::string_view RegUpdate = "Update";
inline constexpr std::string_view RegMixDir = "MixDir";

// The system's list of installed programs reads this key (per user).
inline constexpr std::string_view UninstallEntryKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pelmora";
inline constexpr std::string_view Publisher = "Pelmora Project";

// Replaces the extension of name (the text from the last full stop after the
// last backslash or drive colon) by ext, or appends ext when there is none.
Text ChangeFileExt(std::string_view name, std::string_view ext);

// The text after the last backslash or drive colon.
Text ExtractFileName(std::string_view path);
// Everything up to and including the last backslash or drive colon.
Text ExtractFilePath(std::string_view path);

// Constants derived from the running executable's full path.
struct ExePaths {
  Text exePathUpper;       // C:\DIST\SETUP.EXE
  Text exeDirLower;        // c:\dist\ (with its backslash)
  Text ownStorePath;       // C:\DIST\SETUP.dbc
  Text ownIniPath;         // C:\DIST\SETUP.ini
  Text ownPgpPath;         // C:\DIST\SETUP.pgp
  Text ownPgpBakPath;      // C:\DIST\SETUP.pgp.bak
  Text ownPgpTmpPath;      // C:\DIST\SETUP.pgp.tmp
};
ExePaths DeriveExePaths(std::string_view exePath);

// The derived constants of this process, from OwnModulePath(), made once.
const ExePaths& OwnPaths();
// The full path of the running executable as the platform reports it.
Text OwnModulePath();
// The folder that holds the running executable, with its final backslash:
// setup's distribution, whatever folder it was started from.
inline Text OwnFolder() { return ExtractFilePath(OwnModulePath()); }

// --- Names of the mail client and its modules, never used here ----------------------------
// Kept so that the vocabulary the client and this program share stays in one place.
namespace client {
inline constexpr std::string_view Pop3Dll = "PLpop3.dll";
inline constexpr std::string_view PgpDll = "PLpgp.dll";
inline constexpr std::string_view HelpWinPos = "HelpWinPos";
inline constexpr std::string_view QuickStartDoc = "QuickStart.rtf";
inline constexpr std::string_view QuickStartPop3Doc = "QuickStart.Pop3.rtf";
inline constexpr std::string_view QuickStartPgpDoc = "QuickStart.Pgp.rtf";
inline constexpr std::string_view SupportAddress = "support@pelmora.invalid";
inline constexpr std::string_view Originals = "Originals";
inline constexpr std::string_view UpdateOnSend = "UpdateOnSend";
inline constexpr std::string_view RecordNames[] = {
    "Nyms", "Notes", "Messages", "Drafts", "Templates", "Address Book", "Mailboxes",
    "User Data", "Mail Queue", "Problems Queue", "Mailbox Menu", "Mailbox Pos", "StatsURLs",
    "Http Info", "Ftp Proxy", "Use Ftp Proxy", "Mixmaster", "Pop Accounts", "Last Message-ID",
    "Update Sites", "Stats Timeout", "Pop3 TimeOut", "ErrorChecksLog", "ErrChkLogMax",
    "Pop3Log", "Pop3LogMax", "SmtpLog", "SmtpLogMax", "ChainLog", "ChainLogMax", "CpunkShorts",
    "Cyberpunk", "CpkKeyUpdate", "MixKeyUpdate", "MixAuto", "StatsKeepCopies",
    "StatsErrorCheck", "PgpPublicRing", "PgpSecretRing", "PgpImportRing", "Pgp Originals",
    "RandomPool", "ClientCfg", "MixImportDir", "CpkImportDir", "QteMarks", "StatsMinUpdates",
    "WordWrap", "WordWrapShowBox", "DontWrapQuoted", "SendWrapChars", "SendWrapCharsCount",
    "SendWrapWin", "SendWrapNot", "FontName", "FontSize", "WorkSpaceColor", "ClearSignMessage"};
inline constexpr std::string_view CorruptReportMarker = "*****Corrupt Report*****";
inline constexpr std::string_view ExeWord = "exe";
inline constexpr std::string_view UnzippingExe = "unzipping.exe";
inline constexpr std::string_view GotMail = "You got mail!";
inline constexpr std::string_view NoNewMail = "Sorry, no new mail.";
inline constexpr std::string_view UserCancel = "User cancel";
inline constexpr std::string_view ErrorAborted = "Error: aborted!";
inline constexpr std::string_view MixListFiles[] = {
    "mlist.txt", "pubring.mix", "problem.mix", "type2.list", "rlist.txt", "pubring.asc",
    "type1.list", "problem.cpk", "pubring.mix.tmp", "rlist.txt.tmp", "pubring.asc.tmp"};
inline constexpr std::string_view PublicRingName = "pubring.pkr";  // after ExeDirLower
inline constexpr std::string_view SecretRingName = "secring.skr";  // after ExeDirLower
inline constexpr std::string_view WordWrapHeader = "Word-Wrap: ";
inline constexpr std::string_view EncryptToHeader = "Encrypt-To: ";
inline constexpr std::string_view SoftHyphen = "\xAD";
inline constexpr std::string_view Diaeresis = "\xA8";
inline constexpr std::string_view CopyrightSign = "\xA9";
inline constexpr std::string_view NotSign = "\xAC";
inline constexpr std::string_view NewNoteTitle = "New Note";
inline constexpr std::string_view NewMessageTitle = "New Message";
inline constexpr std::string_view NewArticleTitle = "New Usenet Article";
inline constexpr std::string_view OldSetupExe = "Setup.exe";
inline constexpr std::string_view OldUninstExe = "Uninst.exe";
inline constexpr std::string_view VersionKeywords[] = {
    "$Date$", "$Version$", "$Revision$", "$Logfile$", "$Author$",
    "$Header$", "$Id$", "$Log$", "$Modtime$", "$Workfile$"};
inline constexpr std::string_view MixPoolLower = "mixpool";
inline constexpr std::string_view MixPool = "MixPool";
inline constexpr std::string_view MixKeyBegin = "-----Begin Mix Key-----";
inline constexpr std::string_view MixKeyEnd = "-----End Mix Key-----";
inline constexpr std::string_view MixDocs = "Mixmaster Online Documents";
inline constexpr std::string_view UpdateMixDocs = "UpdateMixDocs";
inline constexpr std::string_view MixExe = "mix.exe";
inline constexpr std::string_view MixTmp = "mix.tmp.PL";
inline constexpr std::string_view MixCfg = "mix.cfg";
inline constexpr std::string_view MixOutFiles = "out*.txt";
inline constexpr std::string_view MixClientConfig =
    "# Client configuration written by Pelmora.\n"
    "# Edit with care: Pelmora rewrites this file when remailer settings change.\n"
    "SENDMAIL outfile\n"
    "ERRLOG errlog\n"
    "REMAIL n\n"
    "DISTANCE 2\n"
    "MINREL 98\n"
    "RELFINAL 99\n"
    "MAXLAT 36h\n";
}  // namespace client

// The resource number of the program's icon (IDI_PELMORA of the resource script).
inline constexpr int ProductIconResource = 1;

// Exit codes of unattended runs; interactive runs always end with 0.
enum ExitCode : int {
  ExitDone = 0,
  ExitUsage = 1,
  ExitStepFailed = 2,
  ExitNothingToRemove = 3,
  ExitProductRunning = 4,  // Pelmora runs from its folder; nothing was changed
  // The removal left something: a file in use before it began (nothing was
  // changed), or one that could not be deleted, or a folder that was no
  // longer the one checked; the key and the uninstaller stay for another run.
  ExitRemovalLeftSomething = 5,
};

}  // namespace pel
