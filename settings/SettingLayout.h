// The settings dialog's controls, one row each: kind, rectangle at 96 DPI
// relative to the parent's client area, anchors, caption and parent. Rows are
// in creation order, which is also the tab order. Adding a control is adding a
// row (and, when the form acts on it, a handler).
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "DialogFont.h"
#include "Handles.h"
#include "SettingTextIds.h"
#include "Window.h"

namespace kf {

// Control ids; tests find the controls by them too.
enum ControlId : int {
  kNoControl = 0,
  kListHint = 1001,
  kBrowsePanel,
  kFolderTree,
  kTreeSplitter,
  kEngineList,
  kFolderVisibilityButton,
  kEngineGroup,
  kEucRadio,
  kNameLabel,
  kNameEdit,
  kUrlLabel,
  kUrlEdit,
  kEncodingLabel,
  kSjisRadio,
  kAddButton,
  kModifyButton,
  kClearButton,
  kDeleteEngineButton,
  kHelpButton,
  kCloseButton,
  kAboutPanel,
  kAboutIcon,
  kProductLabel,
  kCopyrightLabel,
  kLicenseLabel,
  kHomepageLink,
  kUtf8Radio,
  kSearchAllCheck,
  kFavouriteCheck,
  kAccessKeyLabel,
  kAccessKeyEdit,
  kRecentLabel,
  kRecentEdit,
  kMethodLabel,
  kGetRadio,
  kPostRadio,
  kFormFieldsLabel,
  kFormFieldsEdit,
  kTestButton,
  kPrivateCheck,
  kBrowserLabel,
  kBrowserEdit,
  kBrowserButton,
  kOptionsButton,
  // The Options window's.
  kAllPrivateCheck,
  kAllBrowserLabel,
  kAllBrowserEdit,
  kAllBrowserButton,
  kDefaultBrowserHint,
  kOkButton = IDOK,
  kCancelButton = IDCANCEL,
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
  CheckBox,
  Image,  // the plug-in's icon, centred
};

enum Anchor : unsigned {
  kAnchorLeft = 1,
  kAnchorTop = 2,
  kAnchorRight = 4,
  kAnchorBottom = 8,
};

// Docked controls fill their parent from the left, in row order.
enum class Dock { None, Left, Fill };

struct ControlRow {
  ControlId id;
  ControlKind kind;
  ControlId parent;  // kNoControl: the form itself
  int x, y, width, height;  // 96 DPI; width 0 on a label: fit the caption
  unsigned anchors;
  Dock dock;
  UINT text;            // the caption's string (TextIds.h); 0 for none
  ControlId buddy;  // for labels: the control its mnemonic focuses
};

constexpr unsigned kAnchorLeftTop = kAnchorLeft | kAnchorTop;

// clang-format off
constexpr ControlRow kSettingLayout[] = {
  // id                     kind                     parent          x    y    w    h   anchors                                                  dock        text                       buddy
  {kListHint,               ControlKind::Label,      kNoControl,     8,   4,   0,   0, kAnchorLeftTop,                                          Dock::None, IDS_LIST_HINT,             kNoControl},
  {kBrowsePanel,            ControlKind::Panel,      kNoControl,     6,  20, 430, 160, kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom, Dock::None, 0,                         kNoControl},
  {kFolderTree,             ControlKind::Tree,       kBrowsePanel,   0,   0, 130, 160, kAnchorLeftTop,                                          Dock::Left, 0,                         kNoControl},
  {kTreeSplitter,           ControlKind::Splitter,   kBrowsePanel, 130,   0,   2, 160, kAnchorLeftTop,                                          Dock::Left, 0,                         kNoControl},
  {kEngineList,             ControlKind::CheckList,  kBrowsePanel, 132,   0, 298, 160, kAnchorLeftTop,                                          Dock::Fill, 0,                         kNoControl},
  {kFolderVisibilityButton, ControlKind::Button,     kNoControl,     8, 186, 112,  17, kAnchorLeft | kAnchorBottom,                             Dock::None, IDS_FOLDER_VISIBILITY,     kNoControl},
  // A setting of the folders' menus, beside the folder button.
  {kSearchAllCheck,         ControlKind::CheckBox,   kNoControl,   126, 186, 120,  17, kAnchorLeft | kAnchorBottom,                             Dock::None, IDS_SEARCH_ALL_CHECK,      kNoControl},
  // How many engines used last the menu lists, beside it.
  {kRecentLabel,            ControlKind::Label,      kNoControl,   250, 188,   0,   0, kAnchorLeft | kAnchorBottom,                             Dock::None, IDS_RECENT_LABEL,          kRecentEdit},
  {kRecentEdit,             ControlKind::Edit,       kNoControl,   334, 185,  20,  20, kAnchorLeft | kAnchorBottom,                             Dock::None, 0,                         kNoControl},
  {kEngineGroup,            ControlKind::GroupBox,   kNoControl,     6, 208, 430, 192, kAnchorLeft | kAnchorRight | kAnchorBottom,              Dock::None, IDS_ENGINE_GROUP,          kNoControl},
  {kNameLabel,              ControlKind::Label,      kEngineGroup,   8,  20,   0,   0, kAnchorLeftTop,                                          Dock::None, IDS_NAME_LABEL,            kNameEdit},
  {kNameEdit,               ControlKind::Edit,       kEngineGroup,  56,  16, 364,  20, kAnchorLeft | kAnchorTop | kAnchorRight,                 Dock::None, 0,                         kNoControl},
  {kUrlLabel,               ControlKind::Label,      kEngineGroup,   8,  44,   0,   0, kAnchorLeftTop,                                          Dock::None, IDS_URL_LABEL,             kUrlEdit},
  {kUrlEdit,                ControlKind::Edit,       kEngineGroup,  56,  40, 364,  20, kAnchorLeft | kAnchorTop | kAnchorRight,                 Dock::None, 0,                         kNoControl},
  {kEncodingLabel,          ControlKind::Label,      kEngineGroup,   8,  64,   0,   0, kAnchorLeftTop,                                          Dock::None, IDS_ENCODING_LABEL,        kNoControl},
  // The encoding buttons are one group, in the order the arrow keys go
  // through them.
  {kSjisRadio,              ControlKind::Radio,      kEngineGroup,  16,  80, 113,  17, kAnchorLeftTop,                                          Dock::None, IDS_SJIS_RADIO,            kNoControl},
  {kEucRadio,               ControlKind::Radio,      kEngineGroup,  16,  96, 113,  17, kAnchorLeftTop,                                          Dock::None, IDS_EUC_RADIO,             kNoControl},
  // Beside the Shift-JIS button, in the room left of the command buttons.
  {kUtf8Radio,              ControlKind::Radio,      kEngineGroup, 136,  80,  94,  16, kAnchorLeftTop,                                          Dock::None, IDS_UTF8_RADIO,            kNoControl},
  {kFavouriteCheck,         ControlKind::CheckBox,   kEngineGroup,  16, 118, 110,  16, kAnchorLeftTop,                                          Dock::None, IDS_FAVOURITE_CHECK,       kNoControl},
  {kAccessKeyLabel,         ControlKind::Label,      kEngineGroup, 130, 120,   0,   0, kAnchorLeftTop,                                          Dock::None, IDS_ACCESS_KEY_LABEL,      kAccessKeyEdit},
  {kAccessKeyEdit,          ControlKind::Edit,       kEngineGroup, 186, 116,  24,  20, kAnchorLeftTop,                                          Dock::None, 0,                         kNoControl},
  // Searches in a private window: in the room under the command buttons.
  {kPrivateCheck,           ControlKind::CheckBox,   kEngineGroup, 226, 118, 194,  16, kAnchorLeftTop,                                          Dock::None, IDS_PRIVATE_CHECK,         kNoControl},
  // How the word goes to the site: in the address, or in a posted form whose
  // fields are edited beside the buttons.
  {kMethodLabel,            ControlKind::Label,      kEngineGroup,   8, 146,   0,   0, kAnchorLeftTop,                                          Dock::None, IDS_METHOD_LABEL,          kNoControl},
  {kGetRadio,               ControlKind::Radio,      kEngineGroup,  62, 144,  58,  17, kAnchorLeftTop,                                          Dock::None, IDS_GET_RADIO,             kNoControl},
  {kPostRadio,              ControlKind::Radio,      kEngineGroup, 124, 144,  66,  17, kAnchorLeftTop,                                          Dock::None, IDS_POST_RADIO,            kNoControl},
  {kFormFieldsLabel,        ControlKind::Label,      kEngineGroup, 196, 146,   0,   0, kAnchorLeftTop,                                          Dock::None, IDS_FORM_FIELDS_LABEL,     kFormFieldsEdit},
  {kFormFieldsEdit,         ControlKind::Edit,       kEngineGroup, 300, 142, 120,  20, kAnchorLeft | kAnchorTop | kAnchorRight,                 Dock::None, 0,                         kNoControl},
  // Another browser than the default, its program chosen with the button.
  {kBrowserLabel,           ControlKind::Label,      kEngineGroup,   8, 170,   0,   0, kAnchorLeftTop,                                          Dock::None, IDS_BROWSER_LABEL,         kBrowserEdit},
  {kBrowserEdit,            ControlKind::Edit,       kEngineGroup, 100, 166, 292,  20, kAnchorLeft | kAnchorTop | kAnchorRight,                 Dock::None, 0,                         kNoControl},
  {kBrowserButton,          ControlKind::Button,     kEngineGroup, 396, 166,  24,  20, kAnchorTop | kAnchorRight,                               Dock::None, IDS_BROWSE_BUTTON,         kNoControl},
  // Opens the engine as the fields stand, before it is saved.
  {kTestButton,             ControlKind::Button,     kEngineGroup, 266,  72,  75,  17, kAnchorTop | kAnchorRight,                               Dock::None, IDS_TEST_BUTTON,           kNoControl},
  {kAddButton,              ControlKind::Button,     kEngineGroup, 266,  96,  75,  17, kAnchorTop | kAnchorRight,                               Dock::None, IDS_ADD_BUTTON,            kNoControl},
  {kModifyButton,           ControlKind::Button,     kEngineGroup, 346,  96,  75,  17, kAnchorTop | kAnchorRight,                               Dock::None, IDS_MODIFY_BUTTON,         kNoControl},
  {kClearButton,            ControlKind::Button,     kEngineGroup, 346,  72,  75,  17, kAnchorTop | kAnchorRight,                               Dock::None, IDS_CLEAR_BUTTON,          kNoControl},
  {kDeleteEngineButton,     ControlKind::Button,     kNoControl,   360, 186,  75,  17, kAnchorRight | kAnchorBottom,                            Dock::None, IDS_DELETE_ENGINE_BUTTON,  kNoControl},
  // The settings for all engines, in a window of their own.
  {kOptionsButton,          ControlKind::Button,     kNoControl,   333, 404, 104,  17, kAnchorRight | kAnchorBottom,                            Dock::None, IDS_OPTIONS_BUTTON,        kNoControl},
  {kHelpButton,             ControlKind::Button,     kNoControl,   333, 426, 104,  17, kAnchorRight | kAnchorBottom,                            Dock::None, IDS_HELP_BUTTON,           kNoControl},
  {kCloseButton,            ControlKind::Button,     kNoControl,   333, 448, 104,  17, kAnchorRight | kAnchorBottom,                            Dock::None, IDS_CLOSE_BUTTON,          kNoControl},
  {kAboutPanel,             ControlKind::BevelPanel, kNoControl,     6, 406, 225,  52, kAnchorLeft | kAnchorBottom,                             Dock::None, 0,                         kNoControl},
  {kAboutIcon,              ControlKind::Image,      kAboutPanel,    2,   2,  41,  41, kAnchorLeftTop,                                          Dock::None, 0,                         kNoControl},
  {kProductLabel,           ControlKind::Label,      kAboutPanel,   42,   2,   0,   0, kAnchorLeftTop,                                          Dock::None, IDS_PRODUCT_LABEL,         kNoControl},
  {kCopyrightLabel,         ControlKind::Label,      kAboutPanel,   42,  14,   0,   0, kAnchorLeftTop,                                          Dock::None, IDS_COPYRIGHT_LABEL,       kNoControl},
  {kLicenseLabel,           ControlKind::Label,      kAboutPanel,   42,  26,   0,   0, kAnchorLeftTop,                                          Dock::None, IDS_LICENSE_LABEL,         kNoControl},
  {kHomepageLink,           ControlKind::Link,       kAboutPanel,   10,  38, 208,  12, kAnchorLeftTop,                                          Dock::None, IDS_HOMEPAGE_LINK,         kNoControl},
};
// clang-format on

constexpr int kSettingControlCount = static_cast<int>(sizeof(kSettingLayout) / sizeof(kSettingLayout[0]));

// The form's client area that the rectangles were designed against, and its
// outer size (also the minimum), at 96 DPI.
constexpr int kDesignClientWidth = 442;
constexpr int kDesignClientHeight = 469;
constexpr int kDesignWidth = 450;
constexpr int kDesignHeight = 496;

// Row index of a control, or -1.
int LayoutIndex(ControlId id);

// The created controls, indexed like kSettingLayout.
struct SettingControls {
  std::vector<HWND> windows;
  // The containers and the splitter, windows of the dialog's own classes.
  std::vector<std::unique_ptr<Window>> ownWindows;

  HWND operator[](ControlId id) const;
};

// Creates every control of the table as a child of form (containers before
// their contents), with the given font and DPI. Throws kf::Error when a
// control cannot be made.
SettingControls CreateControls(HWND form, HFONT font, int dpi);

// The same for a table of another window of the dialog's (rows in creation
// and tab order, each placed at its design rectangle): the controls, indexed
// like rows; the containers among them go to ownWindows.
std::vector<HWND> CreateRowControls(HWND form, const ControlRow* rows, int count, HFONT font, int dpi,
                                    std::vector<std::unique_ptr<Window>>& ownWindows);

// Places every control for the form's current client size; treeWidth is the
// width of the docked tree, at the current DPI.
void LayoutControls(HWND form, const SettingControls& controls, int dpi, int treeWidth);

// The splitter sends its parent's top-level window this message while it is
// dragged; wParam is the wanted width of the control docked left of it.
constexpr UINT WM_KF_SPLITTERMOVED = WM_APP + 101;

}  // namespace kf
