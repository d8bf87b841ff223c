#include <windows.h>
#include <gtest/gtest.h>
#include <cstdlib>

TEST(Platform, CodePageFollowsTheRun) {
  const char* cp = std::getenv("KF_CODEPAGE");
  const UINT expected = (cp && std::string(cp) == "932") ? 932 : 1252;
  EXPECT_EQ(expected, GetACP());
}
