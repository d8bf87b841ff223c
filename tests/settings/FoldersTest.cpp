// Folders in the settings dialog: the tree's context menu, Add Folder and
// Delete Folder, renaming in place, and dragging engines and folders onto
// the tree, checked on disk and in the tree.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>
#include <utility>

#include "OpenSearch.h"
#include "SettingDriver.h"

using namespace kf;

namespace {

class Folders : public kft::SettingDialogTest {
 protected:
  HWND Tree() { return dialog.Control(kFolderTree); }
  bool IsDir(const std::string& rel) { return kft::DirectoryExists(sandbox.EnginePath(rel)); }
  bool IsEngine(const std::string& rel) { return kft::FileExists(sandbox.EnginePath(rel)); }
  std::string Url(const std::string& rel) {
    char value[256] = {};
    GetPrivateProfileStringA("General", "url", "", value, ARRAYSIZE(value), sandbox.EnginePath(rel).c_str());
    return value;
  }
  std::vector<std::string> NodeTexts() {
    std::vector<std::string> texts;
    for (const kft::TreeNode& node : dialog.Nodes())
      texts.push_back(std::string(static_cast<size_t>(node.depth) * 2, ' ') + node.text);
    return texts;
  }
  // The context menu of a node, answered with a mnemonic or VK_ESCAPE.
  std::vector<kft::ShownMenuItem> MenuOn(const std::string& node, char answer) {
    return kft::ChooseFromMenu([&] { dialog.PostRightClick(node); }, answer);
  }
  // Renames a node through the label editor that Enter opens.
  void Rename(const std::string& node, const std::string& newName) {
    dialog.SelectNode(node);
    dialog.Key(Tree(), VK_RETURN);
    HWND editor = dialog.LabelEditor();
    ASSERT_TRUE(editor) << "Enter opened no label editor on " << node;
    SetWindowTextA(editor, newName.c_str());
    // The editor ends on the press; the release then reaches the tree.
    dialog.KeyDown(editor, VK_RETURN);
    dialog.KeyUp(Tree(), VK_RETURN);
  }
  int VerticalPosition() {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    GetScrollInfo(Tree(), SB_VERT, &info);
    return info.nPos;
  }
  POINT BelowLastNode() {
    RECT client;
    GetClientRect(Tree(), &client);
    return {20, client.bottom - 4};
  }
};

TEST_F(Folders, TheContextMenuSelectsTheNodeAndOffersDeleteForFoldersOnly) {
  sandbox.MakeFolder("Web");
  ASSERT_TRUE(Open());
  std::vector<kft::ShownMenuItem> menu = MenuOn("ROOT", 'd');
  ASSERT_EQ(5u, menu.size()) << "Add, Delete, a separator, Import, Export";
  EXPECT_EQ("&Import...", menu[3].text);
  EXPECT_EQ("&Export...", menu[4].text);
  EXPECT_EQ("&Add Folder", menu[0].text);
  EXPECT_FALSE(menu[0].grayed);
  EXPECT_EQ("&Delete Folder", menu[1].text);
  EXPECT_TRUE(menu[1].grayed) << "the root is never deleted";
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_TRUE(IsDir("Web"));

  menu = MenuOn("Web", VK_ESCAPE);
  ASSERT_EQ(5u, menu.size());
  EXPECT_FALSE(menu[1].grayed);
  EXPECT_EQ("Web", dialog.SelectedNodeText()) << "a right click selects the node under the pointer";

  // The keyboard's ways to the same menu.
  menu = kft::ChooseFromMenu([&] { PostMessageA(Tree(), WM_KEYDOWN, VK_APPS, 1); }, VK_ESCAPE);
  EXPECT_EQ(5u, menu.size()) << "the context-menu key";
  menu = kft::ChooseFromMenu(
      [&] {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = 0x80;
        SetKeyboardState(keys);
        PostMessageA(Tree(), WM_SYSKEYDOWN, VK_F10, 1);
      },
      VK_ESCAPE);
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(5u, menu.size()) << "Shift+F10";
  EXPECT_TRUE(IsDir("Web"));
}

// As Explorer's New folder: the new folder is selected, its name open for
// editing; Escape keeps the made-up name, a name typed in renames it.
TEST_F(Folders, AddFolderTakesTheFirstFreeNumberAndOpensItsNameForEditing) {
  sandbox.MakeFolder("KFND0");
  sandbox.MakeFolder("KFND2");
  sandbox.MakeFolder("Web");
  ASSERT_TRUE(kft::WriteBytes(sandbox.EnginePath("Web/KFND0"), "a plain file"));
  ASSERT_TRUE(Open());
  MenuOn("ROOT", 'a');
  EXPECT_TRUE(IsDir("KFND1"));
  EXPECT_FALSE(IsDir("KFND3"));
  EXPECT_EQ(5u, dialog.Nodes().size()) << "the new folder is in the rebuilt tree";
  EXPECT_EQ("KFND1", dialog.SelectedNodeText());
  ASSERT_TRUE(dialog.LabelEditor());
  dialog.Key(dialog.LabelEditor(), VK_ESCAPE);
  EXPECT_FALSE(dialog.LabelEditor());
  EXPECT_TRUE(IsDir("KFND1"));
  EXPECT_EQ("KFND1", dialog.SelectedNodeText());

  // A plain file takes its number too: the folder gets the next one.
  MenuOn("Web", 'a');
  EXPECT_TRUE(kft::FileExists(sandbox.EnginePath("Web/KFND0")));
  HWND editor = dialog.LabelEditor();
  ASSERT_TRUE(editor);
  SetWindowTextA(editor, "News");
  dialog.KeyDown(editor, VK_RETURN);
  dialog.KeyUp(Tree(), VK_RETURN);
  EXPECT_TRUE(IsDir("Web/News"));
  EXPECT_FALSE(IsDir("Web/KFND1"));
  EXPECT_EQ("News", dialog.SelectedNodeText());
  EXPECT_EQ(0u, boxes.Count());
}

TEST_F(Folders, DeleteFolderAsksOnceAndOnlyOkMovesTheWholeFolderAway) {
  sandbox.WriteEngine("Web/Google.ini", "kftest://g/?q=[WORD]");
  sandbox.WriteEngine("Web/Deep/Inner.ini", "kftest://i/");
  sandbox.WriteEngine("One/Only.ini", "kftest://o/");
  sandbox.MakeFolder("Empty");
  ASSERT_TRUE(Open());
  // The question says what goes: the folder, and every engine below it.
  boxes.QueueAnswers({IDCANCEL, IDCANCEL, IDCANCEL});
  MenuOn("Web", 'd');
  MenuOn("One", 'd');
  MenuOn("Empty", 'd');
  ASSERT_EQ(3u, boxes.Count());
  EXPECT_EQ("Delete the folder \"Web\" and the 2 engines in it?", boxes.Boxes()[0].TextUtf8());
  EXPECT_EQ("Delete the folder \"One\" and the engine in it?", boxes.Boxes()[1].TextUtf8());
  EXPECT_EQ("Delete the folder \"Empty\"?", boxes.Boxes()[2].TextUtf8());
  EXPECT_TRUE(boxes.Boxes()[0].HasButton(IDOK) && boxes.Boxes()[0].HasButton(IDCANCEL));
  EXPECT_TRUE(IsDir("Empty") && IsDir("One"));
  boxes.Clear();
  EXPECT_TRUE(IsEngine("Web/Deep/Inner.ini"));
  EXPECT_EQ("Empty", dialog.SelectedNodeText()) << "a cancelled delete changes nothing";

  // The Delete key runs the same command on the folder selected now, even
  // after the menu was last shown (greyed) on the root.
  MenuOn("ROOT", VK_ESCAPE);
  dialog.SelectNode("Web");
  dialog.Key(Tree(), VK_DELETE);
  EXPECT_EQ(1u, boxes.Count());
  EXPECT_FALSE(IsDir("Web"));
  std::vector<std::string> left = NodeTexts();
  std::sort(left.begin(), left.end());
  EXPECT_EQ((std::vector<std::string>{"  Empty", "  One", "ROOT"}), left);
  EXPECT_EQ("ROOT", dialog.SelectedNodeText());
}

TEST_F(Folders, TheRootIsNeverRenamedDeletedOrDragged) {
  sandbox.MakeFolder("Web");
  ASSERT_TRUE(Open());
  dialog.SelectNode("ROOT");
  dialog.Key(Tree(), VK_RETURN);
  EXPECT_FALSE(dialog.LabelEditor());
  dialog.Key(Tree(), VK_DELETE);
  EXPECT_EQ(0u, boxes.Count());

  const HTREEITEM web = dialog.Node("Web");
  dialog.DragNode("ROOT", dialog.NodeCentre("Web"));
  EXPECT_EQ(web, dialog.Node("Web")) << "no drag, so no rebuild";
  EXPECT_TRUE(IsDir("Web"));
  EXPECT_EQ(0u, boxes.Count());
}

TEST_F(Folders, RenamingInPlaceMovesTheFolderAndThePathsBeneathFollow) {
  sandbox.WriteEngine("Web/Sub/Engine.ini", "kftest://e/");
  ASSERT_TRUE(Open());
  const HTREEITEM web = dialog.Node("Web");
  Rename("Web", "Internet");
  EXPECT_FALSE(dialog.LabelEditor()) << "the release of the Enter that ended the edit starts no new one";
  EXPECT_TRUE(IsEngine("Internet/Sub/Engine.ini"));
  EXPECT_FALSE(IsDir("Web"));
  EXPECT_EQ(web, dialog.Node("Internet")) << "the node is renamed in place, not rebuilt";
  EXPECT_EQ("Internet", dialog.SelectedNodeText());

  dialog.SelectNode("Sub");
  dialog.ClickCheckBox(dialog.ItemIndex("Engine"));
  EXPECT_TRUE(kft::Attributes(sandbox.EnginePath("Internet/Sub/Engine.ini")) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(0u, boxes.Count());
}

// The menu's list of engines used last keeps its order through renames and
// moves in the dialog: by Modify, by renaming a folder, by a drop; the engine
// the "Search for..." window offers first follows too.
TEST_F(Folders, RenamedAndMovedEnginesKeepTheirPlaceInTheRecentList) {
  sandbox.WriteEngine("Web/Sub/Engine.ini", "kftest://e/");
  sandbox.WriteEngine("Google.ini", "kftest://g/");
  sandbox.WriteEngine("Bing.ini", "kftest://b/");
  const std::string ini = sandbox.IniPath();
  WritePrivateProfileStringA("Recent", "1", "Google.ini", ini.c_str());
  WritePrivateProfileStringA("Recent", "2", "Web\\Sub\\Engine.ini", ini.c_str());
  WritePrivateProfileStringA("Recent", "3", "Bing.ini", ini.c_str());
  WritePrivateProfileStringA("General", "LastTypedEngine", "Web\\Sub\\Engine.ini", ini.c_str());
  ASSERT_TRUE(Open());
  dialog.ClickItem(dialog.ItemIndex("Google"));
  dialog.Type(kf::kNameEdit, "Google Web");
  SendMessageA(dialog.Form(), WM_COMMAND, MAKEWPARAM(kf::kModifyButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(dialog.Control(kf::kModifyButton)));
  dialog.Pump();
  dialog.DragItem(dialog.ItemIndex("Bing"), dialog.NodeCentre("Web"));
  Rename("Web", "Internet");
  const char* expected[] = {"Google Web.ini", "Internet\\Sub\\Engine.ini", "Internet\\Bing.ini"};
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(expected[i], kft::IniValue(ini, std::to_string(i + 1), "Recent"));
  EXPECT_EQ("Internet\\Sub\\Engine.ini", kft::IniValue(ini, "LastTypedEngine"));
  EXPECT_EQ(0u, boxes.Count());
}

TEST_F(Folders, ARefusedRenameKeepsTheOldNameAndSaysWhy) {
  sandbox.MakeFolder("Web");
  sandbox.MakeFolder("News");
  ASSERT_TRUE(Open());
  const struct {
    std::string name, says;
  } cases[] = {{"What?", "cannot contain"},
               {"a\\b", "cannot contain"},
               {"Dots..", "cannot end in a dot"},
               {"NUL", "reserves it for a device"},
               {"", "Please enter a name."},
               {"News", "Could not rename the folder"}};
  for (const auto& c : cases) {
    SCOPED_TRACE("renamed to [" + c.name + "]");
    boxes.Clear();
    Rename("Web", c.name);
    EXPECT_EQ("Web", dialog.SelectedNodeText());
    EXPECT_TRUE(IsDir("Web"));
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_NE(std::string::npos, boxes.Boxes()[0].TextUtf8().find(c.says)) << boxes.Boxes()[0].TextUtf8();
  }
  EXPECT_TRUE(dialog.Node("Web") && dialog.Node("News"));
  EXPECT_EQ(3u, dialog.Nodes().size());
}

// Enter on a folder starts a rename whatever ended the last one (Escape, or
// Enter on the root), except for the release of the very key that ended it.
TEST_F(Folders, EnterAlwaysStartsARenameOfTheSelectedFolder) {
  sandbox.MakeFolder("Web");
  ASSERT_TRUE(Open());
  dialog.SelectNode("Web");
  dialog.Key(Tree(), VK_RETURN);
  ASSERT_TRUE(dialog.LabelEditor());
  dialog.Key(dialog.LabelEditor(), VK_ESCAPE);
  ASSERT_FALSE(dialog.LabelEditor());
  dialog.Key(Tree(), VK_RETURN);
  EXPECT_TRUE(dialog.LabelEditor()) << "after a cancelled rename";
  dialog.Key(dialog.LabelEditor(), VK_ESCAPE);

  dialog.SelectNode("ROOT");
  dialog.Key(Tree(), VK_RETURN);
  EXPECT_FALSE(dialog.LabelEditor());
  dialog.SelectNode("Web");
  dialog.Key(Tree(), VK_RETURN);
  EXPECT_TRUE(dialog.LabelEditor()) << "after Enter on the root";
  dialog.Key(dialog.LabelEditor(), VK_ESCAPE);
}

TEST_F(Folders, AFolderDroppedOnItselfItsSubfolderOrItsParentStaysWhereItIs) {
  sandbox.WriteEngine("Web/Google.ini", "kftest://g/");
  sandbox.MakeFolder("Web/Sub");
  sandbox.MakeFolder("News");
  ASSERT_TRUE(Open());
  // Onto itself or its parent there is nothing to move; into its own
  // subfolder the file system refuses, and says why.
  for (const auto& target : {std::make_pair("Web", 0u), std::make_pair("ROOT", 0u), std::make_pair("Sub", 1u)}) {
    boxes.Clear();
    dialog.DragNode("Web", dialog.NodeCentre(target.first));
    EXPECT_TRUE(IsEngine("Web/Google.ini")) << "dropped on " << target.first;
    EXPECT_TRUE(IsDir("Web/Sub")) << "dropped on " << target.first;
    EXPECT_EQ("ROOT", dialog.SelectedNodeText()) << "rebuilt after a drop on " << target.first;
    EXPECT_EQ(target.second, boxes.Count()) << "dropped on " << target.first;
  }
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_NE(std::string::npos, boxes.Boxes()[0].TextUtf8().find("Could not move the folder"));
  dialog.DragNode("Web", dialog.NodeCentre("News"));
  EXPECT_TRUE(IsEngine("News/Web/Google.ini"));
  EXPECT_EQ((std::vector<std::string>{"ROOT", "  News", "    Web", "      Sub"}), NodeTexts());
}

TEST_F(Folders, AnEngineDroppedOnAFolderMovesAndAskBeforeReplacingOneOfTheSameName) {
  sandbox.WriteEngine("Google.ini", "kftest://root/");
  sandbox.WriteEngine("Bing.ini", "kftest://bing/", "sjis", FILE_ATTRIBUTE_HIDDEN);
  sandbox.WriteEngine("Web/Google.ini", "kftest://web/");
  ASSERT_TRUE(Open());
  dialog.DragItem(dialog.ItemIndex("Bing"), dialog.NodeCentre("Web"));
  EXPECT_TRUE(IsEngine("Web/Bing.ini"));
  EXPECT_FALSE(IsEngine("Bing.ini"));
  EXPECT_TRUE(kft::Attributes(sandbox.EnginePath("Web/Bing.ini")) & FILE_ATTRIBUTE_HIDDEN) << "moved as it was";
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_EQ("ROOT", dialog.SelectedNodeText());

  boxes.QueueAnswers({IDCANCEL});
  dialog.DragItem(dialog.ItemIndex("Google"), dialog.NodeCentre("Web"));
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Replace the engine \"Google\" in the folder \"Web\"?", boxes.Boxes()[0].TextUtf8());
  EXPECT_TRUE(boxes.Boxes()[0].HasButton(IDCANCEL));
  EXPECT_EQ("kftest://root/", Url("Google.ini"));
  EXPECT_EQ("kftest://web/", Url("Web/Google.ini"));
  EXPECT_EQ("ROOT", dialog.SelectedNodeText());

  dialog.DragItem(dialog.ItemIndex("Google"), dialog.NodeCentre("Web"));
  EXPECT_EQ(2u, boxes.Count());
  EXPECT_FALSE(IsEngine("Google.ini"));
  EXPECT_EQ("kftest://root/", Url("Web/Google.ini"));

  // Back to the root: the question names it as the tree does.
  dialog.SelectNode("Web");
  sandbox.WriteEngine("Google.ini", "kftest://again/");
  dialog.DragItem(dialog.ItemIndex("Google"), dialog.NodeCentre("ROOT"));
  ASSERT_EQ(3u, boxes.Count());
  EXPECT_EQ("Replace the engine \"Google\" in the folder \"ROOT\"?", boxes.Boxes()[2].TextUtf8());
}

// Real pointer input, played from a second thread while this one pumps: the
// list and the tree see it as they would see a user's hand.
// The drop moves what was dragged: the keys do nothing under way (but
// Escape), so the arrow keys cannot change what moves.
TEST_F(Folders, TheDropMovesWhatWasDraggedWhateverTheKeysDid) {
  sandbox.WriteEngine("pa.ini", "kftest://pa/");
  sandbox.WriteEngine("pb.ini", "kftest://pb/");
  sandbox.MakeFolder("Web");
  sandbox.MakeFolder("News");
  ASSERT_TRUE(Open());
  dialog.DragItem(dialog.ItemIndex("pa"), dialog.NodeCentre("Web"), false);
  dialog.KeyDown(dialog.Control(kEngineList), VK_DOWN);
  dialog.KeyDown(Tree(), VK_DOWN);
  dialog.KeyUp(Tree(), VK_F5);
  dialog.Drop(dialog.NodeCentre("Web"));
  EXPECT_TRUE(IsEngine("Web/pa.ini"));
  EXPECT_TRUE(IsEngine("pb.ini"));

  dialog.DragNode("News", dialog.NodeCentre("ROOT"), false);
  dialog.KeyDown(Tree(), VK_UP);
  dialog.Drop(dialog.NodeCentre("Web"));
  EXPECT_TRUE(IsDir("Web/News"));
  EXPECT_EQ(0u, boxes.Count());
}

// The dialog never makes a folder of the store the process's current
// directory, which would keep anyone from moving or renaming it.
TEST_F(Folders, AFolderWithAnEngineJustHiddenCanBeMoved) {
  sandbox.WriteEngine("Mv/Engine.ini", "kftest://e/");
  sandbox.MakeFolder("Target");
  char before[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, before);
  ASSERT_TRUE(Open());
  dialog.SelectNode("Mv");
  dialog.ClickCheckBox(dialog.ItemIndex("Engine"));
  ASSERT_TRUE(kft::Attributes(sandbox.EnginePath("Mv/Engine.ini")) & FILE_ATTRIBUTE_HIDDEN);
  dialog.DragNode("Mv", dialog.NodeCentre("Target"));
  EXPECT_TRUE(IsEngine("Target/Mv/Engine.ini"));
  EXPECT_EQ(0u, boxes.Count());
  char after[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, after);
  EXPECT_STREQ(before, after);
}

TEST_F(Folders, ARealPointerDragsAnEngineOntoAFolder) {
  sandbox.WriteEngine("Google.ini", "kftest://g/");
  sandbox.MakeFolder("Web");
  ASSERT_TRUE(Open());
  HWND list = dialog.Control(kEngineList);
  RECT item = {};
  SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(dialog.ItemIndex("Google")), reinterpret_cast<LPARAM>(&item));
  POINT from = {item.left + 40, (item.top + item.bottom) / 2};
  ClientToScreen(list, &from);
  POINT to = dialog.NodeCentre("Web");
  ClientToScreen(Tree(), &to);

  std::thread hand([from, to] {
    const auto move = [](POINT at, DWORD flags) {
      INPUT input = {};
      input.type = INPUT_MOUSE;
      input.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
      input.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
      input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
      SendInput(1, &input, sizeof(input));
      Sleep(60);
    };
    move(from, 0);
    move(from, MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= 6; ++step)
      move({from.x + (to.x - from.x) * step / 6, from.y + (to.y - from.y) * step / 6}, 0);
    move(to, MOUSEEVENTF_LEFTUP);
  });
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 1500)
    dialog.Pump(50);
  hand.join();
  dialog.Pump(200);
  EXPECT_TRUE(IsEngine("Web/Google.ini"));
  EXPECT_FALSE(IsEngine("Google.ini"));
  EXPECT_EQ("ROOT", dialog.SelectedNodeText());
}

TEST_F(Folders, ADropOnNothingOrOutsideTheTreeChangesNothing) {
  sandbox.WriteEngine("Google.ini", "kftest://g/");
  sandbox.MakeFolder("Web");
  ASSERT_TRUE(Open());
  const HTREEITEM web = dialog.Node("Web");
  dialog.DragItem(dialog.ItemIndex("Google"), BelowLastNode());
  dialog.DragNode("Web", BelowLastNode());
  dialog.DragNode("Web", {-30, 5});
  // Escape cancels a drag under way; the release that follows drops nothing.
  dialog.SelectNode("ROOT");
  dialog.DragItem(dialog.ItemIndex("Google"), dialog.NodeCentre("Web"), false);
  dialog.KeyDown(dialog.Control(kEngineList), VK_ESCAPE);
  PostMessageA(dialog.Control(kEngineList), WM_LBUTTONUP, 0, 0);
  dialog.Pump(100);
  EXPECT_TRUE(dialog.Visible()) << "Escape ended the drag, not the dialog";
  EXPECT_TRUE(IsEngine("Google.ini"));
  EXPECT_TRUE(IsDir("Web"));
  EXPECT_EQ(web, dialog.Node("Web")) << "nothing rebuilt";
  EXPECT_EQ(0u, boxes.Count());
}

TEST_F(Folders, ADragHeldNearTheEdgesScrollsTheTreeEvenFromOutsideIt) {
  for (int i = 0; i < 40; ++i)
    sandbox.MakeFolder("F" + std::to_string(10 + i));
  ASSERT_TRUE(Open());
  RECT client;
  GetClientRect(Tree(), &client);
  ASSERT_EQ(0, VerticalPosition());
  dialog.DragNode("F10", {30, client.bottom - 10}, false);
  dialog.Pump(1300);
  const int scrolled = VerticalPosition();
  EXPECT_GE(scrolled, 1) << "a pointer resting near the bottom scrolls down";

  // Held below the tree, the last position inside keeps it scrolling.
  dialog.DragMoveTo({30, client.bottom + 40});
  dialog.Pump(900);
  EXPECT_GT(VerticalPosition(), scrolled);

  dialog.DragMoveTo({30, 10});
  dialog.Pump(2500);
  EXPECT_LT(VerticalPosition(), scrolled) << "and up near the top";

  // Dropping outside ends the drag and the scrolling.
  dialog.DragMoveTo({30, client.bottom - 10});
  PostMessageA(Tree(), WM_LBUTTONUP, 0, MAKELPARAM(30, client.bottom + 40));
  dialog.Pump(100);
  const int stopped = VerticalPosition();
  dialog.Pump(900);
  EXPECT_EQ(stopped, VerticalPosition());
  EXPECT_TRUE(IsDir("F10"));
}

// Description files dropped from Explorer import into the folder they are
// dropped on; one box lists the ones refused, the others are there.
TEST_F(Folders, DroppedDescriptionsImportIntoTheFolderUnderThePointer) {
  sandbox.MakeFolder("Web");
  const std::string good = sandbox.Folder() + "site.xml";
  ASSERT_TRUE(kft::WriteBytes(good,
                              std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                          "<OpenSearchDescription xmlns=\"") +
                                  kf::kOpenSearchNamespace + "\">"
                              "<ShortName>Example</ShortName><Description>d</Description>"
                              "<Url type=\"text/html\" template=\"https://e.example/?q={searchTerms}\"/>"
                              "</OpenSearchDescription>"));
  const std::string bad = sandbox.Folder() + "notes.txt";
  ASSERT_TRUE(kft::WriteBytes(bad, "hello"));
  ASSERT_TRUE(Open());
  // The drop as Explorer hands it over: a DROPFILES block and the names.
  const std::string names = good + '\0' + bad + '\0' + '\0';
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
  ASSERT_TRUE(memory);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  POINT at = dialog.NodeCentre("Web");
  MapWindowPoints(Tree(), dialog.Form(), &at, 1);
  drop->pt = at;
  memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
  GlobalUnlock(memory);
  SendMessageA(dialog.Form(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  dialog.Pump();
  EXPECT_EQ("https://e.example/?q=[WORD]", Url("Web/Example.ini"));
  EXPECT_EQ("Web", dialog.SelectedNodeText());
  EXPECT_EQ(std::vector<std::string>{"Example"}, dialog.Items());
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_NE(std::string::npos, boxes.Boxes()[0].TextUtf8().find("notes.txt")) << boxes.Boxes()[0].TextUtf8();
}

}  // namespace
