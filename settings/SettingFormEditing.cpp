// The settings dialog's engine editing: the Add / Modify group and Delete item.
#include "SettingFormPrivate.h"

#include "ErrorBox.h"
#include "Path.h"
#include "WindowText.h"

namespace kf {

namespace {
const char kDeleteQuestion[] = "Delete selected item?";
}  // namespace

void SettingForm::UpdateAddModifyButtons() {
  const std::string name = WindowText(Control(kNameEdit));
  const std::string url = WindowText(Control(kUrlEdit));
  bool add = false;
  bool modify = false;
  if (!name.empty() && !url.empty()) {
    const bool listed = engineList_.IndexOfIgnoreCase(name) >= 0;
    add = !listed;
    modify = listed;
  }
  EnableWindow(Control(kAddButton), add);
  EnableWindow(Control(kModifyButton), modify);
}

void SettingForm::SetEditText(ControlId id, const std::string& text) {
  // Setting the text it already has changes nothing and runs no handler.
  if (WindowText(Control(id)) != text)
    SetWindowTextA(Control(id), text.c_str());
}

void SettingForm::SetTooltip(ControlId id, const std::string& text) {
  TTTOOLINFOA tool = {};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(Control(id));
  tool.lpszText = const_cast<LPSTR>(text.c_str());
  SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

void SettingForm::OnNameChanged() {
  SetTooltip(kNameEdit, WindowText(Control(kNameEdit)));
  UpdateAddModifyButtons();
}

void SettingForm::OnUrlChanged() {
  SetTooltip(kUrlEdit, WindowText(Control(kUrlEdit)));
  UpdateAddModifyButtons();
}

std::string SettingForm::CheckedEncoding() const {
  for (const EncodingButton& button : kEncodingButtons) {
    if (IsChecked(Control(button.id)))
      return button.encode;
  }
  return "euc";
}

void SettingForm::CheckEncodingButton(ControlId id) {
  for (const EncodingButton& button : kEncodingButtons)
    SetCheck(Control(button.id), button.id == id);
}

void SettingForm::ShowEncoding(const std::string& encode) {
  // Only the exact values show their own button; anything else (missing,
  // "SJIS", "UTF-8") shows EUC.
  ControlId id = kEucRadio;
  if (encode == "sjis")
    id = kSjisRadio;
  else if (encode == "utf8")
    id = kUtf8Radio;
  CheckEncodingButton(id);
}

void SettingForm::OnAddClicked() {
  FolderNode* folder = SelectedFolder();
  if (!folder)
    return;
  const std::string name = WindowText(Control(kNameEdit));
  const std::string url = WindowText(Control(kUrlEdit));
  try {
    if (!CreateEngine(folder->path, name, url, CheckedEncoding()))
      return;
    folder->engines.clear();
    ReadEngines(folder->path, folder->engines);
    FillEngineList(folder->engines);
    const int index = engineList_.IndexOfIgnoreCase(name);
    // A name leading into a subfolder wrote its file there: it is not listed.
    if (index < 0)
      throw Error("List index out of bounds (-1)");
    engineList_.Select(index);
  } catch (...) {
    ShowCurrentException(hwnd_);
  }
}

void SettingForm::OnModifyClicked() {
  FolderNode* folder = nullptr;
  EngineRecord* engine = SelectedEngine(&folder);
  if (!engine)
    return;
  try {
    ModifyEngine(folder->path, engine->fileName, WindowText(Control(kNameEdit)), WindowText(Control(kUrlEdit)),
                 CheckedEncoding());
  } catch (...) {
    ShowCurrentException(hwnd_);
  }
  folder->engines.clear();
  ReadEngines(folder->path, folder->engines);
  FillEngineList(folder->engines);
}

void SettingForm::OnDeleteEngineClicked() {
  if (engineList_.Selected() < 0 || !SelectedFolder())
    return;
  if (!Confirm(hwnd_, kDeleteQuestion))
    return;
  // The question box may have let anything happen meanwhile: look again.
  FolderNode* folder = nullptr;
  EngineRecord* engine = SelectedEngine(&folder);
  if (!engine)
    return;
  DeleteEngine(JoinPath(folder->path, engine->fileName));
  folder->engines.erase(folder->engines.begin() + (engine - folder->engines.data()));
  FillEngineList(folder->engines);
}

void SettingForm::OnClearClicked() {
  SetEditText(kNameEdit, std::string());
  SetEditText(kUrlEdit, std::string());
  CheckEncodingButton(kSjisRadio);
}

}  // namespace kf
