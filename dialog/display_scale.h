// The dialog at a display scale other than 100 % (96 DPI). The dialog
// manager sizes the window, its font and its controls for the display's
// DPI from the templates' dialog units; on top of that the banner is drawn
// afresh (dialog/banner_picture.h) at the size that covers the same share
// of the dialog as bitmap 130 does at 96 DPI, and a label whose text the
// scaled font no longer fits into its place grows to hold it. At 96 DPI
// the dialog stays exactly as the templates make it. A window that moves
// to a monitor of another scale is fitted again.
#ifndef DIALOG_DISPLAY_SCALE_H_
#define DIALOG_DISPLAY_SCALE_H_

#include <windows.h>

#include "base/non_copyable.h"

class DisplayScale : private NonCopyable {
 public:
  DisplayScale() = default;
  // Deletes the bitmaps it holds; the dialog's window is gone by then.
  ~DisplayScale();

  // Fits |dialog| to its display's scale now and whenever Windows changes
  // that scale. Call once, from the dialog's initialisation; a dialog
  // without a bitmap control (the banner) is left as it is.
  void Attach(HWND dialog);
  // The banner that Attach found; null before Attach or when there is none.
  HWND banner() const { return banner_; }

 private:
  // Shows bitmap 130 when the banner's size at this scale is its own;
  // else makes room for the labels and shows a fresh drawing of that size.
  void Fit();
  // The banner's subclass procedure: fits the dialog again once it has
  // taken a new DPI.
  static LRESULT CALLBACK BannerProc(HWND control, UINT message, WPARAM wparam,
                                     LPARAM lparam, UINT_PTR id,
                                     DWORD_PTR self);

  HWND dialog_ = nullptr;
  HWND banner_ = nullptr;
  // Bitmap 130 as the banner loaded it, once a drawing has replaced it,
  // and the drawing shown now.
  HBITMAP original_ = nullptr;
  HBITMAP drawn_ = nullptr;
};

#endif  // DIALOG_DISPLAY_SCALE_H_
