// What the models do differently with ports and libraries, on one script:
// which port comes first, a library that works only after a warm start (a
// 48) or at once (a 49), Object In Use where a 48 refuses to purge, and the
// 49's :3: that stores into HOME. The captured sessions themselves are
// replayed in captured_replay_test.cpp.
#include <gtest/gtest.h>

#include <map>

#include "calculator.h"

namespace dravik::sim {
namespace {

const std::map<std::string, std::string> kLibraries = {
#include "data/captured_libraries.inc"
};

std::string Level(int n, const std::string& text) {
  std::string label = std::to_string(n) + ":";
  size_t pad = label.size() + text.size() < 24 ? 24 - label.size() - text.size() : 1;
  return label + std::string(pad, ' ') + text + "\r\n";
}

struct PortModel {
  SimModel model;
  int cards;                  // 128 KB RAM cards plugged in
  const char* port;           // the lowest port
  const char* library;        // the captured file
  std::string library_in_port;  // "p PVARS DROP" after storing the library
  std::string port_0;           // "0 PVARS DROP"
  std::string hello_before_warm_start;
  std::string purge_attached;
  std::string purge_recalled;   // ":p:D RCL :p:D PURGE"
  std::string store_port_3;     // "\"x\" :3:X STO", then X's type in HOME
};

void PrintTo(const PortModel& m, std::ostream* os) { *os << SimModelName(m.model); }

const std::string kInUse = "Error: Object In Use\r\n";

const PortModel kModels[] = {
    {SimModel::k48SX, 2, "1", "hp48-reference/library_1234.bin", Level(1, "{ :1: 1234 }"),
     "Error: Port Not Available\r\n" + Level(1, "0"), Level(1, "'HELLO'"),
     kInUse + Level(1, "1: 1234"),
     kInUse + Level(2, "\"d\"") + Level(1, "1: D"),
     "Error: Port Not Available\r\n" + Level(2, "\"x\"") + Level(1, "3: X")},
    {SimModel::k48GX, 1, "0", "hp48-reference/library_1234.bin", Level(1, "{ :0: 1234 }"),
     Level(1, "{ :0: 1234 }"), Level(1, "'HELLO'"), kInUse + Level(1, "0: 1234"),
     kInUse + Level(2, "\"d\"") + Level(1, "0: D"),
     "Error: Port Not Available\r\n" + Level(2, "\"x\"") + Level(1, "3: X")},
    {SimModel::k49G, 0, "0", "hp49-reference/library_1234.bin", Level(1, "{0: 1234}"),
     Level(1, "{0: 1234}"), Level(1, "\"Hello\""), "Empty Stack", Level(1, "\"d\""), "Empty Stack"},
};

class PortsAndLibraries : public ::testing::TestWithParam<PortModel> {};

TEST_P(PortsAndLibraries, AsEachModelKeepsThem) {
  const PortModel& m = GetParam();
  Calculator calc(m.model);
  for (int k = 0; k < m.cards; ++k) ASSERT_TRUE(calc.InsertCard(128 * 1024));
  EXPECT_FALSE(calc.InsertCard(128 * 1024));
  const std::string p = m.port;
  const std::string& file = kLibraries.at(m.library);
  ASSERT_TRUE(calc.StoreUpload("LIB", Bytes(file.begin(), file.end())).ok);

  EXPECT_EQ(calc.RunCommandLine("'LIB' RCL " + p + " STO 'LIB' PURGE " + p + " PVARS DROP"),
            m.library_in_port);
  EXPECT_EQ(calc.RunCommandLine("CLEAR 0 PVARS DROP"), m.port_0);
  EXPECT_EQ(calc.RunCommandLine("CLEAR 1234 ATTACH"), "Empty Stack");
  EXPECT_EQ(calc.RunCommandLine("HELLO"), m.hello_before_warm_start);
  calc.WarmStart();
  EXPECT_EQ(calc.RunCommandLine("DEPTH 1234 ATTACH"),
            Level(1, m.model == SimModel::k49G ? "0." : "0"));
  EXPECT_EQ(calc.RunCommandLine("CLEAR HELLO"), Level(1, "\"Hello\""));
  EXPECT_EQ(calc.RunCommandLine("CLEAR :" + p + ":1234 PURGE"), m.purge_attached);
  EXPECT_EQ(calc.RunCommandLine("CLEAR \"d\" :" + p + ":D STO :" + p + ":D RCL :" + p + ":D PURGE"),
            m.purge_recalled);
  EXPECT_EQ(calc.RunCommandLine("CLEAR \"x\" :3:X STO"), m.store_port_3);
  EXPECT_EQ(calc.TypeOf("HOME\\", "X"), m.model == SimModel::k49G ? "String" : "");
}

INSTANTIATE_TEST_SUITE_P(Models, PortsAndLibraries, ::testing::ValuesIn(kModels),
                         [](const ::testing::TestParamInfo<PortModel>& param) {
                           return std::string("HP") + SimModelName(param.param.model);
                         });

}  // namespace
}  // namespace dravik::sim
