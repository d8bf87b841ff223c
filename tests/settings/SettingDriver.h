// Drives the settings dialog of the loaded plug-in the way a user would:
// real window messages to its controls, with the thread's messages pumped so
// that the dialog's own keyboard hook and notifications run.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "KfTest.h"
#include "SettingForm.h"
#include "SettingLayout.h"

namespace kft {

struct TreeNode {
  HTREEITEM item;
  std::string text;  // ANSI
  int image;
  int selectedImage;
  int depth;
};

class SettingDriver {
 public:
  explicit SettingDriver(PluginSandbox& sandbox) : sandbox_(sandbox) {}

  // BKC_OnPlugInSetup, then the dialog's window (null when none appeared).
  HWND Setup();
  // The dialog's window, shown or not.
  HWND Form() const;
  HWND Control(kf::ControlId id) const;

  bool Visible() const { return IsWindowVisible(Form()) != FALSE; }
  RECT WindowRect() const;
  RECT ControlRect(kf::ControlId id) const;  // screen coordinates
  bool Enabled(kf::ControlId id) const { return IsWindowEnabled(Control(id)) != FALSE; }
  std::string Text(kf::ControlId id) const;
  bool Checked(kf::ControlId id) const;

  // Tree.
  std::vector<TreeNode> Nodes() const;  // depth-first
  HTREEITEM Node(const std::string& ansiText) const;
  std::string SelectedNodeText() const;
  void SelectNode(const std::string& ansiText);  // a click on its label
  bool TreeEditable() const;
  int TreeWidth() const;

  RECT NodeRect(const std::string& ansiText) const;  // the label, tree coordinates
  // A right click on the node's label, with the real pointer moved there;
  // pump (or use ChooseFromMenu) to let it run.
  void PostRightClick(const std::string& ansiText);
  // The label editor of the tree, or null.
  HWND LabelEditor() const { return TreeView_GetEditControl(Control(kf::kFolderTree)); }

  // Drags with the left button, as posted pointer messages: a node of the
  // tree, or an item of the list, dropped at a point in tree coordinates.
  // The drop is left out when drop is false (the drag stays under way).
  void DragNode(const std::string& ansiText, POINT to, bool drop = true);
  void DragItem(int index, POINT to, bool drop = true);
  // Moves the pointer of a drag under way to a point in tree coordinates,
  // or releases the button there.
  void DragMoveTo(POINT to);
  void Drop(POINT to);
  POINT NodeCentre(const std::string& ansiText) const;

  // Check list.
  std::vector<std::string> Items() const;
  std::vector<bool> Checks() const;
  int SelectedItem() const;
  void ClickItem(int index);     // on its text: selects it
  void ClickCheckBox(int index);  // on its box: selects it and toggles the mark
  int ItemIndex(const std::string& ansiText) const;

  // Input.
  void Type(kf::ControlId edit, const std::string& ansiText);  // replaces the text
  void Click(kf::ControlId button);  // a pointer click (press and release)
  void KeyDown(HWND target, UINT key);
  void KeyUp(HWND target, UINT key);
  void Key(HWND target, UINT key);  // down and up
  void Char(HWND target, char ch);
  void AltKey(HWND target, char ch);  // Alt+letter as the system reports it
  HWND Focus() const { return GetFocus(); }
  void Close();  // the close box

  void Pump(DWORD ms = 50) const { kfhost::PumpMessages(ms); }

 private:
  void PostToDragSource(UINT message, WPARAM keys, POINT inTree, DWORD pumpMs);

  PluginSandbox& sandbox_;
  HWND dragSource_ = nullptr;
};

// What a context menu showed, and the answer given to it.
struct ShownMenuItem {
  std::string text;  // ANSI, with its "&"
  bool grayed;
};

// Runs open (which should make the thread show a context menu), pumps, and
// answers the menu from a second thread once it is on screen: a character
// chooses by mnemonic, VK_ESCAPE closes it. Returns the items the menu had
// (empty when no menu appeared within the time).
std::vector<ShownMenuItem> ChooseFromMenu(const std::function<void()>& open, char mnemonic);

// The text of a tooltip tool (a control that the tooltip window describes).
std::string TooltipText(HWND owner, HWND tool);

// Reads a value of the plug-in's INI file; "" when missing.
std::string IniValue(const std::string& iniPath, const std::string& key, const char* section = "General");

}  // namespace kft

#include <gtest/gtest.h>

namespace kft {

// A fresh plug-in folder, the library loaded, message boxes answered.
class SettingDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sandbox.Ready()); }

  // Loads the library when needed and runs the setup command.
  HWND Open() {
    if (!sandbox.IsLoaded() && !sandbox.Load())
      return nullptr;
    return dialog.Setup();
  }

  // Declared first: boxes shown while the library unloads are answered too.
  MessageBoxWatcher boxes{IDOK};
  PluginSandbox sandbox;
  SettingDriver dialog{sandbox};
};

}  // namespace kft
