// The settings dialog's engine editing: the Add / Modify group and Delete item.
#include "SettingFormPrivate.h"

#include "ErrorBox.h"

namespace kf {

namespace {
const char kDeleteQuestion[] = "Delete selected item?";
}  // namespace

void TSettingForm::EnableRule() {
  const std::string name = WindowText(Control(NameEdit));
  const std::string url = WindowText(Control(URLEdit));
  bool add = false;
  bool modify = false;
  if (!name.empty() && !url.empty()) {
    const bool listed = FCheckList.IndexOfIgnoreCase(name) >= 0;
    add = !listed;
    modify = listed;
  }
  EnableWindow(Control(AddButton), add);
  EnableWindow(Control(ModifyButton), modify);
}

void TSettingForm::SetEditText(SettingControl id, const std::string& text) {
  // Setting the text it already has changes nothing and runs no handler.
  if (WindowText(Control(id)) != text)
    SetWindowTextA(Control(id), text.c_str());
}

void TSettingForm::SetTooltip(SettingControl id, const std::string& text) {
  TTTOOLINFOA tool = {};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.hwnd = FHandle;
  tool.uId = reinterpret_cast<UINT_PTR>(Control(id));
  tool.lpszText = const_cast<LPSTR>(text.c_str());
  SendMessageA(FTooltip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

void TSettingForm::NameEditChange() {
  SetTooltip(NameEdit, WindowText(Control(NameEdit)));
  EnableRule();
}

void TSettingForm::URLEditChange() {
  SetTooltip(URLEdit, WindowText(Control(URLEdit)));
  EnableRule();
}

std::string TSettingForm::SelectedEncoding() const {
  for (const EncodingButton& button : kEncodingButtons) {
    if (IsChecked(Control(button.id)))
      return button.encode;
  }
  return "euc";
}

void TSettingForm::RadioButtonClick(SettingControl id) {
  for (const EncodingButton& button : kEncodingButtons)
    SetCheck(Control(button.id), button.id == id);
}

void TSettingForm::SelectEncoding(const std::string& encode) {
  // Only the exact values show their own button; anything else (missing,
  // "SJIS", "UTF-8") shows EUC, as it always has.
  SettingControl id = eucRadioButton;
  if (encode == "sjis")
    id = sjisRadioButton;
  else if (encode == "utf8")
    id = utf8RadioButton;
  RadioButtonClick(id);
}

void TSettingForm::AddButtonClick() {
  TDataFolder* folder = SelectedFolder();
  if (!folder)
    return;
  const std::string name = WindowText(Control(NameEdit));
  const std::string url = WindowText(Control(URLEdit));
  try {
    if (!CreateEngine(*folder, name, url, SelectedEncoding()))
      return;
    folder->Engines.clear();
    LoadEngines(folder->Path, folder->Engines);
    ShowEngines(folder->Engines);
    const int index = FCheckList.IndexOfIgnoreCase(name);
    // A name leading into a subfolder wrote its file there: it is not listed.
    if (index < 0)
      throw Error("List index out of bounds (-1)");
    FCheckList.Select(index);
  } catch (...) {
    ShowCurrentException(FHandle);
  }
}

void TSettingForm::ModifyButtonClick() {
  TDataFolder* folder = nullptr;
  TData* engine = SelectedEngine(&folder);
  if (!engine)
    return;
  try {
    ModifyEngine(*folder, *engine, WindowText(Control(NameEdit)), WindowText(Control(URLEdit)), SelectedEncoding());
  } catch (...) {
    ShowCurrentException(FHandle);
  }
  folder->Engines.clear();
  LoadEngines(folder->Path, folder->Engines);
  ShowEngines(folder->Engines);
}

void TSettingForm::DeleteButtonClick() {
  if (FCheckList.Selected() < 0 || !SelectedFolder())
    return;
  if (!Confirm(FHandle, kDeleteQuestion))
    return;
  // The question box may have let anything happen meanwhile: look again.
  TDataFolder* folder = nullptr;
  TData* engine = SelectedEngine(&folder);
  if (!engine)
    return;
  DeleteEngine(*folder, *engine);
  folder->Engines.erase(folder->Engines.begin() + (engine - folder->Engines.data()));
  ShowEngines(folder->Engines);
}

void TSettingForm::ClearButtonClick() {
  SetEditText(NameEdit, std::string());
  SetEditText(URLEdit, std::string());
  RadioButtonClick(sjisRadioButton);
}

}  // namespace kf
