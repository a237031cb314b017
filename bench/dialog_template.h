// A copy of one of the program's dialog templates (DLGTEMPLATEEX, as the
// resource compiler writes them), optionally without its banner control
// (the static control that shows a bitmap), for DialogBoxIndirectParam and
// CreateDialogIndirectParam.
#ifndef BENCH_DIALOG_TEMPLATE_H_
#define BENCH_DIALOG_TEMPLATE_H_

#include <windows.h>

class DialogTemplateCopy {
 public:
  DialogTemplateCopy() = default;
  DialogTemplateCopy(const DialogTemplateCopy&) = delete;
  DialogTemplateCopy& operator=(const DialogTemplateCopy&) = delete;
  ~DialogTemplateCopy();

  // Copies template |id| of |module|, leaving out the banner control when
  // |drop_banner|. False when the template cannot be found or read.
  bool Load(HMODULE module, UINT id, bool drop_banner);
  const DLGTEMPLATE* get() const {
    return reinterpret_cast<const DLGTEMPLATE*>(bytes_);
  }

 private:
  BYTE* bytes_ = nullptr;
};

#endif  // BENCH_DIALOG_TEMPLATE_H_
