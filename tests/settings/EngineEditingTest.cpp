// Adding, modifying, deleting and clearing engines from the "Add / Modify"
// group, with what lands on disk.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <thread>

#include "OptionsWindow.h"
#include "SettingDriver.h"

using namespace kf;

namespace {

class EngineEditing : public kft::SettingDialogTest {
 protected:
  std::string Value(const std::string& rel, const char* key) {
    char buffer[2048] = {};
    GetPrivateProfileStringA("General", key, "<missing>", buffer, sizeof(buffer), sandbox.EnginePath(rel).c_str());
    return buffer;
  }
  // The name of the file as the directory holds it (case included), or "".
  std::string FileNameOnDisk(const std::string& rel) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(sandbox.EnginePath(rel).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
      return std::string();
    FindClose(find);
    return data.cFileName;
  }
  void Fill(const std::string& name, const std::string& url) {
    dialog.Type(kNameEdit, name);
    dialog.Type(kUrlEdit, url);
  }
};

TEST_F(EngineEditing, TheEnableRuleFollowsBothFieldsAndTheListIgnoringCase) {
  sandbox.WriteEngine("google.ini", std::string("u"));
  ASSERT_TRUE(Open());
  Fill("Google", "https://x.example/");
  EXPECT_FALSE(dialog.Enabled(kAddButton));
  EXPECT_TRUE(dialog.Enabled(kModifyButton));

  Fill("Googl", "https://x.example/");
  EXPECT_TRUE(dialog.Enabled(kAddButton));
  EXPECT_FALSE(dialog.Enabled(kModifyButton));

  Fill("Googl", "");
  EXPECT_FALSE(dialog.Enabled(kAddButton));
  EXPECT_FALSE(dialog.Enabled(kModifyButton));

  Fill("", "https://x.example/");
  EXPECT_FALSE(dialog.Enabled(kAddButton));
  EXPECT_FALSE(dialog.Enabled(kModifyButton));

  // Another folder runs the rule again: Google is not listed there.
  sandbox.MakeFolder("Other");
  dialog.KeyUp(dialog.Focus(), VK_F5);
  Fill("Google", "https://x.example/");
  dialog.SelectNode("Other");
  EXPECT_TRUE(dialog.Enabled(kAddButton));
  EXPECT_FALSE(dialog.Enabled(kModifyButton));
}

TEST_F(EngineEditing, TypedKeysReachTheFieldsAndTheirTooltips) {
  ASSERT_TRUE(Open());
  HWND edit = dialog.Control(kNameEdit);
  SetFocus(edit);
  for (char ch : std::string("Bing"))
    dialog.Char(edit, ch);
  EXPECT_EQ("Bing", dialog.Text(kNameEdit));
  EXPECT_EQ("Bing", kft::TooltipText(dialog.Form(), edit));
}

// After Add the buttons are what they would be had the user typed the name
// of an engine in the list: Add greyed, Modify offered.
TEST_F(EngineEditing, AddWritesTheFileListsItCheckedAndSelectedAndOffersModifyNext) {
  sandbox.WriteEngine("Old.ini", std::string("u"));
  ASSERT_TRUE(Open());
  Fill("New", "https://n.example/?q=[WORD]");
  dialog.AltKey(dialog.Focus(), 'e');
  dialog.Click(kAddButton);
  EXPECT_EQ("https://n.example/?q=[WORD]", Value("New.ini", "url"));
  EXPECT_EQ("euc", Value("New.ini", "encode"));
  const std::string bytes = kft::ReadBytes(sandbox.EnginePath("New.ini"));
  EXPECT_LT(bytes.find("url="), bytes.find("encode=")) << "url is written first";
  EXPECT_FALSE(sandbox.Attributes("New.ini") & FILE_ATTRIBUTE_HIDDEN);

  const int index = dialog.ItemIndex("New");
  ASSERT_GE(index, 0);
  EXPECT_EQ(index, dialog.SelectedItem());
  EXPECT_TRUE(dialog.Checks()[static_cast<size_t>(index)]);
  EXPECT_FALSE(dialog.Enabled(kAddButton));
  EXPECT_TRUE(dialog.Enabled(kModifyButton));
  EXPECT_EQ(0u, boxes.Count());
}

// An engine of the name that appeared since the folder was listed is kept as
// it is; the list then shows it, with Modify offered for it.
TEST_F(EngineEditing, AddOfANameWhoseFileAppearedOutsideKeepsThatFileAndShowsIt) {
  ASSERT_TRUE(Open());
  sandbox.WriteEngine("Sneaky.ini", std::string("original"), std::string("euc"));
  Fill("Sneaky", "https://replaced.example/");
  ASSERT_TRUE(dialog.Enabled(kAddButton));
  dialog.Click(kAddButton);
  EXPECT_EQ("original", Value("Sneaky.ini", "url"));
  EXPECT_GE(dialog.ItemIndex("Sneaky"), 0);
  EXPECT_FALSE(dialog.Enabled(kAddButton));
  EXPECT_TRUE(dialog.Enabled(kModifyButton));
  EXPECT_EQ(0u, boxes.Count());
}

TEST_F(EngineEditing, AddInTheSelectedFolderUsesUtf8ByDefault) {
  sandbox.MakeFolder("Web");
  ASSERT_TRUE(Open());
  dialog.SelectNode("Web");
  Fill("Google", "https://g.example/[WORD]");
  dialog.Click(kAddButton);
  EXPECT_EQ("utf8", Value("Web/Google.ini", "encode"));
  EXPECT_EQ(std::vector<std::string>{"Google"}, dialog.Items());
  EXPECT_FALSE(kft::FileExists(sandbox.EnginePath("Google.ini")));
}

// Names the file system cannot hold, and URLs an engine file cannot give
// back as written, are refused before anything is written, with the reason;
// the fields stay as typed for the user to mend.
TEST_F(EngineEditing, NamesAndUrlsTheStoreCannotHoldAreRefusedBeforeWriting) {
  sandbox.MakeFolder("Sub");
  sandbox.WriteEngine("Kept.ini", std::string("https://kept.example/"));
  ASSERT_TRUE(Open());
  struct Case {
    std::string name, url, says;
  };
  const std::string longUrl = "https://l.example/?q=" + std::string(2100, 'a');
  const Case cases[] = {
      {"bad|name", "https://x.example/", "cannot contain"},
      {"Sub\\Inner", "https://x.example/", "cannot contain"},
      {"a/b", "https://x.example/", "cannot contain"},
      {"ends.", "https://x.example/", "cannot end in a dot or a space"},
      {"ends ", "https://x.example/", "cannot end in a dot or a space"},
      {"CON", "https://x.example/", "reserves it for a device"},
      {"com1.web", "https://x.example/", "reserves it for a device"},
      {"Long", longUrl, "2121 characters long, and an engine file holds at most 2047"},
      {"Broken", "https://x.example/?q=[WORD]\r\nencode=euc", "a line break or another control character"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    boxes.Clear();
    Fill(c.name, c.url);
    dialog.Click(kAddButton);
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_NE(std::string::npos, boxes.Boxes()[0].TextUtf8().find(c.says)) << boxes.Boxes()[0].TextUtf8();
    EXPECT_EQ(c.name, dialog.Text(kNameEdit));
  }
  EXPECT_EQ(std::vector<std::string>{"Kept"}, dialog.Items());
  EXPECT_FALSE(kft::FileExists(sandbox.EnginePath("Sub/Inner.ini"))) << "nothing written into the subfolder";

  // Modify refuses the same way and leaves the engine as it was.
  boxes.Clear();
  dialog.ClickItem(dialog.ItemIndex("Kept"));
  dialog.Type(kNameEdit, "Kept.");
  SendMessageA(dialog.Form(), WM_COMMAND, MAKEWPARAM(kModifyButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(dialog.Control(kModifyButton)));
  dialog.Pump();
  EXPECT_EQ(1u, boxes.Count());
  EXPECT_EQ("https://kept.example/", Value("Kept.ini", "url"));
  EXPECT_EQ(std::vector<std::string>{"Kept"}, dialog.Items());
}

TEST_F(EngineEditing, BlanksAroundTheUrlAreTrimmedSoThatWhatIsShownIsWhatIsStored) {
  ASSERT_TRUE(Open());
  Fill("Padded", "  https://p.example/?q=[WORD]\t ");
  dialog.Click(kAddButton);
  EXPECT_EQ("https://p.example/?q=[WORD]", Value("Padded.ini", "url"));
  EXPECT_EQ("https://p.example/?q=[WORD]", dialog.Text(kUrlEdit));
  EXPECT_EQ(0u, boxes.Count()) << (boxes.Count() ? boxes.Boxes()[0].TextUtf8() : "");
}

TEST_F(EngineEditing, ModifyWithTheSameNameRewritesOnlyUrlAndEncode) {
  sandbox.WriteEngine("Google.ini", std::string("https://old.example/"), std::string("euc"));
  ASSERT_TRUE(Open());
  dialog.ClickItem(dialog.ItemIndex("Google"));
  ASSERT_TRUE(dialog.Checked(kEucRadio));
  dialog.Type(kUrlEdit, "https://new.example/?q=[WORD]");
  dialog.AltKey(dialog.Focus(), 's');
  ASSERT_TRUE(dialog.Enabled(kModifyButton));
  dialog.Click(kModifyButton);
  EXPECT_EQ("https://new.example/?q=[WORD]", Value("Google.ini", "url"));
  EXPECT_EQ("sjis", Value("Google.ini", "encode"));
  EXPECT_EQ(-1, dialog.SelectedItem());
  EXPECT_EQ("Google", dialog.Text(kNameEdit));
  EXPECT_EQ("https://new.example/?q=[WORD]", dialog.Text(kUrlEdit));
  EXPECT_EQ(0u, boxes.Count());
}

TEST_F(EngineEditing, ModifyWithOtherLetterCaseRenamesTheFile) {
  sandbox.WriteEngine("google.ini", std::string("u"));
  ASSERT_TRUE(Open());
  dialog.ClickItem(0);
  dialog.Type(kNameEdit, "GOOGLE");
  dialog.Click(kModifyButton);
  EXPECT_EQ("GOOGLE.ini", FileNameOnDisk("google.ini"));
  EXPECT_EQ(std::vector<std::string>{"GOOGLE"}, dialog.Items());
}

TEST_F(EngineEditing, ModifyToANewNameRenamesAndKeepsTheHiddenState) {
  sandbox.WriteEngine("Old.ini", std::string("u"), std::string("sjis"), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(Open());
  dialog.ClickItem(0);
  dialog.Type(kNameEdit, "Renamed");
  dialog.Type(kUrlEdit, "https://r.example/");
  // The name is not listed, so the rule offers Add; Modify acts on the
  // selected engine whatever the buttons say, through its command.
  SendMessageA(dialog.Form(), WM_COMMAND, MAKEWPARAM(kModifyButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(dialog.Control(kModifyButton)));
  dialog.Pump();
  EXPECT_FALSE(kft::FileExists(sandbox.EnginePath("Old.ini")));
  EXPECT_EQ("https://r.example/", Value("Renamed.ini", "url"));
  EXPECT_TRUE(sandbox.Attributes("Renamed.ini") & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(std::vector<bool>{false}, dialog.Checks());
}

TEST_F(EngineEditing, ModifyOntoAnotherListedEngineChangesNeitherAndSaysWhy) {
  sandbox.WriteEngine("A.ini", std::string("https://a.example/"), std::string("sjis"));
  sandbox.WriteEngine("B.ini", std::string("https://b.example/"), std::string("sjis"));
  ASSERT_TRUE(Open());
  dialog.ClickItem(dialog.ItemIndex("A"));
  dialog.Type(kNameEdit, "B");
  dialog.Type(kUrlEdit, "https://typed.example/");
  dialog.AltKey(dialog.Focus(), 'e');
  dialog.Click(kModifyButton);
  EXPECT_EQ("https://a.example/", Value("A.ini", "url"));
  EXPECT_EQ("https://b.example/", Value("B.ini", "url"));
  EXPECT_EQ("sjis", Value("B.ini", "encode"));
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ(0u, boxes.Boxes()[0].TextUtf8().find("Could not rename the engine file \"" +
                                                  kft::AnsiToUtf8(sandbox.EnginePath("A.ini")) + "\" to \"B.ini\": "))
      << boxes.Boxes()[0].TextUtf8();
  EXPECT_EQ((std::vector<std::string>{"A", "B"}), dialog.Items());
}

TEST_F(EngineEditing, Utf8RoundTripsThroughAddClickAndModifyAndOnlyTheExactValueShowsIt) {
  sandbox.WriteEngine("Upper.ini", std::string("https://u.example/"), std::string("UTF8"));
  ASSERT_TRUE(Open());
  Fill("Wiki", "https://w.example/?q=[WORD]");
  dialog.Click(kUtf8Radio);
  dialog.Click(kAddButton);
  EXPECT_EQ("utf8", Value("Wiki.ini", "encode"));

  dialog.ClickItem(dialog.ItemIndex("Upper"));
  EXPECT_TRUE(dialog.Checked(kSjisRadio)) << "only the exact value shows UTF-8; the search uses Shift-JIS";
  EXPECT_FALSE(dialog.Checked(kUtf8Radio));
  dialog.ClickItem(dialog.ItemIndex("Wiki"));
  EXPECT_TRUE(dialog.Checked(kUtf8Radio));
  EXPECT_FALSE(dialog.Checked(kSjisRadio) || dialog.Checked(kEucRadio));
  dialog.Type(kUrlEdit, "https://w2.example/?q=[WORD]");
  dialog.Click(kModifyButton);
  EXPECT_EQ("utf8", Value("Wiki.ini", "encode"));
  EXPECT_EQ("https://w2.example/?q=[WORD]", Value("Wiki.ini", "url"));
}

// The buttons show the encoding the search uses, so Modify with them left
// alone never changes how an engine searches.
TEST_F(EngineEditing, ModifyWithTheButtonsLeftAloneKeepsHowTheEngineSearches) {
  const struct {
    const char* file;
    std::optional<std::string> encode;
    const char* written;
  } cases[] = {{"Plain.ini", std::nullopt, "sjis"}, {"Upper.ini", std::string("EUC"), "sjis"},
               {"Mixed.ini", std::string("Sjis"), "sjis"}, {"Euc.ini", std::string("euc"), "euc"},
               {"Utf.ini", std::string("utf8"), "utf8"}};
  for (const auto& c : cases)
    sandbox.WriteEngine(c.file, std::string("u"), c.encode);
  ASSERT_TRUE(Open());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string name = std::string(c.file).substr(0, std::string(c.file).size() - 4);
    dialog.ClickItem(dialog.ItemIndex(name));
    dialog.Click(kModifyButton);
    EXPECT_EQ(c.written, Value(c.file, "encode"));
  }
}

TEST_F(EngineEditing, ModifyOfAReadOnlyFileReportsAndStillRefreshes) {
  sandbox.WriteEngine("Locked.ini", std::string("u"), std::string("sjis"), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(Open());
  dialog.ClickItem(0);
  dialog.Type(kUrlEdit, "https://changed.example/");
  dialog.Click(kModifyButton);
  EXPECT_EQ("u", Value("Locked.ini", "url"));
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ(0u, boxes.Boxes()[0].TextUtf8().find("Unable to write to " +
                                                  kft::AnsiToUtf8(sandbox.EnginePath("Locked.ini")) + ": "));
  EXPECT_EQ(std::vector<std::string>{"Locked"}, dialog.Items());
  EXPECT_EQ(-1, dialog.SelectedItem());
}

TEST_F(EngineEditing, DeleteAsksFirstAndCancelLeavesEverything) {
  sandbox.WriteEngine("Gone.ini", std::string("u"));
  ASSERT_TRUE(Open());
  dialog.ClickItem(0);
  boxes.SetAnswer(IDCANCEL);
  dialog.Click(kDeleteEngineButton);
  ASSERT_EQ(1u, boxes.Count());
  const kft::SeenMessageBox& box = boxes.Boxes()[0];
  EXPECT_EQ("Delete the engine \"Gone\"?", box.TextUtf8());
  EXPECT_TRUE(box.HasButton(IDOK));
  EXPECT_TRUE(box.HasButton(IDCANCEL));
  EXPECT_EQ(2u, box.buttons.size());
  EXPECT_TRUE(kft::FileExists(sandbox.EnginePath("Gone.ini")));
  EXPECT_EQ(std::vector<std::string>{"Gone"}, dialog.Items());

  boxes.SetAnswer(IDOK);
  dialog.Click(kDeleteEngineButton);
  EXPECT_EQ(2u, boxes.Count());
  EXPECT_FALSE(kft::FileExists(sandbox.EnginePath("Gone.ini")));
  EXPECT_TRUE(dialog.Items().empty());
}

TEST_F(EngineEditing, DeleteWithoutASelectedItemDoesNothing) {
  sandbox.WriteEngine("Kept.ini", std::string("u"));
  ASSERT_TRUE(Open());
  dialog.Click(kDeleteEngineButton);
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_TRUE(kft::FileExists(sandbox.EnginePath("Kept.ini")));
}

TEST_F(EngineEditing, TheDeleteKeyInTheListAsksTheSameQuestion) {
  sandbox.WriteEngine("Gone.ini", std::string("u"));
  ASSERT_TRUE(Open());
  dialog.ClickItem(0);
  dialog.Key(dialog.Control(kEngineList), VK_DELETE);
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Delete the engine \"Gone\"?", boxes.Boxes()[0].TextUtf8());
  EXPECT_FALSE(kft::FileExists(sandbox.EnginePath("Gone.ini")));
}

TEST_F(EngineEditing, ADeleteThatFailsSaysWhyAndTheEngineStaysListed) {
  sandbox.WriteEngine("Locked.ini", std::string("u"));
  ASSERT_TRUE(Open());
  dialog.ClickItem(0);
  const kft::ExclusiveFile held(sandbox.EnginePath("Locked.ini"));
  dialog.Click(kDeleteEngineButton);
  ASSERT_EQ(2u, boxes.Count()) << "the question, then the failure";
  EXPECT_EQ(0u, boxes.Boxes()[1].TextUtf8().find("Could not move the engine file \"" +
                                                  kft::AnsiToUtf8(sandbox.EnginePath("Locked.ini")) +
                                                  "\" to the recycle bin: "));
  EXPECT_TRUE(kft::FileExists(sandbox.EnginePath("Locked.ini")));
  EXPECT_EQ(std::vector<std::string>{"Locked"}, dialog.Items());
}

// Favourite (pin=1) and the access key (key=X) are filled from the engine
// and written by Add and Modify; unset, the keys are removed, and a file
// that has neither never gets them.
TEST_F(EngineEditing, FavouriteAndKeyAreFilledWrittenAndRemoved) {
  sandbox.WriteEngine("Plain.ini", std::string("https://p.example/"));
  ASSERT_TRUE(Open());
  dialog.ClickItem(dialog.ItemIndex("Plain"));
  EXPECT_FALSE(dialog.Checked(kFavouriteCheck));
  EXPECT_EQ("", dialog.Text(kAccessKeyEdit));
  dialog.Click(kModifyButton);
  EXPECT_EQ("<missing>", Value("Plain.ini", "pin"));
  EXPECT_EQ("<missing>", Value("Plain.ini", "key"));

  dialog.ClickItem(dialog.ItemIndex("Plain"));
  dialog.Click(kFavouriteCheck);
  dialog.Type(kAccessKeyEdit, "g");
  dialog.Click(kModifyButton);
  EXPECT_EQ("1", Value("Plain.ini", "pin"));
  EXPECT_EQ("G", Value("Plain.ini", "key"));
  dialog.ClickItem(dialog.ItemIndex("Plain"));
  EXPECT_TRUE(dialog.Checked(kFavouriteCheck));
  EXPECT_EQ("G", dialog.Text(kAccessKeyEdit));

  dialog.Click(kFavouriteCheck);
  dialog.Type(kAccessKeyEdit, "");
  dialog.Click(kModifyButton);
  EXPECT_EQ("<missing>", Value("Plain.ini", "pin"));
  EXPECT_EQ("<missing>", Value("Plain.ini", "key"));

  Fill("Pinned", "https://n.example/");
  dialog.Click(kFavouriteCheck);
  dialog.Type(kAccessKeyEdit, "7");
  dialog.Click(kAddButton);
  EXPECT_EQ("1", Value("Pinned.ini", "pin"));
  EXPECT_EQ("7", Value("Pinned.ini", "key"));
  dialog.Click(kClearButton);
  EXPECT_FALSE(dialog.Checked(kFavouriteCheck));
  EXPECT_EQ("", dialog.Text(kAccessKeyEdit));
  EXPECT_EQ(0u, boxes.Count());
}

TEST_F(EngineEditing, ClearEmptiesTheFieldsChecksUtf8AndDisablesBothButtons) {
  sandbox.WriteEngine("Euc.ini", std::string("u"), std::string("euc"));
  ASSERT_TRUE(Open());
  dialog.ClickItem(0);
  ASSERT_TRUE(dialog.Enabled(kModifyButton));
  dialog.Click(kClearButton);
  EXPECT_EQ("", dialog.Text(kNameEdit));
  EXPECT_EQ("", dialog.Text(kUrlEdit));
  EXPECT_EQ("", kft::TooltipText(dialog.Form(), dialog.Control(kNameEdit)));
  EXPECT_TRUE(dialog.Checked(kUtf8Radio));
  EXPECT_FALSE(dialog.Checked(kEucRadio));
  EXPECT_FALSE(dialog.Enabled(kAddButton));
  EXPECT_FALSE(dialog.Enabled(kModifyButton));
}

TEST_F(EngineEditing, WithNoFolderSelectedTheCommandsDoNothing) {
  sandbox.WriteEngine("Kept.ini", std::string("u"));
  ASSERT_TRUE(Open());
  dialog.ClickItem(0);
  Fill("Fresh", "https://f.example/");
  TreeView_SelectItem(dialog.Control(kFolderTree), nullptr);
  dialog.Pump();
  for (ControlId id : {kAddButton, kModifyButton, kDeleteEngineButton}) {
    SendMessageA(dialog.Form(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(dialog.Control(id)));
    dialog.Pump();
  }
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_FALSE(kft::FileExists(sandbox.EnginePath("Fresh.ini")));
  EXPECT_EQ("u", Value("Kept.ini", "url"));
}

TEST_F(EngineEditing, JapaneseEngineNamesRoundTrip) {
  if (!kft::IsCodePage932())
    GTEST_SKIP() << "Japanese names need code page 932";
  const std::string name = kft::Sjis(u8"ソフト検索");  // ソ ends in 0x5C
  ASSERT_TRUE(CreateDirectoryA(sandbox.EngineDir().c_str(), nullptr));
  ASSERT_TRUE(Open());
  Fill(name, "https://s.example/[WORD]");
  dialog.Click(kAddButton);
  EXPECT_EQ("https://s.example/[WORD]", Value(name + ".ini", "url"));
  EXPECT_EQ(std::vector<std::string>{name}, dialog.Items());
  dialog.Type(kUrlEdit, "https://t.example/[WORD]");
  dialog.Click(kModifyButton);
  EXPECT_EQ("https://t.example/[WORD]", Value(name + ".ini", "url"));
  EXPECT_EQ(0u, boxes.Count()) << (boxes.Count() ? boxes.Boxes()[0].TextUtf8() : std::string());
}

// A post engine: the method and its form fields shown, written only for it,
// and a form posted only to a web address.
TEST_F(EngineEditing, PostEnginesShowAndWriteTheirFormFields) {
  const std::string form = sandbox.WriteEngine("Form.ini", std::string("https://f.example/find"), std::string("utf8"));
  WritePrivateProfileStringA("General", "method", "POST", form.c_str());
  WritePrivateProfileStringA("General", "post", "q=[WORD]&lang=ja", form.c_str());
  sandbox.WriteEngine("Plain.ini", std::string("https://p.example/?q=[WORD]"));
  ASSERT_TRUE(Open());
  dialog.ClickItem(dialog.ItemIndex("Form"));
  EXPECT_TRUE(dialog.Checked(kPostRadio));
  EXPECT_EQ("q=[WORD]&lang=ja", dialog.Text(kFormFieldsEdit));
  EXPECT_TRUE(dialog.Enabled(kFormFieldsEdit));
  dialog.ClickItem(dialog.ItemIndex("Plain"));
  EXPECT_TRUE(dialog.Checked(kGetRadio));
  EXPECT_FALSE(dialog.Enabled(kFormFieldsEdit));

  dialog.Click(kPostRadio);
  EXPECT_TRUE(dialog.Enabled(kFormFieldsEdit));
  dialog.Type(kFormFieldsEdit, " k=[WORD] ");
  dialog.Click(kModifyButton);
  EXPECT_EQ("post", Value("Plain.ini", "method"));
  EXPECT_EQ("k=[WORD]", Value("Plain.ini", "post"));
  dialog.ClickItem(dialog.ItemIndex("Plain"));
  EXPECT_TRUE(dialog.Checked(kPostRadio));
  dialog.Click(kGetRadio);
  dialog.Click(kModifyButton);
  EXPECT_EQ("<missing>", Value("Plain.ini", "method"));
  EXPECT_EQ("<missing>", Value("Plain.ini", "post"));

  Fill("Mail", "mailto:someone@example.com");
  dialog.Click(kPostRadio);
  dialog.Click(kAddButton);
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_NE(std::string::npos, boxes.Boxes()[0].TextUtf8().find("mailto:")) << boxes.Boxes()[0].TextUtf8();
  EXPECT_FALSE(kft::FileExists(sandbox.EnginePath("Mail.ini")));
  dialog.Click(kClearButton);
  EXPECT_TRUE(dialog.Checked(kGetRadio));
  EXPECT_EQ("", dialog.Text(kFormFieldsEdit));
}

// Test opens the engine as the fields stand, unsaved, with a word of its own.
TEST_F(EngineEditing, TestSearchesWithTheFieldsAsTheyStand) {
  ASSERT_TRUE(Open());
  EXPECT_FALSE(dialog.Enabled(kTestButton));
  kft::UrlLog urls;
  dialog.Type(kUrlEdit, "kftest://t.example/?q=[WORD]");
  dialog.Click(kUtf8Radio);
  dialog.Click(kTestButton);
  ASSERT_TRUE(urls.WaitForLines(1));
  EXPECT_EQ("kftest://t.example/?q=Kestrelfind", urls.Lines()[0]);
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_TRUE(dialog.Items().empty()) << "nothing saved";
}

}  // namespace

namespace {

class BrowserFields : public EngineEditing {
 protected:
  // This process's Options window (another test program may show one too).
  static HWND OptionsWindow() {
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, kOptionsWindowClass, nullptr));) {
      DWORD process = 0;
      GetWindowThreadProcessId(window, &process);
      if (process == GetCurrentProcessId())
        return window;
    }
    return nullptr;
  }

  // Clicks Options and works its window from a second thread while the
  // window's own loop runs: sets the two settings, then OK.
  void SetForEveryEngine(bool privateWindow, const char* browser) {
    std::thread worker([privateWindow, browser] {
      HWND window = nullptr;
      for (int i = 0; i < 200 && !(window = OptionsWindow()); ++i)
        Sleep(25);
      if (!window)
        return;
      SendMessageA(GetDlgItem(window, kAllPrivateCheck), BM_SETCHECK, privateWindow ? BST_CHECKED : BST_UNCHECKED, 0);
      SendMessageA(GetDlgItem(window, kAllBrowserEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(browser));
      PostMessageA(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
    });
    dialog.Click(kOptionsButton);
    worker.join();
    EXPECT_EQ(nullptr, OptionsWindow());
    EXPECT_TRUE(IsWindowEnabled(dialog.Form()));
  }
};

// The box shows where the engine opens; its file says "private" only where
// the setting for every engine would not give that already.
TEST_F(BrowserFields, AreSavedOverTheSettingsForEveryEngine) {
  sandbox.WriteEngine("A.ini", std::string("https://a.example/?q=[WORD]"));
  ASSERT_TRUE(Open());
  SetForEveryEngine(true, "C:\\Browsers\\chrome.exe");
  const std::string ini = sandbox.IniPath();
  EXPECT_EQ("1", kft::IniValue(ini, "Private"));
  EXPECT_EQ("C:\\Browsers\\chrome.exe", kft::IniValue(ini, "Browser"));

  dialog.ClickItem(dialog.ItemIndex("A"));
  EXPECT_TRUE(dialog.Checked(kPrivateCheck));
  EXPECT_EQ("", dialog.Text(kBrowserEdit));

  dialog.Click(kPrivateCheck);
  dialog.Type(kBrowserEdit, "firefox.exe");
  dialog.Click(kModifyButton);
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("The browser \"firefox.exe\" is not the full path of a program. Choose its program with the ... button.",
            boxes.Boxes()[0].TextUtf8());
  EXPECT_EQ("<missing>", Value("A.ini", "private"));

  dialog.Type(kBrowserEdit, " %LOCALAPPDATA%\\Firefox\\firefox.exe ");
  dialog.Click(kModifyButton);
  EXPECT_EQ("0", Value("A.ini", "private"));
  EXPECT_EQ("%LOCALAPPDATA%\\Firefox\\firefox.exe", Value("A.ini", "browser"));

  SetForEveryEngine(false, "");
  EXPECT_EQ("", kft::IniValue(ini, "Private"));
  EXPECT_EQ("", kft::IniValue(ini, "Browser"));
  dialog.ClickItem(dialog.ItemIndex("A"));
  EXPECT_FALSE(dialog.Checked(kPrivateCheck));
  dialog.Type(kBrowserEdit, "");
  dialog.Click(kModifyButton);
  EXPECT_EQ("<missing>", Value("A.ini", "private")) << "no setting to say no to";
  EXPECT_EQ("<missing>", Value("A.ini", "browser"));
  dialog.ClickItem(dialog.ItemIndex("A"));
  dialog.Click(kPrivateCheck);
  dialog.Click(kModifyButton);
  EXPECT_EQ("1", Value("A.ini", "private"));
  EXPECT_EQ(1u, boxes.Count());
}

}  // namespace
