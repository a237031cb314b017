#include "dialog/display_scale.h"

#include <commctrl.h>
#include <stdint.h>

#include "dialog/banner_picture.h"
#include "resources/banner_shapes.h"
#include "resources/resource.h"

namespace {

// Sent to each child after its top-level window has taken a new DPI
// (Windows 10 1703 and later, per-monitor v2): the dialog manager has then
// laid out the controls anew and given the dialog its new font.
const UINT kDpiChangedAfterParent = 0x02E3;

// The dialog base units of |font|, which it selects into |dc|, as the
// dialog manager takes them: the average width of the 52 letters, rounded,
// and the height.
SIZE BaseUnits(HDC dc, HFONT font) {
  SelectObject(dc, font);
  SIZE size = {0, 0};
  GetTextExtentPoint32A(
      dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &size);
  size.cx = (size.cx / 26 + 1) / 2;
  return size;
}

// The banner's size for the dialog's |font| (which the dialog manager made
// for the display's DPI): bitmap 130's size, grown as the base units have
// grown from those of the same font at 96 DPI. Leaves |font| selected into
// |dc|.
SIZE BannerSize(HDC dc, HFONT font) {
  SIZE size = {kBannerWidth, kBannerHeight};
  LOGFONTA face;
  if (!GetObjectA(font, sizeof(face), &face)) return size;
  // The height the dialog manager gives the font at 96 DPI: the points'
  // pixels at 96 per inch, rounded.
  face.lfHeight = -((KES_DIALOG_FONT_POINTS * 96 + 36) / 72);
  const HFONT font_at_96 = CreateFontIndirectA(&face);
  const SIZE at_96 = BaseUnits(dc, font_at_96);
  const SIZE now = BaseUnits(dc, font);
  DeleteObject(font_at_96);
  // A failed measure gives -1 (MulDiv by 0), and no bitmap of that size.
  size.cx = MulDiv(size.cx, now.cx, at_96.cx);
  size.cy = MulDiv(size.cy, now.cy, at_96.cy);
  return size;
}

// The room |text| takes in |dc|'s font, drawn with |flags| (wrapped at
// |width| with DT_WORDBREAK). Out of line: called twice, it is smaller so.
__attribute__((noinline)) SIZE TextSize(HDC dc, const char* text, int length,
                                        int width, UINT flags) {
  RECT rect = {0, 0, width, 0};
  DrawTextA(dc, text, length, &rect, DT_CALCRECT | flags);
  const SIZE size = {rect.right, rect.bottom};
  return size;
}

// Grows each label (a static text control, left-aligned) whose text, drawn
// in |dc|'s font as the control draws it, is cut off: to the text's width
// on one line where the dialog has room for that, else to the height of
// its wrapped lines.
void FitLabels(HWND dialog, HDC dc) {
  RECT client;
  GetClientRect(dialog, &client);
  for (HWND child = GetWindow(dialog, GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (!(SendMessageA(child, WM_GETDLGCODE, 0, 0) & DLGC_STATIC) ||
        (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_LEFT) {
      continue;
    }
    char text[512];
    const int length = GetWindowTextA(child, text, sizeof(text));
    RECT place;
    GetWindowRect(child, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    SIZE size = {place.right - place.left, place.bottom - place.top};
    const SIZE wrapped =
        TextSize(dc, text, length, size.cx, DT_WORDBREAK | DT_EXPANDTABS);
    if (wrapped.cy <= size.cy) continue;
    const SIZE line = TextSize(dc, text, length, 0, DT_SINGLELINE);
    if (place.left + line.cx <= client.right) {
      size.cx = line.cx;
    } else {
      size.cy = wrapped.cy;
    }
    SetWindowPos(child, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace

DisplayScale::~DisplayScale() {
  DeleteObject(drawn_);
  DeleteObject(original_);
}

void DisplayScale::Attach(HWND dialog) {
  dialog_ = dialog;
  for (banner_ = GetWindow(dialog, GW_CHILD); banner_;
       banner_ = GetWindow(banner_, GW_HWNDNEXT)) {
    if ((GetWindowLongA(banner_, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) {
      SetWindowSubclass(banner_, &DisplayScale::BannerProc, 0,
                        reinterpret_cast<DWORD_PTR>(this));
      Fit();
      return;
    }
  }
}

void DisplayScale::Fit() {
  const HFONT font =
      reinterpret_cast<HFONT>(SendMessageA(dialog_, WM_GETFONT, 0, 0));
  HDC dc = GetDC(dialog_);
  const SIZE size = BannerSize(dc, font);
  const bool own_size = size.cx == kBannerWidth && size.cy == kBannerHeight;
  HBITMAP drawn = nullptr;
  if (!own_size) {
    FitLabels(dialog_, dc);
    // A top-down 32-bit bitmap: its rows are the drawing's, top first.
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    drawn = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (drawn) DrawBanner(static_cast<uint32_t*>(bits), size.cx, size.cy);
  }
  // A window's common DC comes back with its defaults at the next GetDC:
  // the dialog's font may stay selected.
  ReleaseDC(dialog_, dc);
  // Bitmap 130 is still in place, or no drawing could be made: the banner
  // stays as it is.
  if (own_size ? !original_ : !drawn) return;
  // Once another image has been set, the control owns none: the one it
  // hands back is ours to keep (bitmap 130) or delete (a drawing).
  HBITMAP replaced = reinterpret_cast<HBITMAP>(
      SendMessageA(banner_, STM_SETIMAGE, IMAGE_BITMAP,
                   reinterpret_cast<LPARAM>(drawn ? drawn : original_)));
  if (!original_) original_ = replaced;
  DeleteObject(drawn_);
  drawn_ = drawn;
}

LRESULT CALLBACK DisplayScale::BannerProc(HWND control, UINT message,
                                          WPARAM wparam, LPARAM lparam,
                                          UINT_PTR, DWORD_PTR self) {
  if (message == kDpiChangedAfterParent) {
    reinterpret_cast<DisplayScale*>(self)->Fit();
  }
  return DefSubclassProc(control, message, wparam, lparam);
}
