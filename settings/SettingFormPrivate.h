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
#include "FolderNode.h"
#include "Handles.h"
#include "Path.h"
#include "SettingLayout.h"
#include "TreeDrag.h"

namespace kf {

// Image list indexes of the folder icons.
constexpr int kClosedFolder = 0;
constexpr int kOpenFolder = 1;
constexpr int kPaleClosedFolder = 2;
constexpr int kPaleOpenFolder = 3;

constexpr int kDefaultTreeWidth = 130;
constexpr int kTreeIndent = 19;
constexpr int kItemHeight = 12;
constexpr int kFontHeight = 12;
constexpr int kMinSplitPane = 8;

// Work the keyboard hook hands to the form (posted, so that it runs in the
// form's own dispatch and not inside somebody's GetMessage).
constexpr UINT WM_KF_KEYACTION = WM_APP + 102;
enum KeyAction : WPARAM {
  kPreviewKeyUp = 1,  // lParam: virtual key released (F1, F5)
  kPressButton = 2,   // lParam: control id of the focused push button
  kTreeKeyUp = 3,     // lParam: virtual key released in the tree
  kTreeMenuKey = 4,   // the context-menu key or Shift+F10 in the tree
};

// The encoding buttons, in the order the arrow keys go through them, and
// the value of "encode" each one writes.
struct EncodingButton {
  ControlId id;
  const char* encode;
};
constexpr EncodingButton kEncodingButtons[] = {
    {kSjisRadio, "sjis"},
    {kEucRadio, "euc"},
    {kUtf8Radio, "utf8"},
};

// The button that shows a value of "encode": the encoding the search uses
// for it (exactly "euc" or "utf8", anything else Shift-JIS).
ControlId EncodingButtonOf(const std::string& encode);

// Why a name cannot be used, as the user reads it; "" for none.
std::string NameProblemText(NameProblem problem, const std::string& name);

bool IsChecked(HWND button);
void SetCheck(HWND button, bool checked);

class SettingForm {
 public:
  SettingForm(const std::string& iniPath, const std::string& rootDir);
  ~SettingForm();
  SettingForm(const SettingForm&) = delete;
  SettingForm& operator=(const SettingForm&) = delete;

  void Show();
  HWND Handle() const { return hwnd_; }
  // The dialog's keyboard, for a host whose message loop knows nothing of
  // dialogs; may turn the message into WM_NULL when it has been dealt with.
  void PreviewMessage(MSG& msg);

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void OnCommand(ControlId id, UINT code);
  void CreateResources();
  void CreateTooltips();
  // Destroys the window; safe to repeat.
  void ReleaseWindow();
  void Layout();
  void OnSplitterMoved(int wantedTreeWidth);

  // The form's life.
  void RestoreGeometry();
  void SaveGeometry();
  void Close();
  void OnPreviewKeyUp(UINT key);
  void OnHelpClicked();
  void OnHomepageClicked();
  void DrawHomepageLink(const DRAWITEMSTRUCT& item) const;

  // Tree and list.
  void ReloadTree();
  void AddFolderNodes(const std::string& dir, HTREEITEM parent);
  void FillEngineList(const std::vector<EngineRecord>& list);
  void SelectRoot();
  HTREEITEM AddFolderNode(HTREEITEM parent, FolderNode& folder, bool hidden);
  FolderNode* FolderOf(HTREEITEM item) const;
  FolderNode* SelectedFolder() const;
  EngineRecord* SelectedEngine(FolderNode** folder);
  void SetFolderImages(HTREEITEM item, bool hidden);
  void SetTreeReadOnly(bool readOnly);
  LRESULT OnTreeNotify(const NMHDR& header);
  void OnFolderSelected(HTREEITEM item);
  void OnEngineSelected();
  void OnEngineCheckToggled();
  void OnEngineListKeyUp(UINT key);
  void OnFolderVisibilityClicked();
  void ShowSearchAllSetting();
  void OnSearchAllClicked();

  // Engine editing.
  void UpdateAddModifyButtons();
  void OnNameChanged();
  void OnUrlChanged();
  void OnAddClicked();
  void OnModifyClicked();
  void OnDeleteEngineClicked();
  void OnClearClicked();
  void CheckEncodingButton(ControlId id);
  void ShowEncoding(const std::string& encode);
  std::string CheckedEncoding() const;
  // The name and the fields (the URL's blanks trimmed) of the Add / Modify
  // group; false, after saying why, when the store cannot hold them.
  bool ReadEngineFields(std::string& name, EngineFields& fields);
  // Lists the folder's engines from its directory and shows them.
  void RereadEngines(FolderNode& folder);
  void SetEditText(ControlId id, const std::string& text);
  void SetTooltip(ControlId id, const std::string& text);

  // Folders: the tree's context menu and renaming in place.
  enum FolderCommand : UINT { kAddFolderCommand = 2001, kDeleteFolderCommand = 2002 };
  void CreateFolderMenu();
  void RebuildAndSelectRoot();
  void OnFolderMenuOpening();
  void ShowFolderMenu(POINT screen);
  void ShowFolderMenuAtSelection();  // the context-menu key and Shift+F10
  void RunFolderMenuCommand(UINT command);
  void OnAddFolderClicked();
  void OnDeleteFolderClicked();
  // Whether a label edit may start on item.
  bool MayRenameFolder(HTREEITEM item);
  // Renames the folder of item to text; whether the node takes the text.
  bool RenameFolderNode(HTREEITEM item, const std::string& text);
  void UpdateChildPaths(HTREEITEM parentItem);
  void OnTreeKeyUp(UINT key);
  void OnTreeMiddleButtonDown(POINT client);

  // Drag and drop onto the tree.
  void OnTreeBeginDrag(HTREEITEM item, POINT client);
  void OnListBeginDrag();
  // Maps point from a window into the tree; true when it lies inside.
  bool PointInTree(HWND from, POINT& point) const;
  void OnDragMove(HWND from, POINT point);
  void OnDragRelease(HWND from, POINT point);
  void DropOnFolder(const TreeDrag::Item& dragged, POINT inTree);
  void MoveFolderTo(const std::string& folderPath, const FolderNode& to);
  void MoveEngineTo(const std::string& name, const std::string& fromPath, const FolderNode& to);
  void OnAutoScrollTick();
  // The tree's and the list's input goes here first, for dragging.
  void WatchDragInput();
  static LRESULT CALLBACK TreeWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  bool HandleDragInputSafely(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  bool HandleDragInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // The control's own handling of a message, past the drag.
  LRESULT PassOn(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  // Keyboard.
  int RowOfFocus() const;
  bool IsTreeLabelEditor(HWND hwnd) const;

  HWND Control(ControlId id) const { return controls_[id]; }
  int MinWidth() const { return Scale(kDesignWidth, dpi_); }
  int MinHeight() const { return Scale(kDesignHeight, dpi_); }

  std::string iniPath_;
  std::string rootDir_;
  std::string helpFile_;
  std::vector<HTREEITEM> folderItems_;
  // Owners of the folders behind folderItems_, discarded at each rebuild.
  std::vector<std::unique_ptr<FolderNode>> folders_;
  TreeDrag drag_;
  // An item of the list is pressed, no drag yet; where it was pressed.
  bool listPressed_ = false;
  POINT listPress_ = {0, 0};
  // The list is releasing the pointer at a drop: not a cancel.
  bool releasingList_ = false;
  // The Enter key went down in the label editor: its release is not the tree's.
  bool editorEnter_ = false;
  MenuHandle folderMenu_;

  int dpi_ = 96;
  int treeWidth_ = 0;
  bool treeReadOnly_ = false;
  bool reloading_ = false;
  HWND lastFocus_ = nullptr;
  GdiObject font_;
  mutable GdiObject linkFont_;  // made when first drawn, if the address needs it
  IconHandle icon_;
  IconHandle smallIcon_;
  ImageListHandle folderImages_;
  HWND tooltip_ = nullptr;  // a child of the form: goes with it
  SettingControls controls_;
  CheckList engineList_;
  WNDPROC treeProc_ = nullptr;
  HWND hwnd_ = nullptr;
};

}  // namespace kf
