// The HTML Help control loader against Wine's real control and its
// registration.
#include <windows.h>

#include <gtest/gtest.h>

#include "FileSystem.h"
#include "HelpRegistration.h"
#include "HtmlHelp.h"

using namespace kf;

namespace {

TEST(HelpControl, LocatesLoadsBindsAndFreesTheRegisteredControl) {
  const std::string path = LocateHelpControl();
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(IsFile(path));

  LoadHelpControl();
  ASSERT_TRUE(gHelpControl);
  const HMODULE module = gHelpControl.Get();
  EXPECT_TRUE(gHtmlHelpAnsi);
  LoadHelpControl();
  EXPECT_EQ(module, gHelpControl.Get()) << "a second load changes nothing";

  UnloadHelpControl();
  EXPECT_FALSE(gHelpControl);
  EXPECT_FALSE(gHtmlHelpAnsi);
  UnloadHelpControl();
  EXPECT_FALSE(gHelpControl);
}

TEST(HelpControl, RegistrationIsTakenAsStoredAndMustNameAnExistingFile) {
  kft::HelpControlRegistration registration;
  ASSERT_TRUE(registration.Saved());
  const std::string real = registration.Original();

  ASSERT_TRUE(registration.Set(REG_EXPAND_SZ, "%SystemRoot%\\system32\\hhctrl.ocx"));
  EXPECT_EQ("", LocateHelpControl()) << "not expanded, so no such file";
  ASSERT_TRUE(registration.Set(REG_EXPAND_SZ, real));
  EXPECT_EQ(real, LocateHelpControl());
  ASSERT_TRUE(registration.Set(REG_SZ, real + ".missing"));
  EXPECT_EQ("", LocateHelpControl());
  ASSERT_TRUE(registration.SetDword(1));
  EXPECT_EQ("", LocateHelpControl());
  ASSERT_TRUE(registration.Remove());
  EXPECT_EQ("", LocateHelpControl());
  LoadHelpControl();
  EXPECT_FALSE(gHelpControl);
  EXPECT_FALSE(gHtmlHelpAnsi);
}

// The only test of this program that calls BoundHtmlHelp: it remembers its
// first answer for the life of the process.
TEST(HelpControl, FirstUseLoadsOnceAndDoesNotRetryAfterAFailure) {
  {
    kft::HelpControlRegistration registration;
    ASSERT_TRUE(registration.Remove());
    EXPECT_FALSE(BoundHtmlHelp());
  }
  ASSERT_FALSE(LocateHelpControl().empty());
  EXPECT_FALSE(BoundHtmlHelp()) << "a failed load is not tried again";
  EXPECT_FALSE(gHelpControl);
}

}  // namespace
