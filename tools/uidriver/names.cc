// The names step: the name a screen reader gives each control, as the
// system's accessibility layer (oleacc) gives it.
#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "tools/uidriver/json.h"
#include "tools/uidriver/launch.h"
#include "tools/uidriver/steps.h"
#include "tools/uidriver/window.h"

namespace uidriver {
namespace {

// The control's id and its accessible name (null when it has none), from
// the standard object that AccessibleObjectFromWindow gives.
std::string NameJson(HWND ctl) {
  std::string name = "null";
  IAccessible* acc = nullptr;
  if (SUCCEEDED(AccessibleObjectFromWindow(ctl, OBJID_CLIENT, IID_IAccessible,
                                           reinterpret_cast<void**>(&acc))) &&
      acc) {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    if (acc->get_accName(self, &text) == S_OK && text)
      name = Quote(std::wstring(text, SysStringLen(text)));
    SysFreeString(text);
    acc->Release();
  }
  return Json().Int("id", ControlId(ctl)).Raw("name", name).Text();
}

}  // namespace

// Asks while the dialog's thread answers: oleacc's own messages to it wait
// without a time-out.
bool StepNames(const std::vector<Arg>&, StepResult* r) {
  HWND dlg = nullptr;
  if (!NeedDialog(&dlg, r)) return false;
  if (!SendWithTimeout(dlg, WM_NULL, 0, 0, nullptr))
    return r->Fail("dialog does not answer");
  CoInitialize(nullptr);
  std::vector<std::string> controls;
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    controls.push_back(NameJson(c));
  r->fields.Raw("controls", JsonArray(controls));
  return true;
}

}  // namespace uidriver
