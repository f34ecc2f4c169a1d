#include "rules/ExtensionAnswer.h"

#include <gtest/gtest.h>

using rules::ExtensionFromAnswer;

TEST(ExtensionFromAnswer, PutsTheDotInFrontAndRefusesWhatCantBeAnExtension) {
  struct Case {
    const wchar_t* answer;
    const wchar_t* expected;
  } cases[] = {
      {L"txt", L".txt"}, {L".txt", L".txt"}, {L"tar.gz", L".tar.gz"}, {L"ソ\U0001F600", L".ソ\U0001F600"},
      {L"", L""},        {L".", L""},        {L"..", L""},           {L"txt.", L""},
      {L"txt ", L""},    {L"a\\b", L""},     {L"/x", L""},           {L"x:y", L""},
      {L"\t", L""},      {L"j*g", L""},     {L"x?", L""},           {L"<p>", L""},
      {L"a|b", L""},     {L"\"q", L""},      {L"\uFF0Ftxt", L".\uFF0Ftxt"},  // a full-width "／" is no delimiter
  };
  for (const Case& c : cases) EXPECT_EQ(ExtensionFromAnswer(c.answer), c.expected) << c.answer;
}
