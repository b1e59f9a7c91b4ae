#include "ui/platform/win32/win32_accessibility.h"

// The GUIDs of oleacc.h, defined here rather than taken from an import library.
#include <initguid.h>
// After windows.h and initguid.h, whose types and macros they use.
#include <ole2.h>
#include <oleacc.h>

#include <string>

#include "ui/platform/win32/win32_window.h"

namespace platform::win32 {

AccessibleNames::~AccessibleNames() {
  clear();
}

bool AccessibleNames::name(HWND control, std::u16string_view text) {
  if (!started_) {
    started_ = true;
    // A thread that runs COM already (in either model) is fine as it is.
    comStarted_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&services_)))) {
      services_ = nullptr;
    }
  }
  if (services_ == nullptr) return false;
  const std::wstring wide = toWide(text);
  if (FAILED(services_->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                       PROPID_ACC_NAME, wide.c_str()))) {
    return false;
  }
  named_.push_back(control);
  return true;
}

void AccessibleNames::clear() {
  if (services_ != nullptr) {
    const MSAAPROPID props[] = {PROPID_ACC_NAME};
    for (const HWND control : named_)
      services_->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, props, 1);
    services_->Release();
    services_ = nullptr;
  }
  named_.clear();
  if (comStarted_) CoUninitialize();
  comStarted_ = false;
  started_ = false;
}

}  // namespace platform::win32
