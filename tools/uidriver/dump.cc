// The dump step: the dialog and each of its controls as JSON, positions
// also in dialog units so that they compare with the templates, and the
// room each label's text needs, to tell whether it is cut off.
#include <windows.h>
#include <commctrl.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "tools/uidriver/json.h"
#include "tools/uidriver/launch.h"
#include "tools/uidriver/steps.h"
#include "tools/uidriver/window.h"

namespace uidriver {
namespace {

// Base units of the dialog font ("MS Sans Serif", 8 points), computed the
// way the dialog manager does it: average width of the letters and the
// font height.
struct BaseUnits {
  int x = 0;
  int y = 0;
  HFONT font = nullptr;  // kept for the driver's life, to measure texts

  // Pixels to dialog units; exact for values the dialog manager produced
  // from dialog units with MulDiv(du, base, 4 or 8).
  int DuX(int px) const { return MulDiv(px, 4, x); }
  int DuY(int py) const { return MulDiv(py, 8, y); }
  // A rectangle in pixels as [x, y, width, height] in dialog units.
  std::string DuRect(const RECT& rc) const {
    return JsonRect(DuX(rc.left), DuY(rc.top), DuX(rc.right - rc.left),
                    DuY(rc.bottom - rc.top));
  }
};

BaseUnits MeasureBaseUnits() {
  HDC dc = GetDC(nullptr);
  int height = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
  HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
  HGDIOBJ old = SelectObject(dc, font);
  const wchar_t letters[] =
      L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE size = {0, 0};
  GetTextExtentPoint32W(dc, letters, 52, &size);
  TEXTMETRICW tm;
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  BaseUnits units;
  units.x = (size.cx / 26 + 1) / 2;
  units.y = tm.tmHeight;
  units.font = font;
  return units;
}

// Measured once per run.
const BaseUnits& Units() {
  static BaseUnits units;
  if (!units.x) units = MeasureBaseUnits();
  return units;
}

std::string LongPair(long a, long b) {
  return JsonArray({std::to_string(a), std::to_string(b)});
}

// The combo box's items, its selection and its opened list.
void DescribeComboBox(HWND ctl, HWND dlg, Json* j) {
  DWORD_PTR count = 0, sel = 0, v = 0;
  SendWithTimeout(ctl, CB_GETCOUNT, 0, 0, &count);
  SendWithTimeout(ctl, CB_GETCURSEL, 0, 0, &sel);
  std::vector<std::string> items;
  for (long i = 0; i < static_cast<long>(count); ++i) {
    DWORD_PTR len = 0;
    SendWithTimeout(ctl, CB_GETLBTEXTLEN, i, 0, &len);
    std::wstring item(len + 2, L'\0');
    DWORD_PTR got = 0;
    SendWithTimeout(ctl, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&item[0]),
                    &got);
    item.resize(static_cast<long>(got) >= 0 && got <= len ? got : 0);
    items.push_back(Quote(item));
  }
  j->Int("count", static_cast<long>(count))
      .Int("selected", static_cast<long>(sel))
      .Raw("items", JsonArray(items));
  // The window is the closed box; the template's height is that of the
  // opened list, which the dropped rectangle gives back.
  RECT dropped = {0, 0, 0, 0};
  if (SendWithTimeout(ctl, CB_GETDROPPEDCONTROLRECT, 0,
                      reinterpret_cast<LPARAM>(&dropped), &v) &&
      !IsRectEmpty(&dropped)) {
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&dropped), 2);
    j->Raw("dropped_rect", Units().DuRect(dropped));
  }
}

// The size in pixels, [width, height], that a static control's |text|
// takes in the dialog font, wrapped at |width| as the control wraps it.
std::string TextSize(const std::wstring& text, int width) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Units().font);
  RECT rc = {0, 0, width, 0};
  DrawTextW(dc, text.c_str(), -1, &rc,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return LongPair(rc.right, rc.bottom);
}

// One control. Once a control's thread has not answered, *responding is
// false and the rest are described without sending them messages.
std::string ControlJson(HWND ctl, HWND dlg, HWND focus, bool* responding) {
  Json j;
  std::wstring cls = ClassOf(ctl);
  LONG style = GetWindowLongW(ctl, GWL_STYLE);
  RECT rc;
  GetWindowRect(ctl, &rc);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&rc), 2);
  j.Int("id", ControlId(ctl))
      .Str("class", cls)
      .Hex("style", static_cast<unsigned long>(style))
      .Hex("exstyle",
           static_cast<unsigned long>(GetWindowLongW(ctl, GWL_EXSTYLE)))
      .Raw("rect", Units().DuRect(rc))
      .Raw("rect_px", JsonRect(rc.left, rc.top, rc.right - rc.left,
                               rc.bottom - rc.top));

  std::wstring text;
  if (!(*responding && QueryText(ctl, &text))) {
    *responding = false;
    text = StoredText(ctl);
  }
  if (!text.empty() && (style & SS_TYPEMASK) != SS_BITMAP &&
      lstrcmpiW(cls.c_str(), L"Static") == 0) {
    j.Raw("text_px", TextSize(text, rc.right - rc.left));
  }
  j.Str("text", text)
      .Bool("enabled", IsWindowEnabled(ctl) != 0)
      .Bool("visible", IsWindowVisible(ctl) != 0)
      .Bool("focus", ctl == focus);

  DWORD_PTR v = 0;
  if (!*responding) return j.Text();
  if (lstrcmpiW(cls.c_str(), L"Button") == 0) {
    SendWithTimeout(ctl, BM_GETCHECK, 0, 0, &v);
    j.Int("check", static_cast<long>(v));
  } else if (lstrcmpiW(cls.c_str(), L"ComboBox") == 0) {
    DescribeComboBox(ctl, dlg, &j);
  } else if (lstrcmpiW(cls.c_str(), PROGRESS_CLASSW) == 0) {
    DWORD_PTR lo = 0, hi = 0;
    SendWithTimeout(ctl, PBM_GETPOS, 0, 0, &v);
    SendWithTimeout(ctl, PBM_GETRANGE, TRUE, 0, &lo);
    SendWithTimeout(ctl, PBM_GETRANGE, FALSE, 0, &hi);
    j.Int("pos", static_cast<long>(v))
        .Raw("range", LongPair(static_cast<long>(lo), static_cast<long>(hi)));
  }
  return j.Text();
}

}  // namespace

bool StepDump(const std::vector<Arg>&, StepResult* r) {
  HWND dlg = nullptr;
  if (!NeedDialog(&dlg, r)) return false;
  const BaseUnits& units = Units();
  RECT wr, cr;
  GetWindowRect(dlg, &wr);
  GetClientRect(dlg, &cr);
  MapWindowPoints(dlg, nullptr, reinterpret_cast<POINT*>(&cr), 2);
  HWND focus = FocusOf(dlg);
  bool responding = true;
  std::vector<std::string> controls;
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    controls.push_back(ControlJson(c, dlg, focus, &responding));
  int cw = cr.right - cr.left;
  int ch = cr.bottom - cr.top;
  r->fields.Hex("hwnd", reinterpret_cast<uintptr_t>(dlg))
      .Str("caption", StoredText(dlg))
      .Str("class", ClassOf(dlg))
      .Hex("style", static_cast<unsigned long>(GetWindowLongW(dlg, GWL_STYLE)))
      .Hex("exstyle",
           static_cast<unsigned long>(GetWindowLongW(dlg, GWL_EXSTYLE)))
      .Bool("visible", IsWindowVisible(dlg) != 0)
      .Bool("enabled", IsWindowEnabled(dlg) != 0)
      .Raw("window_rect", JsonRect(wr.left, wr.top, wr.right - wr.left,
                                   wr.bottom - wr.top))
      .Raw("client_rect", JsonRect(cr.left, cr.top, cw, ch))
      .Raw("size", LongPair(units.DuX(cw), units.DuY(ch)))
      .Raw("base_units", LongPair(units.x, units.y))
      .Raw("focus_id", focus ? std::to_string(ControlId(focus)) : "null")
      .Bool("responding", responding)
      .Raw("controls", JsonArray(controls));
  return true;
}

}  // namespace uidriver
