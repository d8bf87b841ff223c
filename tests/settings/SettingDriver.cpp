#include "SettingDriver.h"

#include <atomic>
#include <thread>
#include <vector>

namespace kft {

namespace {

struct ChildSearch {
  int id;
  HWND found;
};

BOOL CALLBACK FindChildById(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<ChildSearch*>(param);
  if (GetDlgCtrlID(hwnd) == search->id) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

std::string WindowTextOf(HWND hwnd) {
  char buffer[4096] = {};
  const int n = GetWindowTextA(hwnd, buffer, ARRAYSIZE(buffer));
  return std::string(buffer, static_cast<size_t>(n > 0 ? n : 0));
}

POINT Centre(const RECT& rc) { return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}; }

void PostClick(HWND target, POINT client) {
  const LPARAM at = MAKELPARAM(client.x, client.y);
  PostMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(target, WM_LBUTTONUP, 0, at);
}

struct TooltipSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK FindTooltip(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<TooltipSearch*>(param);
  char cls[64] = {};
  GetClassNameA(hwnd, cls, ARRAYSIZE(cls));
  if (lstrcmpiA(cls, TOOLTIPS_CLASSA) == 0 && GetWindow(hwnd, GW_OWNER) == search->owner) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND SettingDriver::Setup() {
  sandbox_.Plugin().OnPlugInSetup(nullptr);
  Pump(100);
  return Form();
}

HWND SettingDriver::Form() const { return FindWindowA(kf::kSettingFormClass, nullptr); }

HWND SettingDriver::Control(kf::ControlId id) const {
  ChildSearch search = {id, nullptr};
  EnumChildWindows(Form(), FindChildById, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

RECT SettingDriver::WindowRect() const {
  RECT rc = {};
  GetWindowRect(Form(), &rc);
  return rc;
}

RECT SettingDriver::ControlRect(kf::ControlId id) const {
  RECT rc = {};
  GetWindowRect(Control(id), &rc);
  return rc;
}

std::string SettingDriver::Text(kf::ControlId id) const { return WindowTextOf(Control(id)); }

bool SettingDriver::Checked(kf::ControlId id) const {
  return SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::vector<TreeNode> SettingDriver::Nodes() const {
  std::vector<TreeNode> nodes;
  HWND tree = Control(kf::kFolderTree);
  struct Walker {
    HWND tree;
    std::vector<TreeNode>& nodes;
    void Walk(HTREEITEM item, int depth) {
      for (; item; item = TreeView_GetNextSibling(tree, item)) {
        char text[MAX_PATH] = {};
        TVITEMA tv = {};
        tv.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
        tv.hItem = item;
        tv.pszText = text;
        tv.cchTextMax = ARRAYSIZE(text);
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
        nodes.push_back({item, text, tv.iImage, tv.iSelectedImage, depth});
        Walk(TreeView_GetChild(tree, item), depth + 1);
      }
    }
  } walker{tree, nodes};
  walker.Walk(TreeView_GetRoot(tree), 0);
  return nodes;
}

HTREEITEM SettingDriver::Node(const std::string& ansiText) const {
  for (const TreeNode& node : Nodes()) {
    if (node.text == ansiText)
      return node.item;
  }
  return nullptr;
}

std::string SettingDriver::SelectedNodeText() const {
  HTREEITEM selected = TreeView_GetSelection(Control(kf::kFolderTree));
  for (const TreeNode& node : Nodes()) {
    if (node.item == selected)
      return node.text;
  }
  return std::string();
}

void SettingDriver::SelectNode(const std::string& ansiText) {
  HWND tree = Control(kf::kFolderTree);
  HTREEITEM item = Node(ansiText);
  if (!item || TreeView_GetSelection(tree) == item)
    return;
  TreeView_EnsureVisible(tree, item);
  RECT rc = {};
  TreeView_GetItemRect(tree, item, &rc, TRUE);
  PostClick(tree, Centre(rc));
  Pump(100);
}

RECT SettingDriver::NodeRect(const std::string& ansiText) const {
  HWND tree = Control(kf::kFolderTree);
  RECT rc = {};
  if (HTREEITEM item = Node(ansiText)) {
    TreeView_EnsureVisible(tree, item);
    TreeView_GetItemRect(tree, item, &rc, TRUE);
  }
  return rc;
}

POINT SettingDriver::NodeCentre(const std::string& ansiText) const { return Centre(NodeRect(ansiText)); }

void SettingDriver::PostRightClick(const std::string& ansiText) {
  HWND tree = Control(kf::kFolderTree);
  const POINT pt = NodeCentre(ansiText);
  // The tree reports the click without a point: the plug-in asks where the
  // pointer is.
  POINT screen = pt;
  ClientToScreen(tree, &screen);
  SetCursorPos(screen.x, screen.y);
  PostMessageA(tree, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(pt.x, pt.y));
  PostMessageA(tree, WM_RBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
}

void SettingDriver::DragNode(const std::string& ansiText, POINT to, bool drop) {
  HWND tree = Control(kf::kFolderTree);
  const POINT from = NodeCentre(ansiText);
  dragSource_ = tree;
  PostMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
  // Past the drag threshold: the tree reports the start of a drag.
  PostMessageA(tree, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(from.x + 12, from.y + 12));
  Pump(50);
  DragMoveTo(to);
  if (drop)
    Drop(to);
}

void SettingDriver::DragItem(int index, POINT to, bool drop) {
  HWND list = Control(kf::kEngineList);
  RECT rc = {};
  SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rc));
  const POINT from = {rc.left + 40, (rc.top + rc.bottom) / 2};
  dragSource_ = list;
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
  PostMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(from.x + 12, from.y));
  Pump(50);
  DragMoveTo(to);
  if (drop)
    Drop(to);
}

void SettingDriver::DragMoveTo(POINT to) { PostToDragSource(WM_MOUSEMOVE, MK_LBUTTON, to, 50); }

void SettingDriver::Drop(POINT to) { PostToDragSource(WM_LBUTTONUP, 0, to, 100); }

void SettingDriver::PostToDragSource(UINT message, WPARAM keys, POINT inTree, DWORD pumpMs) {
  // The source keeps the pointer while it drags: its own coordinates.
  POINT at = inTree;
  MapWindowPoints(Control(kf::kFolderTree), dragSource_, &at, 1);
  PostMessageA(dragSource_, message, keys, MAKELPARAM(at.x, at.y));
  Pump(pumpMs);
}

bool SettingDriver::TreeEditable() const {
  return (GetWindowLongPtrA(Control(kf::kFolderTree), GWL_STYLE) & TVS_EDITLABELS) != 0;
}

int SettingDriver::TreeWidth() const {
  const RECT rc = ControlRect(kf::kFolderTree);
  return rc.right - rc.left;
}

std::vector<std::string> SettingDriver::Items() const {
  HWND list = Control(kf::kEngineList);
  std::vector<std::string> items;
  const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[1024] = {};
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

std::vector<bool> SettingDriver::Checks() const {
  HWND list = Control(kf::kEngineList);
  std::vector<bool> checks;
  const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i)
    checks.push_back(SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0) != 0);
  return checks;
}

int SettingDriver::SelectedItem() const {
  const LRESULT index = SendMessageA(Control(kf::kEngineList), LB_GETCURSEL, 0, 0);
  return index == LB_ERR ? -1 : static_cast<int>(index);
}

int SettingDriver::ItemIndex(const std::string& ansiText) const {
  const std::vector<std::string> items = Items();
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i] == ansiText)
      return static_cast<int>(i);
  }
  return -1;
}

void SettingDriver::ClickItem(int index) {
  HWND list = Control(kf::kEngineList);
  RECT rc = {};
  SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rc));
  PostClick(list, {rc.left + 40, (rc.top + rc.bottom) / 2});
  Pump(100);
}

void SettingDriver::ClickCheckBox(int index) {
  HWND list = Control(kf::kEngineList);
  RECT rc = {};
  SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rc));
  PostClick(list, {rc.left + 5, (rc.top + rc.bottom) / 2});
  Pump(100);
}

void SettingDriver::Type(kf::ControlId edit, const std::string& ansiText) {
  SetWindowTextA(Control(edit), ansiText.c_str());
  Pump(20);
}

void SettingDriver::Click(kf::ControlId button) {
  HWND hwnd = Control(button);
  // Real input never reaches a disabled control.
  if (!IsWindowEnabled(hwnd) || !IsWindowVisible(hwnd))
    return;
  RECT rc = {};
  GetClientRect(hwnd, &rc);
  PostClick(hwnd, Centre(rc));
  Pump(100);
}

void SettingDriver::KeyDown(HWND target, UINT key) {
  PostMessageA(target, WM_KEYDOWN, key, 1);
  Pump(50);
}

void SettingDriver::KeyUp(HWND target, UINT key) {
  PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
  Pump(50);
}

void SettingDriver::Key(HWND target, UINT key) {
  PostMessageA(target, WM_KEYDOWN, key, 1);
  PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
  Pump(80);
}

void SettingDriver::Char(HWND target, char ch) {
  PostMessageA(target, WM_CHAR, static_cast<BYTE>(ch), 1);
  Pump(30);
}

void SettingDriver::AltKey(HWND target, char ch) {
  PostMessageA(target, WM_SYSCHAR, static_cast<BYTE>(ch), static_cast<LPARAM>(1u | (1u << 29)));
  Pump(80);
}

void SettingDriver::Close() {
  PostMessageA(Form(), WM_SYSCOMMAND, SC_CLOSE, 0);
  Pump(100);
}

std::vector<ShownMenuItem> ChooseFromMenu(const std::function<void()>& open, char mnemonic) {
  std::vector<ShownMenuItem> shown;
  std::atomic<bool> done{false};
  std::atomic<bool> answered{false};
  std::thread answer([&] {
    // Menus and their windows belong to the process: another thread may
    // read them while the menu's own thread runs its loop.
    for (int tries = 0; tries < 250 && !done; ++tries) {
      HWND popup = FindWindowA("#32768", nullptr);
      if (popup && IsWindowVisible(popup)) {
        HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, 0x01E1 /* MN_GETHMENU */, 0, 0));
        for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
          char text[128] = {};
          GetMenuStringA(menu, static_cast<UINT>(i), text, ARRAYSIZE(text), MF_BYPOSITION);
          shown.push_back({text, (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED) != 0});
        }
        if (mnemonic == VK_ESCAPE)
          PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 1);
        else
          PostMessageA(popup, WM_CHAR, static_cast<BYTE>(mnemonic), 1);
        answered = true;
        return;
      }
      Sleep(20);
    }
  });
  open();
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 3000 && !answered)
    kfhost::PumpMessages(50);
  kfhost::PumpMessages(100);
  done = true;
  answer.join();
  return shown;
}

std::string TooltipText(HWND owner, HWND tool) {
  TooltipSearch search = {owner, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindTooltip, reinterpret_cast<LPARAM>(&search));
  if (!search.found)
    return "<no tooltip>";
  char text[4096] = {};
  TTTOOLINFOA info = {};
  info.cbSize = TTTOOLINFOA_V2_SIZE;
  info.hwnd = owner;
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  info.lpszText = text;
  SendMessageA(search.found, TTM_GETTEXTA, ARRAYSIZE(text), reinterpret_cast<LPARAM>(&info));
  return text;
}

std::string IniValue(const std::string& iniPath, const std::string& key, const char* section) {
  char buffer[256] = {};
  GetPrivateProfileStringA(section, key.c_str(), "", buffer, ARRAYSIZE(buffer), iniPath.c_str());
  return buffer;
}

}  // namespace kft
