// The folder tree and the engine check list: what they show of the store,
// selection, the two visibility commands and F5.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "SettingDriver.h"

using namespace kf;

namespace {

class TreeAndList : public kft::SettingDialogTest {
 protected:
  bool Expanded(HTREEITEM item) {
    return (TreeView_GetItemState(dialog.Control(kFolderTree), item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
  }
  const kft::TreeNode* NodeNamed(const std::vector<kft::TreeNode>& nodes, const std::string& text) {
    for (const kft::TreeNode& node : nodes) {
      if (node.text == text)
        return &node;
    }
    return nullptr;
  }
};

// A store that is not there yet is made, as the menu makes it, so that the
// first engine can be added to it.
TEST_F(TreeAndList, AMissingStoreIsMadeAndShowsOnlyTheRoot) {
  ASSERT_FALSE(kft::DirectoryExists(sandbox.EngineDir()));
  ASSERT_TRUE(Open());
  const std::vector<kft::TreeNode> nodes = dialog.Nodes();
  ASSERT_EQ(1u, nodes.size());
  EXPECT_EQ("ROOT", nodes[0].text);
  EXPECT_TRUE(dialog.Items().empty());
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_TRUE(kft::DirectoryExists(sandbox.EngineDir()));
}

TEST_F(TreeAndList, TheTreeShowsEveryFolderExpandedWithPaleIconsForHiddenOnes) {
  sandbox.MakeFolder("Web");
  sandbox.MakeFolder("Web/Deep");
  sandbox.MakeFolder("Secret", FILE_ATTRIBUTE_HIDDEN);
  sandbox.MakeFolder("Secret/Inner");
  sandbox.MakeFolder(".dot");
  sandbox.WriteEngine(".dot/Ignored.ini", std::string("u"));
  sandbox.MakeFolder("x.ini");
  ASSERT_TRUE(Open());
  const std::vector<kft::TreeNode> nodes = dialog.Nodes();
  ASSERT_EQ(6u, nodes.size());
  EXPECT_EQ("ROOT", nodes[0].text);
  EXPECT_EQ(0, nodes[0].depth);
  EXPECT_FALSE(NodeNamed(nodes, ".dot")) << "names beginning with a dot are not folders";
  const kft::TreeNode* web = NodeNamed(nodes, "Web");
  const kft::TreeNode* deep = NodeNamed(nodes, "Deep");
  const kft::TreeNode* secret = NodeNamed(nodes, "Secret");
  const kft::TreeNode* inner = NodeNamed(nodes, "Inner");
  const kft::TreeNode* iniFolder = NodeNamed(nodes, "x.ini");
  ASSERT_TRUE(web && deep && secret && inner && iniFolder);
  EXPECT_EQ(1, web->depth);
  EXPECT_EQ(2, deep->depth);
  EXPECT_EQ(1, iniFolder->depth);
  EXPECT_EQ(0, nodes[0].image);
  EXPECT_EQ(1, nodes[0].selectedImage);
  EXPECT_EQ(0, web->image);
  EXPECT_EQ(1, web->selectedImage);
  EXPECT_EQ(2, secret->image);
  EXPECT_EQ(3, secret->selectedImage);
  EXPECT_EQ(0, inner->image) << "only the hidden folder itself is pale";
  for (const kft::TreeNode& node : nodes) {
    if (TreeView_GetChild(dialog.Control(kFolderTree), node.item)) {
      EXPECT_TRUE(Expanded(node.item)) << node.text;
    }
  }
  // A directory named x.ini is a folder, not an engine.
  EXPECT_TRUE(dialog.Items().empty());
}

TEST_F(TreeAndList, TheListShowsEngineNamesCheckedWhenNotHidden) {
  sandbox.WriteEngine("Shown.ini", std::string("u1"));
  sandbox.WriteEngine("Hidden.ini", std::string("u2"), std::string("sjis"), FILE_ATTRIBUTE_HIDDEN);
  sandbox.WriteEngine("Locked.ini", std::string("u3"), std::string("sjis"),
                      FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM);
  sandbox.WriteEngine("a.b.c.ini", std::string("u4"));
  sandbox.WriteEngine(".ini", std::string("u5"));
  ASSERT_TRUE(kft::WriteBytes(sandbox.EnginePath("notes.txt"), "not an engine"));
  ASSERT_TRUE(Open());
  std::vector<std::string> items = dialog.Items();
  const std::vector<bool> checks = dialog.Checks();
  ASSERT_EQ(5u, items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE("engine \"" + items[i] + "\"");
    // Wine reports Unix dot files as hidden, so ".ini" is what it says.
    const bool hidden = (sandbox.Attributes(items[i] + ".ini") & FILE_ATTRIBUTE_HIDDEN) != 0;
    EXPECT_EQ(items[i] == "Hidden" || (items[i].empty() && hidden), !checks[i]);
  }
  std::sort(items.begin(), items.end());
  EXPECT_EQ((std::vector<std::string>{"", "Hidden", "Locked", "Shown", "a.b.c"}), items);
}

TEST_F(TreeAndList, SelectingAFolderListsItsEnginesAndTheRootDisablesFolderCommands) {
  sandbox.WriteEngine("Top.ini", std::string("u"));
  sandbox.WriteEngine("Web/Google.ini", std::string("u"));
  ASSERT_TRUE(Open());
  EXPECT_EQ(std::vector<std::string>{"Top"}, dialog.Items());
  EXPECT_FALSE(dialog.Enabled(kFolderVisibilityButton));
  EXPECT_FALSE(dialog.TreeEditable()) << "the root's label cannot be edited";
  // An edit of the root's label is refused even if asked for.
  EXPECT_EQ(nullptr, TreeView_EditLabel(dialog.Control(kFolderTree), dialog.Node("ROOT")));

  dialog.SelectNode("Web");
  EXPECT_EQ("Web", dialog.SelectedNodeText());
  EXPECT_EQ(std::vector<std::string>{"Google"}, dialog.Items());
  EXPECT_EQ(-1, dialog.SelectedItem());
  EXPECT_TRUE(dialog.Enabled(kFolderVisibilityButton));
  EXPECT_TRUE(dialog.TreeEditable());

  dialog.SelectNode("ROOT");
  EXPECT_FALSE(dialog.Enabled(kFolderVisibilityButton));
  EXPECT_FALSE(dialog.TreeEditable());
}

TEST_F(TreeAndList, ClickingTheBoxHidesAndShowsTheFileKeepingItsOtherAttributes) {
  sandbox.WriteEngine("Locked.ini", std::string("u"), std::string("sjis"), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(Open());
  ASSERT_EQ(std::vector<bool>{true}, dialog.Checks());
  dialog.ClickCheckBox(0);
  EXPECT_EQ(0, dialog.SelectedItem()) << "the click selects the item too";
  EXPECT_EQ(std::vector<bool>{false}, dialog.Checks());
  DWORD attr = sandbox.Attributes("Locked.ini");
  EXPECT_TRUE(attr & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(attr & FILE_ATTRIBUTE_READONLY);

  dialog.ClickCheckBox(0);
  EXPECT_EQ(std::vector<bool>{true}, dialog.Checks());
  attr = sandbox.Attributes("Locked.ini");
  EXPECT_FALSE(attr & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(attr & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(0u, boxes.Count());

  // The file's state is what the list shows when the folder is shown again.
  dialog.ClickCheckBox(0);
  dialog.SelectNode("ROOT");
  dialog.KeyUp(dialog.Control(kFolderTree), VK_F5);
  EXPECT_EQ(std::vector<bool>{false}, dialog.Checks());
}

TEST_F(TreeAndList, ClickingTheTextSelectsWithoutTogglingAndSpaceToggles) {
  sandbox.WriteEngine("One.ini", std::string("u"));
  ASSERT_TRUE(Open());
  dialog.ClickItem(0);
  EXPECT_EQ(0, dialog.SelectedItem());
  EXPECT_EQ(std::vector<bool>{true}, dialog.Checks());
  EXPECT_FALSE(sandbox.Attributes("One.ini") & FILE_ATTRIBUTE_HIDDEN);

  HWND list = dialog.Control(kEngineList);
  dialog.Char(list, ' ');
  EXPECT_EQ(std::vector<bool>{false}, dialog.Checks());
  EXPECT_TRUE(sandbox.Attributes("One.ini") & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(TreeAndList, ItemsAreTwelvePixelsHigh) {
  sandbox.WriteEngine("One.ini", std::string("u"));
  ASSERT_TRUE(Open());
  EXPECT_EQ(12, SendMessageA(dialog.Control(kEngineList), LB_GETITEMHEIGHT, 0, 0));
}

TEST_F(TreeAndList, TheFolderButtonTogglesTheHiddenBitAndThePaleIcons) {
  sandbox.MakeFolder("Web", FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(Open());
  dialog.SelectNode("Web");
  dialog.Click(kFolderVisibilityButton);
  EXPECT_FALSE(sandbox.Attributes("Web") & FILE_ATTRIBUTE_HIDDEN);
  const kft::TreeNode* web = NodeNamed(dialog.Nodes(), "Web");
  ASSERT_TRUE(web);
  EXPECT_EQ(0, NodeNamed(dialog.Nodes(), "Web")->image);
  EXPECT_EQ(1, NodeNamed(dialog.Nodes(), "Web")->selectedImage);

  dialog.Click(kFolderVisibilityButton);
  EXPECT_TRUE(sandbox.Attributes("Web") & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(sandbox.Attributes("Web") & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(2, NodeNamed(dialog.Nodes(), "Web")->image);
  EXPECT_EQ(3, NodeNamed(dialog.Nodes(), "Web")->selectedImage);
  EXPECT_EQ(0u, boxes.Count());
}

TEST_F(TreeAndList, F5ShowsOutsideChangesSelectsTheRootAndListsItsEngines) {
  sandbox.WriteEngine("Web/Google.ini", std::string("u"));
  ASSERT_TRUE(Open());
  dialog.SelectNode("Web");
  sandbox.MakeFolder("Added");
  sandbox.WriteEngine("Fresh.ini", std::string("u"));
  EXPECT_FALSE(dialog.Node("Added")) << "nothing is re-read on its own";
  dialog.KeyUp(dialog.Focus(), VK_F5);
  EXPECT_TRUE(dialog.Node("Added"));
  EXPECT_EQ("ROOT", dialog.SelectedNodeText());
  EXPECT_EQ(std::vector<std::string>{"Fresh"}, dialog.Items());
  EXPECT_FALSE(dialog.Enabled(kFolderVisibilityButton));
}

TEST_F(TreeAndList, F5IsSeenWhicheverControlHasTheFocus) {
  ASSERT_TRUE(Open());
  sandbox.MakeFolder("Added");
  HWND edit = dialog.Control(kUrlEdit);
  SetFocus(edit);
  dialog.KeyUp(edit, VK_F5);
  EXPECT_TRUE(dialog.Node("Added"));
}

TEST_F(TreeAndList, ClickingAnEngineFillsTheFieldsAndTheirTooltips) {
  sandbox.WriteEngine("Plain.ini", std::string("https://p.example/?q=[WORD]"), std::string("sjis"));
  sandbox.WriteEngine("Capital.ini", std::string("c"), std::string("Sjis"));
  sandbox.WriteEngine("Upper.ini", std::string("u"), std::string("SJIS"));
  sandbox.WriteEngine("Euc.ini", std::string("e"), std::string("euc"));
  sandbox.WriteEngine("NoEncode.ini", std::string("n"), std::nullopt);
  sandbox.WriteEngine("NoUrl.ini", std::nullopt, std::string("sjis"));
  ASSERT_TRUE(Open());
  struct Case {
    const char* name;
    const char* url;
    bool sjis;
  };
  // The button of the encoding the search uses: anything but the exact
  // "euc" or "utf8" searches in Shift-JIS.
  const Case cases[] = {{"Plain", "https://p.example/?q=[WORD]", true}, {"Capital", "c", true},
                        {"Upper", "u", true}, {"Euc", "e", false}, {"NoEncode", "n", true},
                        {"NoUrl", "", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int index = dialog.ItemIndex(c.name);
    ASSERT_GE(index, 0);
    dialog.ClickItem(index);
    EXPECT_EQ(c.name, dialog.Text(kNameEdit));
    EXPECT_EQ(c.url, dialog.Text(kUrlEdit));
    EXPECT_EQ(c.sjis, dialog.Checked(kSjisRadio));
    EXPECT_EQ(!c.sjis, dialog.Checked(kEucRadio));
    EXPECT_EQ(c.name, kft::TooltipText(dialog.Form(), dialog.Control(kNameEdit)));
    EXPECT_EQ(c.url, kft::TooltipText(dialog.Form(), dialog.Control(kUrlEdit)));
  }
  // The file is read as it is when the engine is selected.
  sandbox.WriteEngine("Plain.ini", std::string("https://changed.example/"), std::string("euc"));
  dialog.ClickItem(dialog.ItemIndex("Euc"));
  dialog.ClickItem(dialog.ItemIndex("Plain"));
  EXPECT_EQ("https://changed.example/", dialog.Text(kUrlEdit));
  EXPECT_TRUE(dialog.Checked(kEucRadio));
}

TEST_F(TreeAndList, JapaneseFolderAndEngineNames) {
  if (!kft::IsCodePage932())
    GTEST_SKIP() << "Japanese names need code page 932";
  const std::string folder = kft::Sjis(u8"辞書");
  const std::string engine = kft::Sjis(u8"表示");  // its trail byte is 0x5C
  sandbox.WriteEngine(folder + "\\" + engine + ".ini", std::string("https://d.example/[WORD]"));
  ASSERT_TRUE(Open());
  dialog.SelectNode(folder);
  ASSERT_EQ(std::vector<std::string>{engine}, dialog.Items());
  dialog.ClickCheckBox(0);
  EXPECT_TRUE(sandbox.Attributes(folder + "\\" + engine + ".ini") & FILE_ATTRIBUTE_HIDDEN);
  dialog.ClickItem(0);
  EXPECT_EQ(engine, dialog.Text(kNameEdit));
}

}  // namespace
