#include "text/sjis.h"

#include <windows.h>

#include <gtest/gtest.h>

TEST(Platform, AnsiCodePageIs932) { EXPECT_EQ(GetACP(), 932u); }
