// The settings dialog's engine editing: the Add / Modify group and Delete item.
#include "SettingFormPrivate.h"

#include "AsciiText.h"
#include "BrowserSettings.h"
#include "ErrorBox.h"
#include "FileDialogs.h"
#include "OptionsWindow.h"
#include "Path.h"
#include "PluginSettings.h"
#include "Profile.h"
#include "SearchAddress.h"
#include "SettingTextIds.h"
#include "TextIds.h"
#include "UiText.h"
#include "WindowText.h"

namespace kf {

std::string NameProblemText(NameProblem problem, const std::string& name) {
  switch (problem) {
    case NameProblem::None:
      return std::string();
    case NameProblem::Empty:
      return UiText(IDS_NAME_EMPTY);
    case NameProblem::BadCharacter:
      return UiText(IDS_NAME_BAD_CHARACTER, {name});
    case NameProblem::BadEnd:
      return UiText(IDS_NAME_BAD_END, {name});
    case NameProblem::Reserved:
      return UiText(IDS_NAME_RESERVED, {name});
  }
  return std::string();
}

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
  EnableWindow(Control(kTestButton), !url.empty());
}

void SettingForm::SetEditText(ControlId id, const std::string& text) {
  // Setting the text it already has changes nothing and runs no handler.
  if (WindowText(Control(id)) != text)
    SetWindowTextA(Control(id), text.c_str());
}

void SettingForm::SetTooltip(ControlId id, const std::string& text) {
  TTTOOLINFOA tool = {};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.hwnd = Hwnd();
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

ControlId EncodingButtonOf(const std::string& encode) {
  switch (EncodingOfValue(encode)) {
    case Encoding::EucJp:
      return kEucRadio;
    case Encoding::Utf8:
      return kUtf8Radio;
    case Encoding::ShiftJis:
      break;
  }
  return kSjisRadio;
}

std::string SettingForm::CheckedEncoding() const {
  for (const EncodingButton& button : kEncodingButtons) {
    if (IsChecked(Control(button.id)))
      return button.encode;
  }
  return kEncodingButtons[0].encode;
}

void SettingForm::CheckEncodingButton(ControlId id) {
  for (const EncodingButton& button : kEncodingButtons)
    SetCheck(Control(button.id), button.id == id);
}

void SettingForm::ShowEncoding(const std::string& encode) {
  // The button of the encoding the search uses, so that Modify with the
  // buttons untouched never changes how the engine searches.
  CheckEncodingButton(EncodingButtonOf(encode));
}

namespace {

// Why the store cannot hold a value of an engine file as it is, or "".
std::string StoredValueProblem(const std::string& value, UINT tooLong, UINT controlCharacter) {
  switch (CheckEngineUrl(value)) {
    case UrlProblem::TooLong:
      return UiText(tooLong, {std::to_string(value.size()), std::to_string(kMaxProfileValue)});
    case UrlProblem::ControlCharacter:
      return UiText(controlCharacter);
    case UrlProblem::None:
      break;
  }
  return std::string();
}

}  // namespace

bool SettingForm::ReadSearchFields(EngineFields& fields) {
  std::string& url = fields.url;
  url = std::string(TrimSpaces(WindowText(Control(kUrlEdit))));
  fields.post = IsChecked(Control(kPostRadio));
  fields.postBody = fields.post ? std::string(TrimSpaces(WindowText(Control(kFormFieldsEdit)))) : std::string();
  std::string problem = StoredValueProblem(url, IDS_URL_TOO_LONG, IDS_URL_CONTROL_CHARACTER);
  // The word from a mail must never pick the file or program a file: or
  // shell: address starts.
  if (problem.empty() && CheckTemplate(url, IsAnsiLeadByte) == AddressRefusal::PathSchemeWithWord)
    problem = UiText(IDS_TEMPLATE_PATH_SCHEME, {url.substr(0, url.find(':'))});
  if (problem.empty() && fields.post)
    problem = StoredValueProblem(fields.postBody, IDS_FORM_TOO_LONG, IDS_FORM_CONTROL_CHARACTER);
  // A form is posted only to a web address: the browser would take any
  // other action for a file or a program of the user's.
  if (problem.empty() && fields.post && !IsWebAddress(url))
    problem = UiText(IDS_FORM_ACTION_NOT_WEB, {url});
  fields.browser = std::string(TrimSpaces(WindowText(Control(kBrowserEdit))));
  if (problem.empty())
    problem = BrowserPathProblem(fields.browser);
  if (!problem.empty()) {
    // The fields stay as typed, for the user to mend.
    ShowErrorBox(Hwnd(), problem);
    return false;
  }
  // What is shown is what is stored.
  SetEditText(kUrlEdit, url);
  if (fields.post)
    SetEditText(kFormFieldsEdit, fields.postBody);
  SetEditText(kBrowserEdit, fields.browser);
  fields.encode = CheckedEncoding();
  // The file says "private" only where the setting for every engine would
  // not already give what the box shows.
  const bool privateWindow = IsChecked(Control(kPrivateCheck));
  if (privateWindow)
    fields.privateWindow = "1";
  else if (PrivateForEveryEngine())
    fields.privateWindow = "0";
  return true;
}

bool SettingForm::ReadEngineFields(std::string& name, EngineFields& fields) {
  name = WindowText(Control(kNameEdit));
  const std::string problem = NameProblemText(CheckEntryName(name), name);
  if (!problem.empty()) {
    ShowErrorBox(Hwnd(), problem);
    return false;
  }
  if (!ReadSearchFields(fields))
    return false;
  fields.favourite = IsChecked(Control(kFavouriteCheck));
  fields.accessKey = AccessKeyOf(WindowText(Control(kAccessKeyEdit)));
  SetEditText(kAccessKeyEdit, fields.accessKey ? std::string(1, fields.accessKey) : std::string());
  return true;
}

void SettingForm::RereadEngines(FolderNode& folder) {
  folder.engines = ListStoreFolder(folder.path, true).engines;
  FillEngineList(folder.engines);
  UpdateAddModifyButtons();
}

void SettingForm::OnAddClicked() {
  FolderNode* folder = SelectedFolder();
  std::string name;
  EngineFields fields;
  if (!folder || !ReadEngineFields(name, fields))
    return;
  try {
    // An engine of that name that appeared since the folder was read is left
    // as it is; the list then shows it, and offers Modify for it.
    CreateEngine(folder->path, name, fields);
  } catch (...) {
    ShowCurrentException(Hwnd());
  }
  RereadEngines(*folder);
  const int index = engineList_.IndexOfIgnoreCase(name);
  if (index >= 0)
    engineList_.Select(index);
}

void SettingForm::OnModifyClicked() {
  FolderNode* folder = nullptr;
  StoreEntry* engine = SelectedEngine(&folder);
  std::string name;
  EngineFields fields;
  if (!engine || !ReadEngineFields(name, fields))
    return;
  const std::string before = JoinPath(folder->path, engine->name);
  try {
    ModifyEngine(folder->path, engine->name, name, fields);
  } catch (...) {
    ShowCurrentException(Hwnd());
  }
  // Renamed, even where a later write failed.
  FollowInRecent(before, JoinPath(folder->path, name + ".ini"));
  RereadEngines(*folder);
}

void SettingForm::OnDeleteEngineClicked() {
  FolderNode* folder = nullptr;
  const StoreEntry* engine = SelectedEngine(&folder);
  if (!engine)
    return;
  const std::string fileName = engine->name;
  if (!Confirm(Hwnd(), UiText(IDS_DELETE_ENGINE_QUESTION, {ExtractEngineName(fileName)})))
    return;
  // The question box may have let anything happen meanwhile: delete only
  // the engine the question named.
  engine = SelectedEngine(&folder);
  if (!engine || engine->name != fileName)
    return;
  try {
    DeleteEngine(Hwnd(), JoinPath(folder->path, fileName));
  } catch (...) {
    ShowCurrentException(Hwnd());
  }
  RereadEngines(*folder);
}

void SettingForm::OnClearClicked() {
  SetEditText(kNameEdit, std::string());
  SetEditText(kUrlEdit, std::string());
  CheckEncodingButton(kNewEngineEncoding);
  SetCheck(Control(kFavouriteCheck), false);
  SetEditText(kAccessKeyEdit, std::string());
  ShowMethod(false, std::string());
  SetCheck(Control(kPrivateCheck), PrivateForEveryEngine());
  SetEditText(kBrowserEdit, std::string());
}

bool SettingForm::PrivateForEveryEngine() const { return IsPluginSettingOn(iniPath_, kPrivateSetting); }

void SettingForm::OnBrowseClicked() {
  std::string path(TrimSpaces(WindowText(Control(kBrowserEdit))));
  if (ChooseProgram(Hwnd(), path))
    SetEditText(kBrowserEdit, path);
}

void SettingForm::OnOptionsClicked() {
  try {
    if (!ShowOptionsWindow(Hwnd(), iniPath_))
      return;
  } catch (...) {
    ShowCurrentException(Hwnd());
    return;
  }
  // An engine whose file does not say follows the setting just made.
  FolderNode* folder = nullptr;
  const StoreEntry* engine = SelectedEngine(&folder);
  if (!engine)
    return;
  const std::string value = ReadEngineValue(JoinPath(folder->path, engine->name), kPrivateKey, std::string());
  if (value != "1" && value != "0")
    SetCheck(Control(kPrivateCheck), PrivateForEveryEngine());
}

void SettingForm::ShowMethod(bool post, const std::string& formFields) {
  SetCheck(Control(kGetRadio), !post);
  SetCheck(Control(kPostRadio), post);
  SetEditText(kFormFieldsEdit, formFields);
  EnableWindow(Control(kFormFieldsEdit), post);
}

void SettingForm::OnMethodClicked() {
  ShowMethod(IsChecked(Control(kPostRadio)), WindowText(Control(kFormFieldsEdit)));
}

void SettingForm::OnTestClicked() {
  EngineFields fields;
  if (!tester_ || !ReadSearchFields(fields))
    return;
  EngineDefinition engine;
  engine.urlTemplate = fields.url;
  engine.encoding = EncodingOfValue(fields.encode);
  engine.post = fields.post;
  engine.postTemplate = fields.postBody;
  engine.browser =
      ReadBrowserChoice(IsChecked(Control(kPrivateCheck)) ? "1" : "0", fields.browser, iniPath_);
  tester_(Hwnd(), engine);
}

}  // namespace kf
