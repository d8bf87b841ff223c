// The settings dialog's Help command when the platform has no HTML Help
// control registered: a message, no help window, and the dialog goes on.
#include <windows.h>

#include <gtest/gtest.h>

#include "HelpRegistration.h"
#include "SettingDriver.h"

using namespace kf;

namespace {

BOOL CALLBACK CountHelpWindow(HWND hwnd, LPARAM param) {
  char name[64] = "";
  GetClassNameA(hwnd, name, sizeof name);
  if (lstrcmpA(name, "HH Parent") == 0)
    ++*reinterpret_cast<int*>(param);
  return TRUE;
}

// HTML Help windows (Wine's class "HH Parent") on the test's thread.
int HelpWindowsOfThisThread() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountHelpWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

class HelpCommand : public kft::SettingDialogTest {};

TEST_F(HelpCommand, WithoutARegisteredControlSaysSoOnceLoadedAndNeverRetries) {
  ASSERT_TRUE(kft::CopyFileTo(kft::BinFile("Kestrelfind.chm"), sandbox.Folder() + "Kestrelfind.chm"));
  {
    kft::HelpControlRegistration registration;
    ASSERT_TRUE(registration.Remove());
    ASSERT_TRUE(Open());
    ASSERT_TRUE(dialog.Enabled(kHelpButton));
    dialog.Click(kHelpButton);
  }
  // The registration is back, but the first use decided.
  dialog.KeyUp(dialog.Control(kFolderTree), VK_F1);
  dialog.Pump(200);
  ASSERT_EQ(2u, boxes.Count());
  for (const auto& box : boxes.Boxes())
    EXPECT_EQ("The HTML Help viewer is not available.", box.TextUtf8());
  EXPECT_EQ(0, HelpWindowsOfThisThread());
  EXPECT_TRUE(dialog.Visible());
  dialog.Close();
}

}  // namespace
