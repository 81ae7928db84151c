// The calculator's characters as a person sees and types them.
#include <gtest/gtest.h>

#include <string>

#include "link/hp48_charset.h"

namespace dravik::hp48 {
namespace {

TEST(Hp48Charset, EveryCharacterReadsBackFromBothFormsAndFromMixedText) {
  for (int code = 128; code < 256; ++code) {
    const std::string text = std::string("A") + static_cast<char>(code) + "1";
    EXPECT_EQ(FromTyped(ToUtf8(text)), text) << code;
    EXPECT_EQ(FromTyped(ToAsciiSpelling(text)), text) << code;
    EXPECT_EQ(FromTyped(text), text) << code;
  }
  EXPECT_EQ(InForm("\x8c" "B \xab\xe5", CharacterForm::Ascii), "\\GaB \\<<\\229");
  EXPECT_EQ(InForm("\x8c" "B \xab\xe5", CharacterForm::Utf8), "αB «å");
  // A backslash that spells nothing, or a code below 128, stays.
  EXPECT_EQ(FromTyped("C:\\GAMES \\065 \\"), "C:\\GAMES \\065 \\");
  // Beside a PC path in UTF-8, only the calculator's own codes change.
  EXPECT_EQ(MixedInForm("\x8c" "B into /home/zoë/\x8c" "B", CharacterForm::Ascii),
            "\\GaB into /home/zoë/\\GaB");
  EXPECT_EQ(MixedInForm("\x8c" "B into /home/zoë/", CharacterForm::Utf8), "αB into /home/zoë/");
}

}  // namespace
}  // namespace dravik::hp48
