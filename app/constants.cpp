// Derivation of the path constants and the change-extension rule.
#include "app/constants.h"

namespace pel {
namespace {

// Index just past the last backslash or drive colon; 0 when there is none.
size_t NameStart(std::string_view path) {
  size_t p = path.find_last_of("\\:");
  return p == std::string_view::npos ? 0 : p + 1;
}

}  // namespace

Text ChangeFileExt(std::string_view name, std::string_view ext) {
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot < NameStart(name)) return Text(name) + Text(ext);
  return Text(name.substr(0, dot)) + Text(ext);
}

Text ExtractFileName(std::string_view path) { return Text(path.substr(NameStart(path))); }

Text ExtractFilePath(std::string_view path) { return Text(path.substr(0, NameStart(path))); }

ExePaths DeriveExePaths(std::string_view exePath) {
  ExePaths p;
  p.exePathUpper = AnsiUpperCase(exePath);
  p.exeDirLower = AnsiLowerCase(ExtractFilePath(p.exePathUpper));
  p.ownStorePath = ChangeFileExt(p.exePathUpper, StoreExt);
  p.ownIniPath = ChangeFileExt(p.exePathUpper, IniExt);
  p.ownPgpPath = ChangeFileExt(p.exePathUpper, PgpExt);
  p.ownPgpBakPath = p.ownPgpPath + Text(BakExt);
  p.ownPgpTmpPath = p.ownPgpPath + Text(TmpExt);
  return p;
}

const ExePaths& OwnPaths() {
  static const ExePaths paths = DeriveExePaths(OwnModulePath());
  return paths;
}

}  // namespace pel
