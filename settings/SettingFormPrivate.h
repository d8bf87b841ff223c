// The settings dialog's form, shared by the files that hold its handlers:
// SettingForm.cpp (the form's life and window), SettingFormTree.cpp (tree and
// list), SettingFormEditing.cpp (engine editing), SettingFormFolders.cpp
// (the folder menu and renaming), SettingFormDrag.cpp (drag and drop) and
// SettingFormKeyboard.cpp (keyboard).
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CheckList.h"
#include "EngineStore.h"
#include "FolderNode.h"
#include "Handles.h"
#include "LinkLabel.h"
#include "Path.h"
#include "SettingForm.h"
#include "SettingLayout.h"
#include "TreeDrag.h"
#include "Window.h"

namespace kf {

// Image list indexes of the folder icons.
constexpr int kClosedFolder = 0;
constexpr int kOpenFolder = 1;
constexpr int kPaleClosedFolder = 2;
constexpr int kPaleOpenFolder = 3;

constexpr int kDefaultTreeWidth = 130;
constexpr int kTreeIndent = 19;
constexpr int kItemHeight = 12;
constexpr int kMinSplitPane = 8;

// The encoding a new engine starts with: a fresh dialog's and Clear's.
constexpr ControlId kNewEngineEncoding = kUtf8Radio;

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

// A control whose messages the form sees first (the folder tree, for
// dragging); handle returns true when it has dealt with one and set its
// result.
class ControlTap : public SubclassedWindow {
 public:
  std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)> handle;

  LRESULT PassOn(UINT msg, WPARAM wParam, LPARAM lParam) const { return CallOriginal(msg, wParam, lParam); }

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    LRESULT result = 0;
    if (handle && handle(msg, wParam, lParam, result))
      return result;
    return CallOriginal(msg, wParam, lParam);
  }
};

class SettingForm : public Window {
 public:
  SettingForm(const std::string& iniPath, const std::string& rootDir);
  ~SettingForm() override;

  void Show();
  void SetEngineTester(EngineTester tester) { tester_ = std::move(tester); }
  // The dialog's keyboard, for a host whose message loop knows nothing of
  // dialogs; may turn the message into WM_NULL when it has been dealt with.
  void PreviewMessage(MSG& msg);

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void OnCommand(ControlId id, UINT code);
  bool OnNotify(const NMHDR& header, LRESULT& result);
  bool OnDrawItem(const DRAWITEMSTRUCT& item);
  void OnActivate(WORD state);
  void OnKeyAction(WPARAM action, LPARAM value);
  void RestoreFocus();
  void CreateResources();
  void CreateTooltips();
  void Layout();
  void OnSplitterMoved(int wantedTreeWidth);

  // The form's life.
  void RestoreGeometry();
  void SaveGeometry();
  void Close();
  void OnPreviewKeyUp(UINT key);
  void OnHelpClicked();
  void OnHomepageClicked();

  // Tree and list.
  void ReloadTree();
  void AddFolderNodes(const std::string& dir, HTREEITEM parent);
  void FillEngineList(const std::vector<StoreEntry>& engines);
  void SelectRoot();
  // The width that shows every folder's name whole, within bounds: the
  // tree's width at the first showing.
  int TreeWidthForLabels() const;
  HTREEITEM AddFolderNode(HTREEITEM parent, FolderNode& folder, bool hidden);
  FolderNode* FolderOf(HTREEITEM item) const;
  FolderNode* SelectedFolder() const;
  StoreEntry* SelectedEngine(FolderNode** folder);
  void SetFolderImages(HTREEITEM item, bool hidden);
  void SetTreeReadOnly(bool readOnly);
  LRESULT OnTreeNotify(const NMHDR& header);
  void OnTreeRightClick(HWND tree);
  void OnFolderSelected(HTREEITEM item);
  void OnEngineSelected();
  void OnEngineCheckToggled();
  void OnEngineListKeyUp(UINT key);
  void OnFolderVisibilityClicked();
  void ShowSearchAllSetting();
  void OnSearchAllClicked();
  void ShowRecentSetting();
  void OnRecentChanged();
  // An engine file or folder moved or renamed from fromPath to toPath keeps
  // its place among the engines used last (nothing when it did not move).
  void FollowInRecent(const std::string& fromPath, const std::string& toPath);

  // Engine editing.
  void UpdateAddModifyButtons();
  void OnNameChanged();
  void OnUrlChanged();
  void OnAddClicked();
  void OnModifyClicked();
  void OnDeleteEngineClicked();
  void OnClearClicked();
  void OnMethodClicked();
  void OnTestClicked();
  void OnBrowseClicked();
  void OnOptionsClicked();
  // Whether a new engine, or one whose file does not say, opens in a
  // private window: the setting for every engine.
  bool PrivateForEveryEngine() const;
  // GET, or POST with its form fields (editable only then).
  void ShowMethod(bool post, const std::string& formFields);
  // The URL as stored (blanks trimmed) and the form fields, or "" after
  // saying why the store or the search cannot take them.
  bool ReadSearchFields(EngineFields& fields);
  void CheckEncodingButton(ControlId id);
  void ShowEncoding(const std::string& encode);
  std::string CheckedEncoding() const;
  // The name and the fields (the URL's blanks trimmed) of the Add / Modify
  // group; false, after saying why, when the store cannot hold them.
  bool ReadEngineFields(std::string& name, EngineFields& fields);
  // Lists the folder's engines from its directory, shows them, and offers
  // Add or Modify for the name in the group as the list now stands.
  void RereadEngines(FolderNode& folder);
  void SetEditText(ControlId id, const std::string& text);
  void SetTooltip(ControlId id, const std::string& text);

  // Folders: the tree's context menu and renaming in place.
  enum FolderCommand : UINT {
    kAddFolderCommand = 2001,
    kDeleteFolderCommand = 2002,
    kImportCommand = 2003,
    kExportFolderCommand = 2004,
    kExportEngineCommand = 2005,
  };
  void CreateFolderMenu();
  void RebuildAndSelectRoot();
  void OnFolderMenuOpening();
  void ShowFolderMenu(POINT screen);
  void ShowFolderMenuAtSelection();  // the context-menu key and Shift+F10
  void RunFolderMenuCommand(UINT command);
  void OnAddFolderClicked();
  void StartNamingFolder(const std::string& folderPath);
  void OnDeleteFolderClicked();

  // OpenSearch descriptions: imported into a folder, engines exported.
  void OnImportClicked();
  void OnFilesDropped(HDROP drop);
  // Imports each file into the folder; one box lists what was refused.
  void ImportInto(const std::string& folderPath, const std::vector<std::string>& files);
  void OnExportEngineClicked();
  void OnExportFolderClicked();
  // The engine list's context menu at screen, or (-1, -1) for the keyboard's.
  void ShowEngineMenu(POINT screen);
  // Whether a label edit may start on item.
  bool MayRenameFolder(HTREEITEM item);
  // Renames the folder of item to text; whether the node takes the text.
  bool RenameFolderNode(HTREEITEM item, const std::string& text);
  void UpdateChildPaths(HTREEITEM parentItem);
  void OnTreeKeyUp(UINT key);

  // Drag and drop onto the tree.
  void OnTreeBeginDrag(HTREEITEM item, POINT client);
  void OnListBeginDrag();
  void OnTreeMiddleButtonDown(POINT client);
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
  bool HandleDragInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  bool HandleInputWhileDragging(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  bool HandleListPress(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
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
  EngineTester tester_;
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
  LinkLabel homepageLink_;
  IconHandle icon_;
  IconHandle smallIcon_;
  ImageListHandle folderImages_;
  HWND tooltip_ = nullptr;  // a child of the form: goes with it
  SettingControls controls_;
  CheckList engineList_;
  ControlTap folderTree_;
};

}  // namespace kf
