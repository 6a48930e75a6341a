// The wizard's window made with its first page only, the rest made later:
// once every page is made it holds what the whole template makes, control for control.
#include "app/win32/deferred_controls.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/win32/setup_ids.h"

namespace pel {
namespace {

// The pages of the setup template's controls; the rest are on the window itself.
constexpr ControlPlace kPages[] = {
    {IDC_Copyright, 0, 0, 0, 0, 0},  {IDC_RichEdit1, 0, 0, 0, 0, 0},  {IDC_Label4, 0, 0, 0, 0, 0},
    {IDC_AppDIR, 0, 0, 0, 0, 0},     {IDC_BrowseBtn, 0, 0, 0, 0, 0},  {IDC_GroupBox, 0, 0, 0, 0, 0},
    {IDC_Label6, 1, 0, 0, 0, 0},     {IDC_RichEdit2, 1, 0, 0, 0, 0},  {IDC_Label3, 1, 0, 0, 0, 0},
    {IDC_EAddr, 1, 0, 0, 0, 0},      {IDC_Label2, 1, 0, 0, 0, 0},     {IDC_Host, 1, 0, 0, 0, 0},
    {IDC_Label7, 2, 0, 0, 0, 0},     {IDC_RichEdit4, 2, 0, 0, 0, 0},  {IDC_Label8, 2, 0, 0, 0, 0},
    {IDC_RichEdit3, 2, 0, 0, 0, 0},  {IDC_Label5, 3, 0, 0, 0, 0},     {IDC_RichEdit6, 3, 0, 0, 0, 0},
    {IDC_RichEdit5, 3, 0, 0, 0, 0},  {IDC_RunPelmoraBox, 3, 0, 0, 0, 0},
    {IDC_BackBtn, -1, 0, 0, 0, 0},   {IDC_NextBtn, -1, 0, 0, 0, 0},   {IDC_CancelBtn, -1, 0, 0, 0, 0},
};

INT_PTR CALLBACK Quiet(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

// Each child in tab order: id, class, text, styles, size and font, all that
// the dialog manager gives a control. Visibility is the page's business.
std::vector<std::string> Children(HWND dlg) {
  std::vector<std::string> out;
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    char cls[64] = "", text[512] = "";
    GetClassNameA(c, cls, sizeof cls);
    GetWindowTextA(c, text, sizeof text);
    RECT r;
    GetWindowRect(c, &r);
    LOGFONTA f = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0)), sizeof f, &f);
    char line[768];
    wsprintfA(line, "%d %s \"%s\" %08lx %08lx %ldx%ld %s %ld", GetDlgCtrlID(c), cls, text,
              GetWindowLongA(c, GWL_STYLE) & ~WS_VISIBLE, GetWindowLongA(c, GWL_EXSTYLE),
              r.right - r.left, r.bottom - r.top, f.lfFaceName, f.lfHeight);
    out.push_back(line);
  }
  return out;
}

int Count(HWND dlg) {
  int n = 0;
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++n;
  return n;
}

TEST(DeferredControls, EveryPageMadeInAnyOrderGivesWhatTheWholeTemplateGives) {
  ASSERT_TRUE(LoadLibraryA("riched20.dll"));
  HINSTANCE self = GetModuleHandleA(nullptr);
  HWND whole = CreateDialogParamA(self, MAKEINTRESOURCEA(IDD_SETUP), nullptr, Quiet, 0);
  ASSERT_TRUE(whole);
  DeferredControls controls(self, IDD_SETUP, kPages, 0);
  HWND split = CreateDialogIndirectParamA(self, controls.Template(), nullptr, Quiet, 0);
  ASSERT_TRUE(split);

  // The window and Start: 3 of its own, 6 of Start's, the 3 buttons.
  EXPECT_EQ(Count(whole), 26);
  EXPECT_EQ(Count(split), 12);
  EXPECT_TRUE(GetDlgItem(split, IDC_AppDIR));
  EXPECT_FALSE(GetDlgItem(split, IDC_EAddr));
  EXPECT_TRUE(controls.Made(0));
  EXPECT_FALSE(controls.Made(2));

  int made[DeferredControls::kMaxItems];
  ASSERT_EQ(controls.Make(split, 2, made), 4);
  EXPECT_EQ(made[0], IDC_Label7);
  EXPECT_EQ(made[3], IDC_RichEdit3);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(split, IDC_RichEdit3)));
  EXPECT_EQ(controls.Make(split, 2, made), 0) << "a page is made once";
  EXPECT_EQ(controls.Make(split, 3, made), 4);
  EXPECT_EQ(controls.Make(split, 1, made), 6);
  EXPECT_EQ(controls.Make(split, 0, made), 0);
  EXPECT_EQ(controls.Make(split, -1, made), 0);

  EXPECT_EQ(Children(split), Children(whole));
  DestroyWindow(split);
  DestroyWindow(whole);
}

// Controls without a place are made with the window; a template that is not
// there gives none to make a window of.
TEST(DeferredControls, ControlsWithoutAPlaceComeWithTheWindow) {
  ASSERT_TRUE(LoadLibraryA("riched20.dll"));
  HINSTANCE self = GetModuleHandleA(nullptr);
  DeferredControls none(self, IDD_SETUP, {}, 0);
  HWND dlg = CreateDialogIndirectParamA(self, none.Template(), nullptr, Quiet, 0);
  ASSERT_TRUE(dlg);
  EXPECT_EQ(Count(dlg), 26);
  int made[DeferredControls::kMaxItems];
  EXPECT_EQ(none.Make(dlg, 3, made), 0);
  EXPECT_EQ(Count(dlg), 26);
  DestroyWindow(dlg);
  DeferredControls missing(self, 9999, kPages, 0);
  EXPECT_EQ(missing.Template(), nullptr);
}

}  // namespace
}  // namespace pel
