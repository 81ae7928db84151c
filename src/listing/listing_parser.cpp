#include "listing/listing_parser.h"

#include "link/hp48_charset.h"

namespace dravik {
namespace {

bool IsWhite(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Walks the object lines of a listing. Positions only move forward, and each
// search remembers where it found its character, so a whole scan looks at
// every byte a bounded number of times even in text without blanks or CRs.
class LineScanner {
 public:
  explicit LineScanner(std::string_view text) : text_(text) {}

  bool HasBlank() { return Find(' ', blank_) != std::string_view::npos; }

  // The text before the next blank, consumed; then leading white space is
  // consumed. Without a blank the field is empty and only white space goes.
  std::string_view TakeField() {
    std::string_view field;
    size_t blank = Find(' ', blank_);
    if (blank != std::string_view::npos) {
      field = text_.substr(pos_, blank - pos_);
      pos_ = blank;
    }
    SkipWhite();
    return field;
  }

  // Takes the rest of the line up to its CR, then drops the white space
  // after it.
  std::string_view TakeRestOfLine() {
    size_t cr = Find('\r', cr_);
    std::string_view rest = text_.substr(pos_, cr == std::string_view::npos ? 0 : cr - pos_);
    if (cr != std::string_view::npos) pos_ = cr;
    SkipWhite();
    return rest;
  }

 private:
  size_t Find(char c, size_t& cached) {
    if (cached == std::string_view::npos) return cached;  // none left for good
    if (cached < pos_ || cached == kUnknown) cached = text_.find(c, pos_);
    return cached;
  }
  void SkipWhite() {
    while (pos_ < text_.size() && IsWhite(text_[pos_])) ++pos_;
  }

  static constexpr size_t kUnknown = std::string_view::npos - 1;
  std::string_view text_;
  size_t pos_ = 0;
  size_t blank_ = kUnknown;
  size_t cr_ = kUnknown;
};

// A number field as an HP48 writes it: an HP49 ends a whole number with a
// dot ("16.", "52870."), which goes; "11.5" stays as it is.
std::string_view WithoutTrailingDot(std::string_view field) {
  if (field.size() < 2 || field.back() != '.') return field;
  for (size_t i = 0; i + 1 < field.size(); ++i)
    if (field[i] < '0' || field[i] > '9') return field;
  field.remove_suffix(1);
  return field;
}

// The text between the first and the last quote of a line's rest, which
// only a port's listing writes (a library's title).
std::string_view QuotedTitle(std::string_view rest) {
  const size_t open = rest.find('"');
  const size_t close = rest.rfind('"');
  if (open == std::string_view::npos || close <= open) return {};
  return rest.substr(open + 1, close - open - 1);
}

template <typename Keep>
void ScanPass(std::string_view text, ParsedListing& out, Keep keep) {
  LineScanner scan(text);
  while (scan.HasBlank()) {
    std::string_view name = scan.TakeField();
    std::string_view size = WithoutTrailingDot(scan.TakeField());
    std::string_view type = scan.TakeField();
    const std::string_view rest = scan.TakeRestOfLine();
    if (!keep(type)) continue;
    out.Names.emplace_back(name);
    out.Sizes.emplace_back(size);
    out.Types.emplace_back(type);
    out.Titles.emplace_back(QuotedTitle(rest));
  }
}

// Everything up to and including the first c, and the one character after
// it. Without c only the first character goes.
std::string_view DropThrough(std::string_view text, char c) {
  size_t at = text.find(c);
  size_t cut = at == std::string_view::npos ? 1 : at + 2;
  return cut >= text.size() ? std::string_view() : text.substr(cut);
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// The blank-separated fields of one line.
std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && IsWhite(line[at])) ++at;
    const size_t start = at;
    while (at < line.size() && !IsWhite(line[at])) ++at;
    if (at > start) fields.push_back(line.substr(start, at - start));
  }
  return fields;
}

}  // namespace

std::vector<ListingLine> ListingLines(std::string_view text) {
  std::vector<ListingLine> lines;
  bool first = true;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const bool header = first && !line.empty() && line.front() == '{';
    first = false;
    const std::vector<std::string_view> fields = Fields(line);
    if (header || fields.size() < 3) continue;
    ListingLine out{std::string(fields[0]), std::string(WithoutTrailingDot(fields[1])), {}, {}, {}};
    size_t type_end = fields.size();
    if (fields.size() > 3 && AllDigits(WithoutTrailingDot(fields.back()))) {
      out.checksum = WithoutTrailingDot(fields.back());
      --type_end;
    }
    for (size_t i = 2; i < type_end; ++i) {
      if (fields[i].front() == '"') break;  // a library's title follows
      if (i > 2) out.type += ' ';
      out.type += fields[i];
    }
    out.title = QuotedTitle(line);
    lines.push_back(std::move(out));
  }
  return lines;
}

std::string PathFromList(std::string_view list) {
  size_t open = list.find('{');
  if (open != std::string_view::npos) list.remove_prefix(open + 1);
  size_t close = list.find('}');
  if (close != std::string_view::npos) list = list.substr(0, close);
  // Blanks part the names, or commas as an HP49 writes most lists.
  const auto parts = [](char c) { return IsWhite(c) || c == ','; };
  std::string path;
  size_t i = 0;
  while (i < list.size()) {
    while (i < list.size() && parts(list[i])) ++i;
    size_t start = i;
    while (i < list.size() && !parts(list[i])) ++i;
    if (i > start) {
      // No calculator name holds a backslash: in translation mode 2 or 3
      // the calculator shows its characters spelled (\GaD for a directory αD).
      path.append(hp48::FromAsciiSpelling(list.substr(start, i - start)));
      path += '\\';
    }
  }
  return path;
}

ParsedListing ParseListing(std::string_view text) {
  ParsedListing out;
  if (!text.empty() && text.front() == '{') {
    out.HasHeader = true;
    size_t close = text.find('}');
    if (close != std::string_view::npos) out.HeaderPath = PathFromList(text.substr(0, close + 1));
    text = DropThrough(text, '}');
    text = DropThrough(text, '\r');
  }
  ScanPass(text, out, [](std::string_view type) { return IsDirectoryType(type); });
  ScanPass(text, out, [](std::string_view type) { return !IsDirectoryType(type); });
  return out;
}

}  // namespace dravik
