// Shared entry point of the test programs: every test here assumes the Japanese code page,
// so a run in any other code page stops before the first test instead of passing by luck.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (GetACP() != 932) {
    std::fprintf(stderr, "The ANSI code page is %u, not 932: run the tests with LC_ALL=ja_JP.UTF-8.\n",
                 GetACP());
    return 1;
  }
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  return RUN_ALL_TESTS();
}
