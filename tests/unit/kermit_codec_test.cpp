#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "link/hp48_link.h"

namespace dravik {
namespace {

namespace fs = std::filesystem;

class KermitCodec : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("dravik-codec-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    session_.CurrentPCFolder = dir_.string() + "/";
    link_.m_maxData = 90;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Encode(std::string_view input) {
    link_.ClearDataBuffer();
    link_.m_repeatCount = 0;
    for (size_t i = 0; i < input.size(); ++i)
      link_.EncodeByte(static_cast<uint8_t>(input[i]),
                       i + 1 < input.size() ? static_cast<uint8_t>(input[i + 1])
                                            : CHP48Link::kEndMarker);
    return link_.DataBuffer();
  }
  std::string Decode(std::string_view wire) {
    link_.m_data = wire;
    link_.DecodeToText();
    return std::string(link_.m_data);
  }
  // Sends a file through FillFromFile and decodes every packet again.
  std::string RoundTripFile(const std::string& content, std::vector<std::string>* packets = nullptr) {
    std::string path = (dir_ / "in.bin").string();
    std::ofstream(path, std::ios::binary) << content;
    EXPECT_TRUE(link_.OpenInputFile(path));
    link_.m_fillState = 1;
    std::string out;
    for (int guard = 0; guard < 100000; ++guard) {
      int n = link_.FillFromFile(link_.m_maxData);
      if (n == 0) break;
      EXPECT_LE(n, link_.m_maxData);
      std::string packet = link_.DataBuffer();
      EXPECT_EQ(static_cast<int>(packet.size()), n);
      if (packets) packets->push_back(packet);
      out += Decode(packet);
    }
    link_.CloseInputFile();
    return out;
  }

  fs::path dir_;
  Session session_;
  CHP48Link link_{session_};
};

TEST_F(KermitCodec, ControlAndEighthBitPrefixes) {
  EXPECT_EQ(Encode("A\r\n#\x7f"), "A#M#J###?");
  // Without 8th-bit prefixing high bytes travel with their top bit.
  EXPECT_EQ(Encode("\x80\xff\xa3&"), "#\xc0#\xbf#\xa3&");
  link_.m_qbinOn = 1;
  link_.m_qbin = '&';
  EXPECT_EQ(Encode("\x81&#"), "&#A#&##");
  EXPECT_EQ(Decode("&#A#&##"), "\x81&#");
  EXPECT_EQ(Decode("&+"), "\xab");
}

TEST_F(KermitCodec, DecodesPrefixedCharacters) {
  EXPECT_EQ(Decode("#?"), "\x7f");
  EXPECT_EQ(Decode(std::string("#@", 2)), std::string(1, '\0'));
  EXPECT_EQ(Decode("#~"), "~");
  EXPECT_EQ(Decode("##"), "#");
  EXPECT_EQ(Decode("#M#J"), "\r\n");
  EXPECT_EQ(Decode("#\xc0#\xbf"), "\x80\xff");
  // A peer with another control prefix.
  link_.m_peerQctl = '!';
  EXPECT_EQ(Decode("!M#"), "\r#");
  // A prefix at the very end of the field is dropped, not read past.
  link_.m_peerQctl = '#';
  EXPECT_EQ(Decode("ab#"), "ab");
}

TEST_F(KermitCodec, RepeatCounts) {
  link_.m_repeatOn = 1;
  EXPECT_EQ(Encode(std::string(100, 'A')), "~~A~&A");
  EXPECT_EQ(Encode("AA"), "AA");
  EXPECT_EQ(Encode("xAAA"), "x~#A");
  EXPECT_EQ(Encode("~~~~"), "~$#~");
  EXPECT_EQ(Encode("~"), "#~");
  EXPECT_EQ(Decode("~~A~&A"), std::string(100, 'A'));
  EXPECT_EQ(Decode("x~#A"), "xAAA");
  EXPECT_EQ(Decode("~$#~"), "~~~~");
  // A count of zero or below emits nothing; a group cut short emits nothing.
  EXPECT_EQ(Decode("~ Ab"), "b");
  EXPECT_EQ(Decode("a~"), "a");
  // A repeat-heavy field expands fully: 30 groups of 94.
  std::string heavy;
  for (int i = 0; i < 30; ++i) heavy += "~~Z";
  EXPECT_EQ(Decode(heavy), std::string(30 * 94, 'Z'));
  // Off: '~' is an ordinary byte in both directions.
  link_.m_repeatOn = 0;
  EXPECT_EQ(Encode("~~~"), "~~~");
  EXPECT_EQ(Decode("~~A"), "~~A");
}

TEST_F(KermitCodec, FilesSurviveFillAndDecode) {
  std::mt19937 rng(7);
  std::string random(20000, '\0');
  for (char& c : random) c = static_cast<char>(rng());
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  const std::string cases[] = {"", "x", "ab\r\n", all, random, std::string(500, '~'),
                               std::string(500, '\0') + "end"};
  for (int repeat = 0; repeat < 2; ++repeat) {
    for (int qbin = 0; qbin < 2; ++qbin) {
      link_.m_repeatOn = repeat;
      link_.m_qbinOn = qbin;
      for (const std::string& c : cases) EXPECT_EQ(RoundTripFile(c), c) << c.size();
    }
  }
}

TEST_F(KermitCodec, LastEncodingThatDoesNotFitGoesInTheNextPacket) {
  // 89 plain bytes then a control byte: the last packet holds only "#A".
  std::vector<std::string> packets;
  std::string content = std::string(89, 'a') + "\x01";
  EXPECT_EQ(RoundTripFile(content, &packets), content);
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(packets[0], std::string(89, 'a'));
  EXPECT_EQ(packets[1], "#A");
  // A file ending in a run keeps the whole run.
  link_.m_repeatOn = 1;
  packets.clear();
  content = std::string(88, 'a') + std::string(50, 'b');
  EXPECT_EQ(RoundTripFile(content, &packets), content);
}

TEST_F(KermitCodec, FileNamesAreCutAtTheDataLimit) {
  link_.m_maxData = 10;
  link_.m_fillState = 1;
  EXPECT_EQ(link_.FillFromString("ABCDEFGHIJKLMNOP"), 10);
  EXPECT_EQ(link_.DataBuffer(), "ABCDEFGHIJ");
  link_.m_fillState = 1;
  EXPECT_EQ(link_.FillFromString(""), 0);
  EXPECT_EQ(link_.m_fillState, -1);
  link_.m_fillState = 1;
  EXPECT_EQ(link_.FillFromString("a\tb"), 4);
  EXPECT_EQ(link_.DataBuffer(), "a#Ib");
}

TEST_F(KermitCodec, DecodeToFileReportsAFailedWrite) {
  ASSERT_TRUE(link_.CreateOutputFile("out"));
  link_.m_byteCount = 0;
  link_.m_data = "ab#M#J";
  EXPECT_EQ(link_.DecodeToFile(), 1);
  EXPECT_EQ(link_.m_byteCount, 4);
  link_.CloseOutputFile();
  std::ifstream in(dir_ / "out", std::ios::binary);
  std::string got((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(got, "ab\r\n");
  // No output file open: the write fails.
  EXPECT_EQ(link_.DecodeToFile(), 0);
}

}  // namespace
}  // namespace dravik
