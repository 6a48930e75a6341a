// The switches of unattended runs, read the way the mode decision reads its argument.
#include "app/command_line.h"

#include <algorithm>

#include "app/constants.h"

namespace pel {
namespace {

// A folder must leave room for a file name under MAX_PATH; texts that end up
// in the database and the registry stay within what a header line carries.
constexpr size_t kMaxDir = 247;
constexpr size_t kMaxText = 255;
constexpr size_t kMaxLog = 259;

struct Spec {
  std::string_view name;  // upper-case, with the slash
  bool hasValue;
  bool setup;
  bool uninstall;
};

constexpr Spec kSwitches[] = {
    {"/S", false, true, true},        {"/DIR", true, true, false},
    {"/FORCEDIR", false, true, false},
    {"/ADDRESS", true, true, false},  {"/SERVER", true, true, false},
    {"/NOGROUP", false, true, false}, {"/MIXMASTER", false, false, true},
    {"/LOG", true, true, true},       {"/?", false, true, true},
    {"/HELP", false, true, true},
};

const Spec* Find(std::string_view name, Mode mode) {
  Text upper = AnsiUpperCase(name);
  for (const Spec& s : kSwitches)
    if (upper == s.name && (mode == Mode::Setup ? s.setup : s.uninstall)) return &s;
  return nullptr;
}

size_t Limit(std::string_view name) {
  return name == "/DIR" ? kMaxDir : name == "/LOG" ? kMaxLog : kMaxText;
}

bool HasControlCharacter(std::string_view v) {
  for (char c : v)
    if (static_cast<unsigned char>(c) < 32) return true;
  return false;
}

}  // namespace

Switches ParseSwitches(Mode mode, std::string_view exePath, const std::vector<Text>& args,
                       const std::vector<size_t>& inexact) {
  Switches sw;
  size_t first = 0;
  if (!args.empty() && AnsiLowerCase(ExtractFileName(exePath)) == "setup.exe" &&
      AnsiLowerCase(args[0]) == "-u")
    first = 1;
  for (size_t i = first; i < args.size(); ++i)
    if (AnsiUpperCase(args[i]) == "/S") sw.silent = true;

  std::vector<std::string_view> seen;
  for (size_t i = first; i < args.size(); ++i) {
    std::string_view arg = args[i];
    size_t eq = arg.find('=');
    std::string_view name = arg.substr(0, eq);
    const Spec* spec = Find(name, mode);
    bool exact = std::find(inexact.begin(), inexact.end(), i) == inexact.end();
    bool honoured = spec && (sw.silent || spec->name == "/LOG" || spec->name == "/?" ||
                             spec->name == "/HELP");
    if (!exact && sw.error.empty() && (honoured || sw.silent)) {
      sw.error = (spec ? Text(spec->name) + (spec->hasValue ? "=" : "") : "Argument " + Text(arg)) +
                 " holds characters the system's code page cannot hold";
      continue;
    }
    if (!spec || spec->hasValue != (eq != std::string_view::npos)) {
      // The wizard always let arguments it does not know pass; only an
      // unattended run, which must not guess, refuses them.
      if (sw.silent && sw.error.empty()) sw.error = "Unknown switch: " + Text(arg);
      continue;
    }
    if (!sw.silent && spec->name != "/LOG" && spec->name != "/?" && spec->name != "/HELP")
      continue;
    for (std::string_view s : seen)
      if (s == spec->name && sw.error.empty()) sw.error = "Switch given twice: " + Text(name);
    seen.push_back(spec->name);

    Text value = spec->hasValue ? Text(arg.substr(eq + 1)) : Text();
    if (spec->hasValue && sw.error.empty()) {
      if (value.empty())
        sw.error = "Empty value: " + Text(arg);
      else if (value.size() > Limit(spec->name))
        sw.error = Text(name) + " is longer than " + std::to_string(Limit(spec->name)) +
                   " characters";
      else if (HasControlCharacter(value))
        sw.error = Text(name) + " holds a control character";
    }
    if (spec->name == "/DIR") sw.dir = value;
    else if (spec->name == "/ADDRESS") sw.address = value;
    else if (spec->name == "/SERVER") sw.server = value;
    else if (spec->name == "/LOG") sw.log = value;
    else if (spec->name == "/NOGROUP") sw.noGroup = true;
    else if (spec->name == "/FORCEDIR") sw.forceDir = true;
    else if (spec->name == "/MIXMASTER") sw.mixmaster = true;
    else if (spec->name == "/?" || spec->name == "/HELP") sw.help = true;
  }
  // It vouches for a folder the user named, never for a default one.
  if (sw.forceDir && !sw.dir && sw.error.empty()) sw.error = "/FORCEDIR needs /DIR=folder";
  return sw;
}

InstallChoices InstallChoicesOf(const Switches& sw) {
  return InstallChoices{sw.dir, sw.forceDir, sw.address, sw.server, sw.noGroup};
}

Text UsageText(Mode mode) {
  if (mode == Mode::Setup)
    return "Usage: setup.exe [/S [/DIR=folder [/FORCEDIR]] [/ADDRESS=text] [/SERVER=host] "
           "[/NOGROUP]] [/LOG=file]\r\n"
           "  /S         install without showing anything\r\n"
           "  /DIR       destination folder (default: the earlier installation's, else "
           "C:\\Program Files\\Pelmora)\r\n"
           "  /FORCEDIR  install into the /DIR folder even when it holds other files;\r\n"
           "             removing Pelmora later deletes every file in it but the database\r\n"
           "  /ADDRESS   your sender address (required for a first installation)\r\n"
           "  /SERVER    your outgoing mail server (required for a first installation)\r\n"
           "  /NOGROUP   no Start-menu program group\r\n"
           "  /LOG       append a line for every action to this file\r\n"
           "  setup.exe -u [/S [/MIXMASTER]] [/LOG=file] removes Pelmora\r\n"
           "Exit codes of /S runs: 0 done, 1 usage error, 2 a step failed, 3 nothing to "
           "remove, 4 Pelmora is running (nothing changed), 5 the removal left something (a file in "
           "use; run it again).\r\n";
  return "Usage: UninstPL.exe [/S [/MIXMASTER]] [/LOG=file]\r\n"
         "  /S          remove Pelmora without showing anything\r\n"
         "  /MIXMASTER  remove Mixmaster too\r\n"
         "  /LOG        append a line for every action to this file\r\n"
         "Exit codes of /S runs: 0 done, 1 usage error, 2 a step failed, 3 nothing to "
         "remove, 4 Pelmora is running (nothing changed), 5 the removal left something (a file in "
           "use; run it again).\r\n";
}

}  // namespace pel
