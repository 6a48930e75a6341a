// A dialog made with the controls its first page shows; the other pages' controls come when first needed.
#include "app/win32/deferred_controls.h"

#include <cstring>

namespace pel {
namespace {

// The fixed part of DLGTEMPLATEEX up to its item count, and of DLGITEMTEMPLATEEX.
constexpr size_t kItemCountOffset = 16;
constexpr size_t kHeaderFixed = 26;
constexpr size_t kItemFixed = 24;

const BYTE* DwordAligned(const BYTE* p) {
  return reinterpret_cast<const BYTE*>((reinterpret_cast<uintptr_t>(p) + 3) & ~uintptr_t{3});
}

WORD WordAt(const BYTE* p) {
  WORD w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

DWORD DwordAt(const BYTE* p) {
  DWORD d;
  std::memcpy(&d, p, sizeof d);
  return d;
}

short ShortAt(const BYTE* p) { return static_cast<short>(WordAt(p)); }

const BYTE* SkipString(const BYTE* p) {
  while (WordAt(p) != 0) p += 2;
  return p + 2;
}

// A name or an ordinal: empty (one 0), 0xFFFF and a number, or a string.
const BYTE* SkipNameOrOrdinal(const BYTE* p) { return WordAt(p) == 0xFFFF ? p + 4 : SkipString(p); }

const BYTE* ItemEnd(const BYTE* item) {
  const BYTE* p = SkipNameOrOrdinal(SkipNameOrOrdinal(item + kItemFixed));
  return p + 2 + WordAt(p);
}

// The predefined classes a template names by number.
const wchar_t* ClassOfOrdinal(WORD ordinal) {
  switch (ordinal) {
    case 0x80: return L"Button";
    case 0x81: return L"Edit";
    case 0x82: return L"Static";
    case 0x83: return L"ListBox";
    case 0x84: return L"ScrollBar";
    case 0x85: return L"ComboBox";
    default: return nullptr;
  }
}

}  // namespace

DeferredControls::DeferredControls(HINSTANCE instance, int templateId,
                                   std::span<const ControlPlace> places, int firstPage)
    : instance_(instance), places_(places) {
  HRSRC res = FindResourceA(instance, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5));  // RT_DIALOG
  const BYTE* base = res ? static_cast<const BYTE*>(LockResource(LoadResource(instance, res))) : nullptr;
  if (!base) return;
  DWORD size = SizeofResource(instance, res);
  WORD count = WordAt(base + kItemCountOffset);
  // Room for the whole template and the alignment of every item.
  firstOnly_.reset(new DWORD[size / 4 + count + 2]);
  BYTE* out = reinterpret_cast<BYTE*>(firstOnly_.get());
  // Only the extended form is split, and only what fits; any other comes whole.
  if (WordAt(base) != 1 || WordAt(base + 2) != 0xFFFF || count > kMaxItems || firstPage < 0 ||
      firstPage >= 32) {
    std::memcpy(out, base, size);
    return;
  }
  DWORD style = DwordAt(base + 12);
  const BYTE* p = SkipString(SkipNameOrOrdinal(SkipNameOrOrdinal(base + kHeaderFixed)));
  if (style & (DS_SETFONT | DS_SHELLFONT)) p = SkipString(p + 6);
  size_t used = static_cast<size_t>(p - base);
  std::memcpy(out, base, used);
  WORD kept = 0;
  for (WORD i = 0; i < count; ++i) {
    const BYTE* item = DwordAligned(p);
    p = ItemEnd(item);
    int id = static_cast<int>(DwordAt(item + 20));
    int page = PageOf(id);
    items_[itemCount_++] = {item, id, page};
    if (page >= 0 && page != firstPage) continue;
    used = (used + 3) & ~size_t{3};
    std::memcpy(out + used, item, static_cast<size_t>(p - item));
    used += static_cast<size_t>(p - item);
    ++kept;
  }
  std::memcpy(out + kItemCountOffset, &kept, sizeof kept);
  madePages_ = 1u << firstPage;
}

const DLGTEMPLATE* DeferredControls::Template() const {
  return reinterpret_cast<const DLGTEMPLATE*>(firstOnly_.get());
}

int DeferredControls::PageOf(int id) const {
  const ControlPlace* p = FindPlace(places_, id);
  return p ? p->page : kNoPlace;
}

bool DeferredControls::Made(int page) const {
  return page < 0 || page >= 32 || itemCount_ == 0 || (madePages_ >> page & 1) != 0;
}

int DeferredControls::Make(HWND dlg, int page, std::span<int, kMaxItems> made) {
  int n = 0;
  if (Made(page)) return n;
  madePages_ |= 1u << page;
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0));
  for (int i = 0; i < itemCount_; ++i) {
    const Item& it = items_[i];
    if (it.page != page) continue;
    const BYTE* item = it.start;
    DWORD exStyle = DwordAt(item + 4), style = DwordAt(item + 8);
    // The dialog manager draws a control's border as a sunken edge.
    if (style & WS_BORDER) {
      style &= ~WS_BORDER;
      exStyle |= WS_EX_CLIENTEDGE;
    }
    // Each measure converted alone, as the dialog manager converts them.
    RECT r = {ShortAt(item + 12), ShortAt(item + 14), ShortAt(item + 16), ShortAt(item + 18)};
    MapDialogRect(dlg, &r);
    const BYTE* cls = item + kItemFixed;
    const BYTE* title = SkipNameOrOrdinal(cls);
    const BYTE* extra = SkipNameOrOrdinal(title);
    const wchar_t* className = WordAt(cls) == 0xFFFF ? ClassOfOrdinal(WordAt(cls + 2))
                                                     : reinterpret_cast<const wchar_t*>(cls);
    if (!className) continue;
    void* data = WordAt(extra) ? const_cast<BYTE*>(extra + 2) : nullptr;
    // Hidden: the page shows its controls when it is shown.
    HWND control = CreateWindowExW(exStyle | WS_EX_NOPARENTNOTIFY, className,
                                   reinterpret_cast<const wchar_t*>(title),
                                   (style | WS_CHILD) & ~WS_VISIBLE, r.left, r.top, r.right, r.bottom,
                                   dlg, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(it.id)),
                                   instance_, data);
    if (!control) continue;
    if (font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // The tab order is the template's: after the nearest earlier control there is.
    HWND after = HWND_TOP;
    for (int j = i; j-- > 0;)
      if (HWND earlier = GetDlgItem(dlg, items_[j].id)) {
        after = earlier;
        break;
      }
    SetWindowPos(control, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (WordAt(cls) == 0xFFFF && WordAt(cls + 2) == 0x80 && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
      SendMessageW(dlg, DM_SETDEFID, static_cast<WPARAM>(it.id), 0);
    made[static_cast<size_t>(n++)] = it.id;
  }
  return n;
}

}  // namespace pel
