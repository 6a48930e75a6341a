// A dialog made with the controls its first page shows; the other pages' controls come when first needed.
#pragma once

#include <windows.h>

#include <memory>
#include <span>

#include "app/win32/window_helpers.h"

namespace pel {

// Reads a DIALOGEX template once and splits it: Template() holds the
// controls on the window itself and on the first page, and Make() creates a
// later page's controls as the dialog manager would have (same class, text,
// styles, size in dialog units, font and tab order), but hidden. A window
// with few controls opens sooner, and the pages a run never shows cost nothing.
class DeferredControls {
 public:
  DeferredControls(HINSTANCE instance, int templateId, std::span<const ControlPlace> places,
                   int firstPage);
  DeferredControls(const DeferredControls&) = delete;
  DeferredControls& operator=(const DeferredControls&) = delete;

  // For DialogBoxIndirectParam and CreateDialogIndirectParam.
  const DLGTEMPLATE* Template() const;
  // The page of a control (< 0 on the window itself); kNoPlace when not in the list.
  static constexpr int kNoPlace = -2;
  int PageOf(int id) const;
  bool Made(int page) const;
  // Creates the page's controls in dlg unless they are there; puts the ids
  // made into `made` in template order and returns their count (0 when
  // they were there).
  static constexpr int kMaxItems = 64;
  int Make(HWND dlg, int page, std::span<int, kMaxItems> made);

 private:
  struct Item {
    const BYTE* start;  // the item in the resource, which lives as long as the module
    int id;
    int page;
  };
  HINSTANCE instance_;
  std::span<const ControlPlace> places_;
  Item items_[kMaxItems];  // every control, in template order
  int itemCount_ = 0;
  std::unique_ptr<DWORD[]> firstOnly_;  // the template without the deferred items
  unsigned madePages_ = 0;              // a bit for each page made
};

}  // namespace pel
