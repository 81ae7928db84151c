#include "platform/desktop_entry.h"

namespace dravik {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Key-file escapes of a string value: \s \n \t \r and \\.
std::string UnescapeValue(std::string_view value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    switch (value[++i]) {
      case 's': out += ' '; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case '\\': out += '\\'; break;
      default: out += '\\'; out += value[i]; break;
    }
  }
  return out;
}

// Splits the Exec line into words; inside double quotes a backslash keeps
// the next character. Returns false for an unterminated quote.
bool SplitWords(std::string_view line, std::vector<std::string>& words, std::vector<bool>& quoted) {
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i == line.size()) break;
    std::string word;
    bool wasQuoted = false;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
      if (line[i] != '"') {
        word += line[i++];
        continue;
      }
      wasQuoted = true;
      ++i;
      while (i < line.size() && line[i] != '"') {
        if (line[i] == '\\' && i + 1 < line.size()) ++i;
        word += line[i++];
      }
      if (i == line.size()) return false;
      ++i;
    }
    words.push_back(std::move(word));
    quoted.push_back(wasQuoted);
  }
  return true;
}

}  // namespace

DesktopEntry ParseDesktopEntry(std::string_view text) {
  DesktopEntry entry;
  bool inMainGroup = false;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      inMainGroup = line == "[Desktop Entry]";
      continue;
    }
    if (!inMainGroup) continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = Trim(line.substr(0, eq));
    const std::string_view value = Trim(line.substr(eq + 1));
    if (key == "Exec") entry.exec = UnescapeValue(value);
    if (key == "Terminal") entry.terminal = value == "true";
  }
  return entry;
}

std::vector<std::string> DesktopExecArguments(std::string_view exec, const std::string& file) {
  std::vector<std::string> words;
  std::vector<bool> quoted;
  if (!SplitWords(exec, words, quoted)) return {};
  std::vector<std::string> args;
  bool fileGiven = false;
  for (size_t w = 0; w < words.size(); ++w) {
    const std::string& word = words[w];
    // A field code that is a whole word stands for a whole argument.
    if (!quoted[w] && (word == "%f" || word == "%F" || word == "%u" || word == "%U")) {
      if (!fileGiven) args.push_back(file);
      fileGiven = true;
      continue;
    }
    if (!quoted[w] && (word == "%i" || word == "%c" || word == "%k")) continue;
    std::string arg;
    for (size_t i = 0; i < word.size(); ++i) {
      if (word[i] != '%' || i + 1 == word.size()) {
        arg += word[i];
        continue;
      }
      const char code = word[++i];
      if (code == '%') {
        arg += '%';
      } else if (code == 'f' || code == 'F' || code == 'u' || code == 'U') {
        arg += file;
        fileGiven = true;
      }
    }
    if (!arg.empty() || quoted[w]) args.push_back(std::move(arg));
  }
  if (args.empty() || args.front().empty()) return {};
  if (!fileGiven) args.push_back(file);
  return args;
}

}  // namespace dravik
