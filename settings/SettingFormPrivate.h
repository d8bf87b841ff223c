// The settings dialog's form, shared by the files that hold its handlers:
// SettingForm.cpp (the form's life and window), SettingFormTree.cpp (tree and
// list), SettingFormEditing.cpp (engine editing), SettingFormFolders.cpp
// (folders and drag-and-drop) and SettingFormKeyboard.cpp (keyboard).
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "CheckList.h"
#include "EngineStore.h"
#include "Handles.h"
#include "SettingLayout.h"

namespace kf {

// The library this code is linked into: its window classes and resources
// belong to it, not to the host's executable.
HINSTANCE SettingsModule();

// Image list indexes of the folder icons.
constexpr int kClosedFolder = 0;
constexpr int kOpenFolder = 1;
constexpr int kPaleClosedFolder = 2;
constexpr int kPaleOpenFolder = 3;

constexpr int kDefaultFolderWidth = 130;
constexpr int kTreeIndent = 19;
constexpr int kItemHeight = 12;
constexpr int kFontHeight = 12;
constexpr int kMinSplitPane = 8;

// Work the keyboard hook hands to the form (posted, so that it runs in the
// form's own dispatch and not inside somebody's GetMessage).
constexpr UINT WM_KF_KEYACTION = WM_APP + 102;
enum KeyAction : WPARAM {
  kKeyUp = 1,      // lParam: virtual key released (key preview)
  kEscape = 2,     // close as the close box does
  kMnemonic = 3,   // lParam: control id whose mnemonic was typed
  kPressButton = 4,  // lParam: control id of the focused push button
  kTreeKeyUp = 5,    // lParam: virtual key released in the tree
  kTreeMenu = 6,     // the context-menu key or Shift+F10 in the tree
};

// The encoding buttons, in the order the arrow keys go through them, and
// the value of "encode" each one writes.
struct EncodingButton {
  SettingControl id;
  const char* encode;
};
constexpr EncodingButton kEncodingButtons[] = {
    {sjisRadioButton, "sjis"},
    {eucRadioButton, "euc"},
    {utf8RadioButton, "utf8"},
};

// The text of a window.
std::string WindowText(HWND hwnd);
bool IsChecked(HWND button);
void SetCheck(HWND button, bool checked);

class TSettingForm {
 public:
  TSettingForm(const std::string& iniPath, const std::string& rootDir);
  ~TSettingForm();
  TSettingForm(const TSettingForm&) = delete;
  TSettingForm& operator=(const TSettingForm&) = delete;

  void Show();
  HWND Handle() const { return FHandle; }
  // Keyboard handling of a dialog, for the host's plain message loop; may
  // turn the message into WM_NULL.
  void PreviewMessage(MSG& msg);

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void CreateResources();
  // Destroys the window and frees its images and icons; safe to repeat.
  void ReleaseWindow();
  void Layout();

  // Part of the form's life.
  void FormCreate();
  void FormShow();
  void FormClose();
  void FormKeyUp(UINT key);

  // Tree and list.
  void ReloadTree();
  void LoadFolders(const std::string& dir, HTREEITEM parent);
  void LoadEngines(const std::string& dir, std::vector<TData>& list);
  void ShowEngines(const std::vector<TData>& list);
  void SelectRoot();
  HTREEITEM AddFolderNode(HTREEITEM parent, TDataFolder& folder, bool hidden);
  TDataFolder* FolderOf(HTREEITEM item) const;
  TDataFolder* SelectedFolder() const;
  TData* SelectedEngine(TDataFolder** folder);
  void SetFolderImages(HTREEITEM item, bool hidden);
  void SetTreeReadOnly(bool readOnly);

  void TreeView1Change(HTREEITEM item);
  LRESULT TreeView1Notify(const NMHDR& header);
  void CheckListBox1Click();
  void CheckListBox1ClickCheck();
  void CheckListBox1KeyUp(UINT key);
  void FolderButtonClick();
  void HelpButtonClick();
  void Label7Click();
  void CloseButtonClick();
  void DrawLink(const DRAWITEMSTRUCT& item) const;

  // Engine editing.
  void EnableRule();
  void NameEditChange();
  void URLEditChange();
  void AddButtonClick();
  void ModifyButtonClick();
  void DeleteButtonClick();
  void ClearButtonClick();
  void RadioButtonClick(SettingControl id);
  void SelectEncoding(const std::string& encode);
  std::string SelectedEncoding() const;
  void SetEditText(SettingControl id, const std::string& text);
  void SetTooltip(SettingControl id, const std::string& text);

  // Folders and drag-and-drop.
  enum TreeMenuItem : UINT { AddFolder = 2001, DeleteFolder = 2002 };
  enum class DragSource { None, Tree, List };
  void CreateFolderCommands();
  void RebuildAndSelectRoot();
  void PopupMenu1Popup();
  void ShowTreeMenu(POINT screen);
  void ShowTreeMenuAtSelection();  // the context-menu key and Shift+F10
  void RunTreeMenuCommand(UINT command);
  void AddFolderClick();
  void DeleteFolderClick();
  // Whether a label edit may start on item.
  bool TreeView1Editing(HTREEITEM item);
  // Whether the node takes the edited text (the folder was renamed).
  bool TreeView1Edited(HTREEITEM item, const std::string& text);
  void FollowParentPath(HTREEITEM parentItem);
  void TreeView1KeyUp(UINT key);
  void TreeView1MouseDown(POINT client);
  void TreeView1StartDrag(HTREEITEM item, POINT client);
  void CheckListBox1StartDrag();
  void BeginDrag(DragSource source);
  HWND DragSourceWindow() const;
  void EndDrag();  // by a drop or cancelled: timer, capture and feedback released
  // Maps point from a window into the tree; true when it lies inside.
  bool PointInTree(HWND from, POINT& point) const;
  void DragMove(HWND from, POINT point);
  void TreeView1DragOver(int x, int y);
  void DropAt(HWND from, POINT point);
  void TreeView1DragDrop(DragSource source, int x, int y);
  void MoveEngineTo(const std::string& name, const TDataFolder& from, const TDataFolder& to);
  void Timer1Timer();
  static LRESULT CALLBACK DragSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR self);
  bool DragMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // Keyboard.
  void FocusNext(bool backwards);
  void RunMnemonic(SettingControl id);
  void MoveRadio(bool forward);
  int RowOfFocus() const;
  bool IsTreeLabelEditor(HWND hwnd) const;

  HWND Control(SettingControl id) const { return FControls[id]; }
  int MinWidth() const { return Scale(kDesignWidth, FDpi); }
  int MinHeight() const { return Scale(kDesignHeight, FDpi); }

  std::string FIniPath;
  std::string FRootDir;
  std::string FHelpFile;
  std::vector<HTREEITEM> FFolderItems;
  // Owners of the folders behind FFolderItems, discarded at each rebuild.
  std::vector<std::unique_ptr<TDataFolder>> FFolders;
  int FDragX = 0;
  int FDragY = 0;
  bool FMouseMoved = false;
  bool FSkipEnter = false;
  DragSource FDragSource = DragSource::None;
  bool FListPressed = false;  // an item of the list is pressed, no drag yet
  POINT FListPress = {0, 0};
  // The Enter key went down in the label editor: its release is not the tree's.
  bool FEditorEnter = false;
  MenuHandle PopupMenu1;

  int FDpi = 96;
  int FFolderWidth = 0;
  bool FTreeReadOnly = false;
  bool FReloading = false;
  HWND FLastFocus = nullptr;
  GdiObject FFont;
  mutable GdiObject FLinkFont;  // made when first drawn, if the address needs it
  HICON FIcon = nullptr;
  HICON FSmallIcon = nullptr;
  HIMAGELIST FImages = nullptr;
  HWND FTooltip = nullptr;
  SettingControls FControls;
  CheckList FCheckList;
  HWND FHandle = nullptr;
};

}  // namespace kf
