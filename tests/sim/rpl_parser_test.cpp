#include "rpl_parser.h"

#include <gtest/gtest.h>

#include "object_text.h"

namespace dravik::sim {
namespace {

// The compiled objects shown one per level, or "syntax error".
std::string Compiled(const std::string& text) {
  std::vector<Obj> items;
  if (!ParseObjects(text, &items)) return "syntax error";
  std::string out;
  for (const Obj& o : items) out += (out.empty() ? "" : " | ") + StackText(*o);
  return out;
}

TEST(RplParser, ObjectsOfEveryKindCompile) {
  EXPECT_EQ(Compiled("1.5 (1,2) \"a b\" { 1 { } } # 5d #FFh"), "1.5 | (1,2) | \"a b\" | { 1 { } } | # 5d | # 255d");
  EXPECT_EQ(Compiled("'1+X*2' '(1+X)*2' '-X^2' '(-X)^2' 'A-(B-C)' 'SIN(X)'"),
            "'1+X*2' | '(1+X)*2' | '-X^2' | '(-X)^2' | 'A-(B-C)' | 'SIN(X)'");
  EXPECT_EQ(Compiled(":IO:MAR99 :T:1 1_m 1.5_m/s [ 1 2 ] GROB 8 2 0000"),
            "IO: MAR99 | T: 1 | 1_m | 1.5_m/s | [ 1 2 ] | Graphic 8 \xd7 2");
  EXPECT_EQ(Compiled("\xab \x8d a b \xab a b + \xbb \xbb"), "\xab \x8d a b \xab a b + \xbb \xbb");
  EXPECT_EQ(Compiled("DIR A 1 B \"x\" END"), "Directory");
  EXPECT_EQ(Compiled("cdhp48xx.tmp XModem.tmp file.txt"), "'cdhp48xx.tmp' | 'XModem.tmp' | 'file.txt'");
}

TEST(RplParser, SyntaxErrors) {
  for (const char* bad : {"'NEG'", "'DUP'", "(1,", "(1 2)", "'1+'", "1 FOR", "FOR I NEXT NEXT", "THEN",
                          "1 2 START END", "\xab IF 1 THEN \xbb", "}", "\\<< 1 \\>>", "a\\b", "#12z",
                          "[ 1 (1,2) ]", "GROB 8 2 00", "1_", "\x8d \xab \xbb"}) {
    EXPECT_EQ(Compiled(bad), "syntax error") << bad;
  }
  // An unterminated string and missing closers are accepted.
  EXPECT_EQ(Compiled("\"abc"), "\"abc\"");
  EXPECT_EQ(Compiled("{ 1 { 2"), "{ 1 { 2 } }");
}

TEST(RplParser, NamesThatCanBeVariables) {
  for (const char* ok : {"A", "lower", "file.txt", "cdhp48xx.tmp", "X1", "\xe5t\xe9"}) {
    EXPECT_TRUE(IsValidName(ok)) << ok;
  }
  for (const char* no : {"", "1A", ".5", "DUP", "IOPAR ", "a b", "a'b", "a:b", "a_b", "1E5", "HOME", "DIR"}) {
    EXPECT_FALSE(IsValidName(no)) << no;
  }
}

}  // namespace
}  // namespace dravik::sim
