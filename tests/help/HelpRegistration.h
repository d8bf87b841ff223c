// The HTML Help control's registration in the build's Wine prefix, changed
// for one test and put back as it was when the object ends.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kft {

class HelpControlRegistration {
 public:
  HelpControlRegistration() {
    HKEY key = Open();
    if (!key)
      return;
    DWORD size = 0;
    if (RegQueryValueExA(key, nullptr, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
      data_.resize(size);
      saved_ = RegQueryValueExA(key, nullptr, nullptr, &type_, data_.data(), &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
  }
  ~HelpControlRegistration() {
    if (saved_)
      Write(type_, data_);
  }
  HelpControlRegistration(const HelpControlRegistration&) = delete;
  HelpControlRegistration& operator=(const HelpControlRegistration&) = delete;

  // The value as the prefix registers it (Wine: C:\windows\system32\hhctrl.ocx).
  bool Saved() const { return saved_; }
  std::string Original() const { return saved_ ? std::string(reinterpret_cast<const char*>(data_.data())) : ""; }

  bool Remove() {
    HKEY key = Open();
    if (!key)
      return false;
    const bool ok = RegDeleteValueA(key, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
  }
  bool Set(DWORD type, const std::string& text) {
    std::vector<BYTE> data(text.begin(), text.end());
    data.push_back(0);
    return Write(type, data);
  }
  bool SetDword(DWORD value) {
    const BYTE* p = reinterpret_cast<const BYTE*>(&value);
    return Write(REG_DWORD, std::vector<BYTE>(p, p + sizeof value));
  }

 private:
  static HKEY Open() {
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{adb880a6-d8ff-11cf-9377-00aa003b7a11}\\InprocServer32", 0,
                  KEY_READ | KEY_WRITE, &key);
    return key;
  }
  static bool Write(DWORD type, const std::vector<BYTE>& data) {
    HKEY key = Open();
    if (!key)
      return false;
    const bool ok = RegSetValueExA(key, nullptr, 0, type, data.data(), static_cast<DWORD>(data.size())) ==
                    ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
  }

  DWORD type_ = 0;
  std::vector<BYTE> data_;
  bool saved_ = false;
};

}  // namespace kft
