#include "object_text.h"

#include <vector>

#include "rom_table.h"

namespace dravik::sim {
namespace {

enum class Role { Plain, Open, Mid, Close };

struct Tok {
  std::string text;
  Role role = Role::Plain;
};

const char kHex[] = "0123456789ABCDEF";

Role RoleOf(const std::string& cmd) {
  if (cmd == "FOR" || cmd == "START" || cmd == "IF" || cmd == "IFERR" || cmd == "WHILE" ||
      cmd == "DO" || cmd == "CASE") {
    return Role::Open;
  }
  if (cmd == "THEN" || cmd == "ELSE" || cmd == "REPEAT" || cmd == "UNTIL") return Role::Mid;
  if (cmd == "END" || cmd == "NEXT" || cmd == "STEP") return Role::Close;
  return Role::Plain;
}

// Algebraic and unit bodies are kept in postfix order; the infix is
// rebuilt with these precedences.
int Precedence(const std::string& op) {
  if (op == "+" || op == "-") return 1;
  if (op == "*" || op == "/") return 2;
  if (op == "^") return 3;
  return 4;
}

std::string Joined(const std::vector<Tok>& toks) {
  std::string s;
  for (const auto& t : toks) s += (s.empty() ? "" : " ") + t.text;
  return s;
}

// Writes objects as one model does.
class Writer {
 public:
  explicit Writer(SimModel model) : t_(Traits(model)) {}

  std::string Stack(const Object& o) const {
    if (t_.algebraic_stack_display) return OneLine(o);
    if (o.kind == Kind::Directory) return "Directory";
    std::vector<Tok> toks;
    Tokens(o, toks, true, false);
    return Joined(toks);
  }

  std::string File(const Object& o) const;

 private:
  std::string Real(const HpReal& r) const {
    std::string s = FormatReal(r);
    if (t_.real_trailing_dot && s.find('.') == std::string::npos) s += '.';
    return s;
  }

  std::string BinInt(const Object& o) const {
    uint64_t v = 0;
    for (size_t i = std::min<size_t>(o.data.size(), 16); i-- > 0;) v = (v << 4) | o.data[i];
    if (t_.binary_base != 'h') return "# " + std::to_string(v) + "d";
    std::string hex;
    do {
      hex.insert(hex.begin(), kHex[v & 0xF]);
      v >>= 4;
    } while (v);
    return "# " + hex + "h";
  }

  // A string's text in an ASCII file: a 49 doubles its backslashes, so that
  // they do not read back as spellings.
  std::string FileString(const std::string& text) const {
    if (!t_.file_escapes_backslash) return text;
    std::string s;
    for (char ch : text) s += ch == '\\' ? std::string("\\\\") : std::string(1, ch);
    return s;
  }

  std::string Complex(const HpReal& re, const HpReal& im) const {
    return "(" + Real(re) + "," + Real(im) + ")";
  }

  // A vector or matrix from the text of its entries: [ 1 2 ] and
  // [[ 1 2 ]  [ 3 4 ]] in a file (and on a 48's stack), [1,2] and
  // [[1,2] [3,4]] in the 49's one-line form.
  std::string Matrix(const std::vector<std::vector<std::string>>& rows, bool matrix,
                     bool one_line) const {
    auto row_text = [&](const std::vector<std::string>& row) {
      std::string s = "[";
      for (size_t i = 0; i < row.size(); ++i) {
        s += one_line ? (i ? "," : "") + row[i] : " " + row[i];
      }
      return s + (one_line ? "]" : " ]");
    };
    if (!matrix) return row_text(rows[0]);
    std::string s = "[";
    for (size_t r = 0; r < rows.size(); ++r) {
      if (r) s += one_line ? " " : t_.file_matrix_row_separator;
      s += row_text(rows[r]);
    }
    return s + "]";
  }

  // Arrays of reals or complex numbers.
  bool Array(const Object& o, bool one_line, std::string* out) const {
    uint32_t prolog = 0, el = 0, dims = 0;
    if (!GetField(o.data, 0, 5, &prolog) || prolog != kPrologArray) return false;
    if (!GetField(o.data, 10, 5, &el) || !GetField(o.data, 15, 5, &dims)) return false;
    if ((el != kPrologReal && el != kPrologComplex) || dims < 1 || dims > 2) return false;
    uint32_t d1 = 0, d2 = 1;
    GetField(o.data, 20, 5, &d1);
    if (dims == 2) GetField(o.data, 25, 5, &d2);
    size_t pos = 20 + 5 * dims;
    const size_t each = el == kPrologReal ? 16 : 32;
    if (o.data.size() < pos + each * d1 * d2) return false;
    auto element = [&](size_t k) {
      Nibbles n;
      PutField(n, el, 5);
      n.insert(n.end(), o.data.begin() + pos + k * each, o.data.begin() + pos + (k + 1) * each);
      size_t p = 0;
      Obj v = Decode(n, p);
      if (!v) return std::string("?");
      return v->kind == Kind::Real ? Real(v->re) : Complex(v->re, v->im);
    };
    // A vector is one row of d1 entries, a matrix d1 rows of d2.
    const uint32_t row_count = dims == 2 ? d1 : 1, columns = dims == 2 ? d2 : d1;
    std::vector<std::vector<std::string>> rows(row_count);
    for (uint32_t r = 0; r < row_count; ++r) {
      for (uint32_t c = 0; c < columns; ++c) rows[r].push_back(element(r * columns + c));
    }
    *out = Matrix(rows, dims == 2, one_line);
    return true;
  }

  std::string SymbolicMatrix(const Object& o, bool one_line) const {
    auto entry = [&](const Object& e) { return one_line ? OneLine(e) : Joined(TokensOf(e)); };
    const bool matrix = !o.items.empty() && o.items[0]->kind == Kind::SymbolicMatrix;
    std::vector<std::vector<std::string>> rows;
    if (matrix) {
      for (const Obj& row : o.items) {
        rows.emplace_back();
        for (const Obj& e : row->items) rows.back().push_back(entry(*e));
      }
    } else {
      rows.emplace_back();
      for (const Obj& e : o.items) rows[0].push_back(entry(*e));
    }
    return Matrix(rows, matrix, one_line);
  }

  std::string RawText(const Object& o, bool one_line) const {
    std::string arr;
    if (Array(o, one_line, &arr)) return arr;
    std::string w = TypeWord(o);
    uint32_t prolog = 0, v = 0;
    GetField(o.data, 0, 5, &prolog);
    if (prolog == kPrologSysBin && GetField(o.data, 5, 5, &v)) {
      char buf[16];
      snprintf(buf, sizeof buf, "<%Xh>", v);
      return buf;
    }
    if (prolog == kPrologLibrary && GetField(o.data, 5, 5, &v)) {
      // Library: size, title length, title, …; the number follows the title.
      uint32_t tlen = 0;
      std::string title;
      if (GetField(o.data, 10, 2, &tlen) && GetByteText(o.data, 12, tlen, &title)) {
        uint32_t num = 0;
        GetField(o.data, 12 + 2 * tlen + 2, 3, &num);
        return "Library " + std::to_string(num) + ":" + t_.ports.library_title_gap + title;
      }
    }
    return w;
  }

  std::string Algebraic(const Object& o) const;

  std::vector<Tok> TokensOf(const Object& o) const {
    std::vector<Tok> t;
    Tokens(o, t, false, false);
    return t;
  }

  // The elements of a composite; a quoted name is one token.
  void Composed(const std::vector<Obj>& items, std::vector<Tok>& out, bool file) const {
    for (size_t i = 0; i < items.size(); ++i) {
      const Object& it = *items[i];
      if (it.kind == Kind::RomPtr && IsQuoteOpen(it.rom) && i + 1 < items.size()) {
        const Object& next = *items[++i];
        if (i + 1 < items.size() && IsQuoteClose(items[i + 1]->rom)) ++i;
        std::vector<Tok> inner;
        Tokens(next, inner, false, file);
        out.push_back({"'" + Joined(inner) + "'", Role::Plain});
        continue;
      }
      if (it.kind == Kind::Program) {
        // A program body after → is part of the structure: « opens a level.
        out.push_back({"\xab", Role::Open});
        Composed(it.items, out, file);
        out.push_back({"\xbb", Role::Close});
        continue;
      }
      Tokens(it, out, false, file);
    }
  }

  // One object as a single token or a run of tokens.
  void Tokens(const Object& o, std::vector<Tok>& out, bool top, bool file) const {
    switch (o.kind) {
      case Kind::Real: out.push_back({Real(o.re)}); return;
      case Kind::Integer: out.push_back({o.text}); return;
      case Kind::Complex: out.push_back({Complex(o.re, o.im)}); return;
      case Kind::String: out.push_back({"\"" + (file ? FileString(o.text) : o.text) + "\""}); return;
      case Kind::GlobalName:
      case Kind::LocalName: out.push_back({top && !file ? "'" + o.text + "'" : o.text}); return;
      case Kind::BinInt: out.push_back({BinInt(o)}); return;
      case Kind::Command: out.push_back({o.text, RoleOf(o.text)}); return;
      case Kind::RomPtr: {
        char buf[24];
        snprintf(buf, sizeof buf, "XLIB %u %u", (o.rom >> 12) & 0xFFF, o.rom & 0xFFF);
        out.push_back({buf});
        return;
      }
      case Kind::Algebraic: out.push_back({"'" + Algebraic(o) + "'"}); return;
      case Kind::Unit: {
        std::string u = Algebraic(o);
        out.push_back({file && top ? "'" + u + "'" : u});
        return;
      }
      case Kind::Tagged: {
        std::vector<Tok> inner;
        if (!o.items.empty()) Tokens(*o.items[0], inner, false, file);
        const std::string s = Joined(inner);
        out.push_back({top && !file ? o.text + ": " + s : ":" + o.text + ": " + s});
        return;
      }
      case Kind::Grob:
        if (file) {
          std::string s = "GROB " + std::to_string(o.width) + " " + std::to_string(o.height) + " ";
          for (uint8_t n : o.data) s += kHex[n & 0xF];
          out.push_back({s});
        } else {
          out.push_back({"Graphic " + std::to_string(o.width) + " \xd7 " + std::to_string(o.height)});
        }
        return;
      case Kind::List:
        out.push_back({"{"});
        Composed(o.items, out, file);
        out.push_back({"}"});
        return;
      case Kind::SymbolicMatrix: out.push_back({SymbolicMatrix(o, false)}); return;
      case Kind::Program:
        if (!o.delimited && top) {
          // A program stored from several objects without « ».
          Composed(o.items, out, file);
          return;
        }
        out.push_back({"\xab", top ? Role::Plain : Role::Open});
        Composed(o.items, out, file);
        out.push_back({"\xbb", Role::Close});
        return;
      case Kind::Directory:
        out.push_back({"DIR"});
        for (const auto& e : o.entries) {
          if (e.name.empty()) continue;
          out.push_back({e.name});
          Tokens(*e.obj, out, false, file);
        }
        out.push_back({"END"});
        return;
      case Kind::Raw: out.push_back({RawText(o, false)}); return;
    }
  }

  // Whether an object has a form in the 49's comma lists (commands and
  // programs have not: a list holding one is written with blanks).
  static bool HasOneLineForm(const Object& o) {
    switch (o.kind) {
      case Kind::Command:
      case Kind::RomPtr:
      case Kind::Program:
      case Kind::Directory:
        return false;
      case Kind::List:
        for (const Obj& it : o.items) {
          if (!HasOneLineForm(*it)) return false;
        }
        return true;
      default:
        return true;
    }
  }

  // The 49's one-line stack form.
  std::string OneLine(const Object& o) const {
    switch (o.kind) {
      case Kind::GlobalName:
      case Kind::LocalName: return o.text;
      case Kind::Algebraic:
      case Kind::Unit: return Algebraic(o);
      case Kind::Tagged: return o.text + ": " + (o.items.empty() ? "" : OneLine(*o.items[0]));
      case Kind::List: {
        if (!HasOneLineForm(o)) return Joined(TokensOf(o));
        std::string s = "{";
        for (size_t i = 0; i < o.items.size(); ++i) s += (i ? "," : "") + OneLine(*o.items[i]);
        return s + "}";
      }
      case Kind::SymbolicMatrix: return SymbolicMatrix(o, true);
      case Kind::Directory: return "Directory";
      case Kind::Raw: return RawText(o, true);
      default: {
        std::vector<Tok> toks;
        Tokens(o, toks, true, false);
        return Joined(toks);
      }
    }
  }

  void DirectoryFile(const Object& dir, int indent, std::string& out) const;

  const ModelTraits& t_;
};

std::string Writer::Algebraic(const Object& o) const {
  struct Part {
    std::string text;
    int prec;
  };
  std::vector<Part> st;
  bool unit = o.kind == Kind::Unit;
  for (const Obj& it : o.items) {
    if (it->kind == Kind::Command && !it->text.empty()) {
      const std::string& op = it->text;
      if ((op == "+" || op == "-" || op == "*" || op == "/" || op == "^") && st.size() >= 2) {
        Part b = st.back();
        st.pop_back();
        Part a = st.back();
        st.pop_back();
        int p = Precedence(op);
        std::string as = a.prec < p ? "(" + a.text + ")" : a.text;
        std::string bs = b.prec < p || (b.prec == p && (op == "-" || op == "/" || op == "^"))
                             ? "(" + b.text + ")"
                             : b.text;
        st.push_back({as + op + bs, p});
      } else if (op == "NEG" && !st.empty()) {
        Part a = st.back();
        st.back() = {"-" + (a.prec < 3 ? "(" + a.text + ")" : a.text), 2};
      } else if (!st.empty()) {
        st.back() = {op + "(" + st.back().text + ")", 5};
      } else {
        st.push_back({op, 5});
      }
    } else if (it->kind == Kind::RomPtr && unit && IsUnitEnd(it->rom)) {
      if (st.size() >= 2) {
        Part b = st.back();
        st.pop_back();
        st.back() = {st.back().text + "_" + b.text, 5};
      }
    } else if (it->kind == Kind::String && unit) {
      st.push_back({it->text, 5});
    } else if (it->kind == Kind::Real && unit) {
      st.push_back({FormatReal(it->re), 5});  // a unit's number shows no dot: 1_m
    } else {
      std::vector<Tok> t = TokensOf(*it);
      st.push_back({t.empty() ? "" : t[0].text, 5});
    }
  }
  std::string s;
  for (auto& p : st) s += (s.empty() ? "" : " ") + p.text;
  return s;
}

void Writer::DirectoryFile(const Object& dir, int indent, std::string& out) const {
  std::string pad(indent, ' ');
  out += "DIR\r\n";
  const size_t n = dir.entries.size();
  for (size_t k = 0; k < n; ++k) {
    const DirEntry& e = dir.entries[t_.file_directory_newest_first ? n - 1 - k : k];
    if (e.name.empty()) continue;
    out += pad + "  " + e.name;
    if (e.obj->kind == Kind::Directory) {
      out += "\r\n" + pad + "  ";
      DirectoryFile(*e.obj, indent + 2, out);
      out += "\r\n";
    } else {
      out += " " + File(*e.obj) + "\r\n";
    }
  }
  out += pad + "END";
}

std::string Writer::File(const Object& o) const {
  if (o.kind == Kind::Directory) {
    std::string out;
    DirectoryFile(o, 0, out);
    return out;
  }
  std::vector<Tok> toks;
  Tokens(o, toks, true, true);
  // Lines of at most file_line_width characters; structure words start
  // their own line, indented two blanks a level; a wrapped line starts at
  // the margin.
  const size_t width = t_.file_line_width;
  std::string out, line;
  int depth = 0;
  auto flush = [&]() {
    out += line + "\r\n";
    line.clear();
  };
  bool first = true;
  // Inside a CASE each clause's THEN opens a level that its END closes.
  std::vector<bool> in_case;
  for (Tok t : toks) {
    if (t.role == Role::Open && t.text != "\xab") {
      in_case.push_back(t.text == "CASE");
    } else if (t.role == Role::Mid && t.text == "THEN" && !in_case.empty() && in_case.back()) {
      t.role = Role::Open;
      in_case.push_back(false);
    } else if (t.role == Role::Close && !in_case.empty() && t.text != "\xbb") {
      in_case.pop_back();
    }
    if (t.role == Role::Plain || first) {
      if (!first && !line.empty() && line.size() + 1 + t.text.size() > width) flush();
      if (!line.empty()) line += ' ';
      line += t.text;
      if (first && t.text == "\xab") depth = 1;
      first = false;
      continue;
    }
    if (t.role == Role::Open) {
      flush();
      line = std::string(2 * depth, ' ') + t.text;
      ++depth;
    } else if (t.role == Role::Mid) {
      flush();
      line = std::string(2 * std::max(depth - 1, 0), ' ') + t.text;
    } else {
      depth = std::max(depth - 1, 0);
      flush();
      line = std::string(2 * depth, ' ') + t.text;
    }
  }
  out += line;
  return out;
}

}  // namespace

std::string StackText(const Object& o, SimModel model) { return Writer(model).Stack(o); }

std::string FileText(const Object& o, SimModel model) { return Writer(model).File(o); }

}  // namespace dravik::sim
