#include "grob/grob_text.h"

#include <string_view>

namespace dravik {

namespace {

bool IsSpace(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int HexValue(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads the text left to right.
class TextCursor {
 public:
  explicit TextCursor(std::span<const uint8_t> text) : text_(text) {}

  // Skips "%%HP:" up to and including its ";", when the text starts with it.
  bool SkipHeader() {
    constexpr std::string_view kHeader = "%%HP:";
    if (!StartsWith(kHeader)) return true;
    while (at_ < text_.size() && text_[at_] != ';') ++at_;
    if (at_ == text_.size()) return false;
    ++at_;
    return true;
  }
  void SkipSpace() {
    while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
  }
  bool Word(std::string_view word) {
    if (!StartsWith(word)) return false;
    at_ += word.size();
    return at_ == text_.size() || IsSpace(text_[at_]);
  }
  // A decimal number below limit, then a blank.
  bool Number(uint64_t limit, uint64_t* value) {
    SkipSpace();
    const size_t start = at_;
    *value = 0;
    while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
      *value = *value * 10 + (text_[at_++] - '0');
      if (*value >= limit) return false;
    }
    return at_ > start && at_ < text_.size() && IsSpace(text_[at_]);
  }
  // The next hex digit, blanks between digits skipped; -1 at anything else.
  int HexDigit() {
    SkipSpace();
    return at_ < text_.size() ? HexValue(text_[at_++]) : -1;
  }
  bool AtEnd() {
    SkipSpace();
    return at_ == text_.size();
  }

 private:
  bool StartsWith(std::string_view word) const {
    return text_.size() - at_ >= word.size() &&
           std::string_view(reinterpret_cast<const char*>(text_.data()) + at_, word.size()) == word;
  }

  std::span<const uint8_t> text_;
  size_t at_ = 0;
};

}  // namespace

bool IsGrobText(std::span<const uint8_t> text) {
  TextCursor cursor(text);
  if (!cursor.SkipHeader()) return false;
  cursor.SkipSpace();
  return cursor.Word("GROB");
}

PictureBytes GrobTextToBinary(std::span<const uint8_t> text) {
  TextCursor cursor(text);
  if (!cursor.SkipHeader()) return PictureBytes{{}, kMsgNoValidGrob};
  cursor.SkipSpace();
  if (!cursor.Word("GROB")) return PictureBytes{{}, kMsgNoValidGrob};
  // Sizes are read whole before they are judged, so a huge one is named
  // as too large rather than as malformed.
  uint64_t width = 0, height = 0;
  constexpr uint64_t kDigitsLimit = uint64_t{1} << 40;
  if (!cursor.Number(kDigitsLimit, &width) || !cursor.Number(kDigitsLimit, &height) || width == 0 ||
      height == 0)
    return PictureBytes{{}, kMsgNoValidGrob};
  if (width >= kGrobFieldLimit || height >= kGrobFieldLimit ||
      GrobLength(width, height) >= kGrobFieldLimit)
    return PictureBytes{{}, kMsgTooLargeForGrob};

  PictureBytes result;
  std::vector<uint8_t>& out = result.bytes;
  const uint64_t row_bytes = GrobRowBytes(width);
  out.reserve(kGrobHeaderBytes + row_bytes * height);
  AppendGrobFileHeader(out, static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                       CalculatorFamily::Hp48);
  for (uint64_t i = 0; i < row_bytes * height; ++i) {
    // The first nibble of a byte is its low half.
    const int low = cursor.HexDigit();
    const int high = low < 0 ? -1 : cursor.HexDigit();
    if (high < 0) return PictureBytes{{}, kMsgNoValidGrob};
    out.push_back(static_cast<uint8_t>(low | high << 4));
  }
  if (!cursor.AtEnd()) return PictureBytes{{}, kMsgNoValidGrob};
  return result;
}

}  // namespace dravik
