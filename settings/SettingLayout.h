// The settings dialog's controls, one row each: kind, rectangle at 96 DPI
// relative to the parent's client area, anchors, caption and parent. Rows are
// in creation order, which is also the tab order. Adding a control is adding a
// row (and, when the form acts on it, a handler).
#pragma once

#include <windows.h>

#include <vector>

namespace kf {

// Control ids; tests find the controls by them too.
enum SettingControl : int {
  kNoControl = 0,
  Label1 = 1001,
  Panel1,
  TreeView1,
  Splitter1,
  CheckListBox1,
  FolderButton,
  GroupBox1,
  eucRadioButton,
  Label8,
  NameEdit,
  Label2,
  URLEdit,
  Label3,
  sjisRadioButton,
  AddButton,
  ModifyButton,
  ClearButton,
  DeleteButton,
  HelpButton,
  CloseButton,
  Panel2,
  Image1,
  Label4,
  Label5,
  Label6,
  Label7,
  utf8RadioButton,
};

enum class ControlKind {
  Label,       // autosized static text; a mnemonic focuses its buddy
  Link,        // static text drawn by the form as a link (blue, underlined)
  Panel,       // container without a border
  BevelPanel,  // container with a lowered bevel
  GroupBox,    // container with an etched frame and a caption
  Tree,
  Splitter,
  CheckList,
  Button,
  Edit,
  Radio,
  Image,  // the plug-in's icon, centred
};

enum Anchor : unsigned {
  akLeft = 1,
  akTop = 2,
  akRight = 4,
  akBottom = 8,
};

// Docked controls fill their parent from the left, in row order.
enum class Dock { None, Left, Fill };

struct ControlRow {
  SettingControl id;
  ControlKind kind;
  SettingControl parent;  // kNoControl: the form itself
  int x, y, width, height;  // 96 DPI; width 0 on a label: fit the caption
  unsigned anchors;
  Dock dock;
  const char* caption;  // ANSI, code page 932
  SettingControl buddy;  // for labels: the control its mnemonic focuses
};

constexpr unsigned akLeftTop = akLeft | akTop;

// clang-format off
constexpr ControlRow kSettingLayout[] = {
  // id               kind                     parent     x    y    w    h   anchors                              dock        caption                                  buddy
  {Label1,          ControlKind::Label,      kNoControl,   8,   4,   0,   0, akLeftTop,                           Dock::None, "Checked items are shown in menu.",      kNoControl},
  {Panel1,          ControlKind::Panel,      kNoControl,   6,  20, 320, 160, akLeft | akTop | akRight | akBottom,  Dock::None, "",                                      kNoControl},
  {TreeView1,       ControlKind::Tree,       Panel1,       0,   0, 130, 160, akLeftTop,                           Dock::Left, "",                                      kNoControl},
  {Splitter1,       ControlKind::Splitter,   Panel1,     130,   0,   2, 160, akLeftTop,                           Dock::Left, "",                                      kNoControl},
  {CheckListBox1,   ControlKind::CheckList,  Panel1,     132,   0, 188, 160, akLeftTop,                           Dock::Fill, "",                                      kNoControl},
  {FolderButton,    ControlKind::Button,     kNoControl,   8, 186, 112,  17, akLeft | akBottom,                   Dock::None, "Show / Hide &Folder",                   kNoControl},
  {GroupBox1,       ControlKind::GroupBox,   kNoControl,   6, 208, 320, 120, akLeft | akRight | akBottom,         Dock::None, "Add / Modify",                          kNoControl},
  {eucRadioButton,  ControlKind::Radio,      GroupBox1,   16,  96, 113,  17, akLeftTop,                           Dock::None, "&EUC",                                  kNoControl},
  // Beside the Shift-JIS button, in the room left of the command buttons.
  {utf8RadioButton, ControlKind::Radio,      GroupBox1,  136,  80,  94,  16, akLeftTop,                           Dock::None, "UTF-&8",                                kNoControl},
  {Label8,          ControlKind::Label,      GroupBox1,    8,  20,   0,   0, akLeftTop,                           Dock::None, "&Name",                                 NameEdit},
  {NameEdit,        ControlKind::Edit,       GroupBox1,   56,  16, 254,  20, akLeft | akTop | akRight,            Dock::None, "",                                      kNoControl},
  {Label2,          ControlKind::Label,      GroupBox1,    8,  44,   0,   0, akLeftTop,                           Dock::None, "&URL",                                  URLEdit},
  {URLEdit,         ControlKind::Edit,       GroupBox1,   56,  40, 254,  20, akLeft | akTop | akRight,            Dock::None, "",                                      kNoControl},
  {Label3,          ControlKind::Label,      GroupBox1,    8,  64,   0,   0, akLeftTop,                           Dock::None, "encoding",                              kNoControl},
  // The parentheses are full-width (Shift-JIS 81 69 / 81 6A).
  {sjisRadioButton, ControlKind::Radio,      GroupBox1,   16,  80, 113,  17, akLeftTop,                           Dock::None, "&SJIS\x81\x69" "default\x81\x6A",       kNoControl},
  {AddButton,       ControlKind::Button,     GroupBox1,  156,  96,  75,  17, akTop | akRight,                     Dock::None, "&Add",                                  kNoControl},
  {ModifyButton,    ControlKind::Button,     GroupBox1,  236,  96,  75,  17, akTop | akRight,                     Dock::None, "&Modify",                               kNoControl},
  {ClearButton,     ControlKind::Button,     GroupBox1,  236,  72,  75,  17, akTop | akRight,                     Dock::None, "&Clear",                                kNoControl},
  {DeleteButton,    ControlKind::Button,     kNoControl, 250, 186,  75,  17, akRight | akBottom,                  Dock::None, "&Delete item",                          kNoControl},
  {HelpButton,      ControlKind::Button,     kNoControl, 252, 344,  75,  17, akRight | akBottom,                  Dock::None, "&Help",                                 kNoControl},
  {CloseButton,     ControlKind::Button,     kNoControl, 252, 368,  75,  17, akRight | akBottom,                  Dock::None, "Close(&Q)",                             kNoControl},
  {Panel2,          ControlKind::BevelPanel, kNoControl,   6, 334, 225,  52, akLeft | akBottom,                   Dock::None, "",                                      kNoControl},
  {Image1,          ControlKind::Image,      Panel2,       2,   2,  41,  41, akLeftTop,                           Dock::None, "",                                      kNoControl},
  {Label4,          ControlKind::Label,      Panel2,      42,   2,   0,   0, akLeftTop,                           Dock::None, "Kestrelfind  2.0.1",                    kNoControl},
  {Label5,          ControlKind::Label,      Panel2,      42,  14,   0,   0, akLeftTop,                           Dock::None, "(C) 2026 Kestrel Software.",            kNoControl},
  {Label6,          ControlKind::Label,      Panel2,      42,  26,   0,   0, akLeftTop,                           Dock::None, "Free software. No warranty.",           kNoControl},
  {Label7,          ControlKind::Link,       Panel2,      10,  38, 208,  12, akLeftTop,                           Dock::None, "https://kestrel-software.example/kestrelfind/", kNoControl},
};
// clang-format on

constexpr int kSettingControlCount = static_cast<int>(sizeof(kSettingLayout) / sizeof(kSettingLayout[0]));

// The form's client area that the rectangles were designed against, and its
// outer size (also the minimum), at 96 DPI.
constexpr int kDesignClientWidth = 332;
constexpr int kDesignClientHeight = 389;
constexpr int kDesignWidth = 340;
constexpr int kDesignHeight = 416;

// Row index of a control, or -1.
int LayoutIndex(SettingControl id);

// The created controls, indexed like kSettingLayout.
struct SettingControls {
  std::vector<HWND> windows;

  HWND operator[](SettingControl id) const;
};

// Creates every control of the table as a child of form (containers before
// their contents), with the given font and DPI. Window classes of the
// containers and the splitter must be registered (RegisterLayoutClasses).
SettingControls CreateControls(HWND form, HINSTANCE instance, HFONT font, int dpi);

// Places every control for the form's current client size; treeWidth is the
// width of the docked tree, at the current DPI.
void LayoutControls(HWND form, const SettingControls& controls, int dpi, int treeWidth);

// Container and splitter window classes, registered with the plug-in's own
// module handle; unregistered again before the library goes away.
void RegisterLayoutClasses(HINSTANCE instance);
void UnregisterLayoutClasses(HINSTANCE instance);

// The splitter sends its parent's top-level window this message while it is
// dragged; wParam is the wanted width of the control docked left of it.
constexpr UINT WM_KF_SPLITTERMOVED = WM_APP + 101;

// Scales a length at 96 DPI to dpi.
inline int Scale(int value, int dpi) { return MulDiv(value, dpi, 96); }

}  // namespace kf
