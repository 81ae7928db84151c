// The rule between calculator names and PC file names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sync/pc_names.h"

namespace dravik::sync {
namespace {

TEST(PcNames, HostileNamesBecomeOneSafeComponentAndReadBack) {
  const std::vector<std::string> names = {"..", ".", "../X", "/", "A/B", "%41", "A.", ".A",
                                          "CON", "lpt1.txt", "A*?|", "\x8d\x80X", "A\x01"};
  for (const std::string& name : names) {
    const std::string pc = PcFileName(name);
    EXPECT_TRUE(IsSafeComponent(pc)) << pc;
    EXPECT_NE(pc.front(), '.') << pc;
    EXPECT_EQ(pc.find_first_of("/\\:*?\"<>|"), std::string::npos) << pc;
    EXPECT_EQ(CalculatorName(pc), name) << pc;
  }
  EXPECT_EQ(PcFileName("A/B"), "A%2FB");
  EXPECT_EQ(PcFileName(".."), "%2E%2E");
  EXPECT_EQ(PcFileName("CON"), "%43ON");
  // Plain names stay as they are, and so does a '%' the rule did not write.
  EXPECT_EQ(PcFileName("GAME.LIB"), "GAME.LIB");
  EXPECT_EQ(CalculatorName("100%"), "100%");
  EXPECT_EQ(CalculatorName("%zz"), "%zz");
}

TEST(PcNames, NamesThatDifferOnlyInCaseStayApartWhereCaseIsIgnored) {
  const std::vector<std::string> pc = PcFileNames({"ab", "AB", "aB", "X"});
  EXPECT_EQ(pc, (std::vector<std::string>{"%61%62", "AB", "%61B", "X"}));
  for (const std::string& name : pc) EXPECT_EQ(PcFileName(CalculatorName(name), true), name);
}

}  // namespace
}  // namespace dravik::sync
