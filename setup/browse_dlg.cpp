// The browse dialog's decisions: accepting a folder, the folder tree it shows, the caller's result.
#include "setup/browse_dlg.h"

#include <algorithm>

namespace pel {

Text TBrowseDlg::InvalidPathText(std::string_view requiredFile) {
  return "The file '" + Text(requiredFile) +
         "' is not in the directory you have chosen.\nPlease select again.";
}

bool TBrowseDlg::FormCloseQuery(ModalResult result) {
  if (result == ModalResult::Cancel) return true;
  Text folder = view_.CurrentFolder();
  if (!RequiredFile.empty()) {
    // A drive's root already ends in a backslash; a second one would name a
    // path the file test need not accept.
    Text path = folder;
    if (path.empty() || path.back() != '\\') path += '\\';
    if (!view_.FileExists(path + RequiredFile)) {
      view_.ShowMessage(InvalidPathText(RequiredFile), InvalidPathCaption, MsgButtons::Ok);
      return false;
    }
  }
  SelectedDir = folder;
  return true;
}

Text BrowseResult(ModalResult result, std::string_view selectedDir) {
  if (result != ModalResult::Ok) return Text(TBrowseDlg::CancelText);
  return AnsiLowerCase(selectedDir);
}

namespace {

// Length of the root of path: "C:\" (3), "\\server\share\" or, failing both, 0.
size_t RootLength(std::string_view path) {
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    size_t server = path.find('\\', 2);
    if (server == std::string_view::npos) return path.size();
    size_t share = path.find('\\', server + 1);
    return share == std::string_view::npos ? path.size() : share + 1;
  }
  if (path.size() >= 2 && path[1] == ':') return path.size() >= 3 && path[2] == '\\' ? 3 : 2;
  return 0;
}

}  // namespace

FolderTree MakeFolderTree(std::string_view current, std::vector<Text> subfolders) {
  FolderTree tree;
  size_t rootLen = RootLength(current);
  Text root(current.substr(0, rootLen));
  if (!root.empty() && root.back() != '\\') root += '\\';
  int level = 0;
  if (!root.empty()) tree.lines.push_back({root, root, level++});
  Text path = root;
  size_t at = rootLen;
  while (at < current.size()) {
    size_t end = current.find('\\', at);
    if (end == std::string_view::npos) end = current.size();
    if (end > at) {
      Text name(current.substr(at, end - at));
      if (!path.empty() && path.back() != '\\') path += '\\';
      path += name;
      tree.lines.push_back({name, path, level++});
    }
    at = end + 1;
  }
  tree.current = tree.lines.empty() ? 0 : tree.lines.size() - 1;

  std::erase_if(subfolders, [](const Text& n) { return n.empty() || n == "." || n == ".."; });
  // By lower-case name; names that differ only in case keep the listing's order.
  std::vector<std::pair<Text, size_t>> order;
  order.reserve(subfolders.size());
  for (size_t i = 0; i < subfolders.size(); ++i) order.emplace_back(AnsiLowerCase(subfolders[i]), i);
  std::sort(order.begin(), order.end());
  Text parent = path;
  if (!parent.empty() && parent.back() != '\\') parent += '\\';
  for (const auto& [key, i] : order) tree.lines.push_back({subfolders[i], parent + subfolders[i], level});
  return tree;
}

}  // namespace pel
