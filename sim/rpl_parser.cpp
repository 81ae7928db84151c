#include "rpl_parser.h"

#include <cstring>

#include "rom_table.h"

namespace dravik::sim {
namespace {

constexpr char kArrow = '\x8d';
constexpr char kOpenProg = '\xab';
constexpr char kCloseProg = '\xbb';

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; }

bool EndsWord(char c) {
  return IsSpace(c) || std::strchr("{}[]()\"'", c) != nullptr || c == kOpenProg || c == kCloseProg;
}

bool IsOpener(const std::string& w) {
  return w == "FOR" || w == "START" || w == "IF" || w == "IFERR" || w == "WHILE" || w == "DO" ||
         w == "CASE";
}

Obj Number(const HpReal& r, SimModel model) {
  Obj o = MakeReal(r);
  o->rom = RomRealAddress(r, model);
  return o;
}

// Digits with an optional sign and nothing else: what a 49 reads as an
// exact integer.
bool IsIntegerWord(std::string_view w) {
  size_t i = w.size() > 1 && (w[0] == '-' || w[0] == '+') ? 1 : 0;
  if (i == w.size()) return false;
  for (; i < w.size(); ++i) {
    if (w[i] < '0' || w[i] > '9') return false;
  }
  return true;
}

Obj ExactInteger(std::string_view w, SimModel model) {
  std::string digits(w[0] == '+' || w[0] == '-' ? w.substr(1) : w);
  const size_t first = digits.find_first_not_of('0');
  digits = first == std::string::npos ? "0" : digits.substr(first);
  Obj o = MakeInteger(w[0] == '-' && digits != "0" ? "-" + digits : digits);
  if (digits.size() == 1) o->rom = RomIntegerAddress(std::stoll(o->text), model);
  return o;
}

class Parser {
 public:
  Parser(std::string_view text, ParseOptions opt) : t_(text), opt_(opt) {}

  bool Run(std::vector<Obj>* out) {
    std::vector<Obj> items;
    if (!Sequence(items, 0, true) || p_ < t_.size()) return false;
    *out = std::move(items);
    return true;
  }

 private:
  std::string_view t_;
  ParseOptions opt_;
  size_t p_ = 0;
  int nesting_ = 0;
  static constexpr int kMaxNesting = 120;
  std::vector<std::string> locals_;

  void SkipSpace() {
    while (p_ < t_.size() && IsSpace(t_[p_])) ++p_;
  }

  std::string Word() {
    size_t s = p_;
    while (p_ < t_.size() && !EndsWord(t_[p_])) ++p_;
    return std::string(t_.substr(s, p_ - s));
  }

  bool IsLocal(const std::string& n) const {
    for (const auto& l : locals_) {
      if (l == n) return true;
    }
    return false;
  }

  Obj NameObj(const std::string& n) { return MakeName(n, IsLocal(n)); }

  // The XLIB name of an attached library's command of that name.
  Obj AttachedCommandNamed(const std::string& w) const {
    if (!opt_.library_commands) return nullptr;
    for (const AttachedCommand& c : *opt_.library_commands) {
      if (c.name == w) return MakeLibraryCommand(c.name, c.library, c.number);
    }
    return nullptr;
  }

  Obj Num(const HpReal& r) const { return Number(r, opt_.model); }

  // A number as typed: an exact integer on a model that has them.
  Obj NumberWord(const std::string& w, const HpReal& r) const {
    if (Traits(opt_.model).exact_integers && IsIntegerWord(w)) return ExactInteger(w, opt_.model);
    return Num(r);
  }

  // The program after → names: a program object without « » of its own on
  // a 48, « … » held in place on a 49.
  Obj LocalBody(std::vector<Obj> items) const {
    const RomLayout& rom = Rom(opt_.model);
    Obj body = Program(std::move(items), rom.local_body_close != 0);
    body->embedded = rom.local_body_close != 0;
    body->brackets.close = rom.local_body_close ? rom.local_body_close : body->brackets.close;
    return body;
  }

  Obj Program(std::vector<Obj> items, bool delimited = true) const {
    Obj prog = MakeComposite(Kind::Program, std::move(items));
    prog->delimited = delimited;
    prog->brackets = Rom(opt_.model).brackets;
    return prog;
  }

  // closer: 0 for the whole text, '}' or '»'; program: quoted names carry
  // the quote marker and structures are checked.
  bool Sequence(std::vector<Obj>& out, char closer, bool program) {
    std::vector<std::string> open;  // structure words awaiting their end
    for (;;) {
      SkipSpace();
      if (p_ >= t_.size()) break;  // missing closers are supplied
      char c = t_[p_];
      if (c == '}' || c == kCloseProg || c == ']') {
        if (c != closer) return false;
        ++p_;
        break;
      }
      if (!Element(out, program, open)) return false;
    }
    return open.empty();
  }

  bool Element(std::vector<Obj>& out, bool program, std::vector<std::string>& open) {
    // Nesting is bounded so that no input can exhaust the C++ stack.
    if (nesting_ >= kMaxNesting) return false;
    ++nesting_;
    bool ok = ElementAt(out, program, open);
    --nesting_;
    return ok;
  }

  bool ElementAt(std::vector<Obj>& out, bool program, std::vector<std::string>& open) {
    char c = t_[p_];
    if (c == '"') {
      size_t e = t_.find('"', p_ + 1);
      std::string s(t_.substr(p_ + 1, e == std::string_view::npos ? std::string_view::npos : e - p_ - 1));
      p_ = e == std::string_view::npos ? t_.size() : e + 1;
      out.push_back(MakeString(s));
      return true;
    }
    if (c == '{') {
      ++p_;
      std::vector<Obj> items;
      if (!Sequence(items, '}', false)) return false;
      out.push_back(MakeComposite(Kind::List, std::move(items)));
      return true;
    }
    if (c == kOpenProg) {
      ++p_;
      std::vector<Obj> items;
      if (!Sequence(items, kCloseProg, true)) return false;
      out.push_back(Program(std::move(items)));
      return true;
    }
    if (c == '[') return Array(out);
    if (c == '(') return Complex(out);
    if (c == '\'') return Quoted(out, program);
    if (c == '#') return BinInt(out);
    if (c == ')') return false;
    std::string w = Word();
    if (w.empty()) return false;
    if (w[0] == ':' && w.size() > 1) return Tagged(w, out, program, open);
    return WordElement(w, out, program, open);
  }

  bool WordElement(const std::string& w, std::vector<Obj>& out, bool program,
                   std::vector<std::string>& open) {
    HpReal r;
    if (ParseReal(w, &r, opt_.decimal_comma)) {
      out.push_back(NumberWord(w, r));
      return true;
    }
    if (size_t u = w.find('_'); u != std::string::npos && u > 0 && ParseReal(w.substr(0, u), &r, opt_.decimal_comma)) {
      return Unit(r, w.substr(u + 1), out);
    }
    if (w.size() == 1 && w[0] == kArrow) return Arrow(out);
    if (w == "DIR") return Directory(out);
    if (w == "GROB") return Grob(out);
    if (Obj cmd = MakeCommand(w, opt_.model); cmd && w != "\xab" && w != "\xbb") {
      if (program) {
        if (IsOpener(w)) {
          open.push_back(w);
        } else if (w == "THEN" && !open.empty() && open.back() == "CASE") {
          open.push_back("CASE THEN");  // a clause, closed by its own END
        } else if (w == "THEN" || w == "ELSE" || w == "REPEAT" || w == "UNTIL") {
          if (open.empty()) return false;
        } else if (w == "END" || w == "NEXT" || w == "STEP") {
          if (open.empty()) return false;
          const std::string top = open.back();
          open.pop_back();
          bool loop = top == "FOR" || top == "START";
          if ((w == "END") == loop) return false;
          if (top == "FOR") locals_.pop_back();
        }
      }
      out.push_back(cmd);
      if (program && w == "FOR") {
        SkipSpace();
        std::string var = Word();
        if (!IsValidName(var, opt_.model)) return false;
        locals_.push_back(var);
        out.push_back(MakeName(var, true));
      }
      return true;
    }
    if (!IsValidName(w, opt_.model)) return SplitAfterNumber(w, out, program, open);
    if (Obj xlib = AttachedCommandNamed(w); xlib && !IsLocal(w)) {
      out.push_back(xlib);
      return true;
    }
    out.push_back(NameObj(w));
    return true;
  }

  // A word that starts as a number and goes on with a letter is read as the
  // number and then the rest ("5d" is 5 and d, as the real one reads it).
  bool SplitAfterNumber(const std::string& w, std::vector<Obj>& out, bool program,
                        std::vector<std::string>& open) {
    HpReal r;
    for (size_t cut = w.size() - 1; cut > 0; --cut) {
      if (!std::isalpha(static_cast<unsigned char>(w[cut]))) continue;
      if (!ParseReal(w.substr(0, cut), &r, opt_.decimal_comma)) continue;
      out.push_back(NumberWord(w.substr(0, cut), r));
      return WordElement(w.substr(cut), out, program, open);
    }
    return false;
  }

  // 1.5_m/s: the number, then the unit expression in postfix order with
  // unit names as strings, then the end marker.
  bool Unit(const HpReal& r, const std::string& unit, std::vector<Obj>& out) {
    std::vector<Obj> rpn;
    if (unit.empty() || !Algebraic(unit, rpn)) return false;
    std::vector<Obj> items{Num(r)};
    for (Obj& o : rpn) {
      if (o->kind == Kind::GlobalName || o->kind == Kind::LocalName) o = MakeString(o->text);
      if (o->kind == Kind::Command && o->text == "NEG") return false;
      items.push_back(o);
    }
    Obj end = RomPointer(Rom(opt_.model).unit_end);
    items.push_back(end);
    out.push_back(MakeComposite(Kind::Unit, std::move(items)));
    return true;
  }

  bool Tagged(const std::string& w, std::vector<Obj>& out, bool program,
              std::vector<std::string>& open) {
    size_t e = w.find(':', 1);
    std::string tag;
    if (e != std::string::npos) {
      tag = w.substr(1, e - 1);
      p_ -= w.size() - e - 1;  // re-read what follows the second colon
    } else {
      return false;
    }
    if (tag.empty()) return false;
    SkipSpace();
    if (p_ >= t_.size()) return false;
    std::vector<Obj> one;
    if (!Element(one, false, open) || one.size() != 1) return false;
    (void)program;
    out.push_back(MakeTagged(tag, one[0]));
    return true;
  }

  bool Arrow(std::vector<Obj>& out) {
    out.push_back(MakeCommand("\x8d", opt_.model));
    size_t scope = locals_.size();
    int names = 0;
    for (;;) {
      SkipSpace();
      if (p_ >= t_.size()) return false;
      if (t_[p_] == kOpenProg || t_[p_] == '\'') break;
      std::string n = Word();
      if (!IsValidName(n, opt_.model)) return false;
      locals_.push_back(n);
      out.push_back(MakeName(n, true));
      ++names;
    }
    if (names == 0) return false;
    bool ok;
    if (t_[p_] == kOpenProg) {
      ++p_;
      std::vector<Obj> body;
      ok = Sequence(body, kCloseProg, true);
      out.push_back(LocalBody(std::move(body)));
    } else {
      std::vector<Obj> one;
      ok = Quoted(one, false) && one.size() == 1;
      if (ok) out.push_back(one[0]);
    }
    locals_.resize(scope);
    return ok;
  }

  bool Directory(std::vector<Obj>& out) {
    Obj dir = MakeDirectory();
    for (;;) {
      SkipSpace();
      if (p_ >= t_.size()) return false;
      size_t save = p_;
      std::string n = Word();
      if (n == "END") break;
      if (!IsValidName(n, opt_.model)) {
        p_ = save;
        return false;
      }
      SkipSpace();
      if (p_ >= t_.size()) return false;
      std::vector<Obj> one;
      std::vector<std::string> open;
      if (!Element(one, false, open) || one.size() != 1) return false;
      Obj v = StripTags(one[0]);
      if (v->rom) {
        v = Clone(v);
        v->rom = 0;
      }
      if (DirEntry* e = FindEntry(*dir, n)) {
        e->obj = v;
      } else {
        dir->entries.push_back({n, v});
      }
    }
    out.push_back(dir);
    return true;
  }

  bool Grob(std::vector<Obj>& out) {
    SkipSpace();
    std::string ws = Word();
    SkipSpace();
    std::string hs = Word();
    SkipSpace();
    std::string hex = Word();
    HpReal w, h;
    long long wi = 0, hi = 0;
    if (!ParseReal(ws, &w) || !ParseReal(hs, &h) || !RealToInt(w, &wi) || !RealToInt(h, &hi) ||
        wi < 0 || hi < 0 || wi > 4096 || hi > 4096) {
      return false;
    }
    Obj g = MakeGrob(static_cast<uint32_t>(wi), static_cast<uint32_t>(hi));
    if (hex.size() != g->data.size()) return false;
    for (size_t i = 0; i < hex.size(); ++i) {
      char ch = hex[i];
      int v = ch >= '0' && ch <= '9' ? ch - '0' : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10 : -1;
      if (v < 0) return false;
      g->data[i] = static_cast<uint8_t>(v);
    }
    out.push_back(g);
    return true;
  }

  bool BinInt(std::vector<Obj>& out) {
    ++p_;
    SkipSpace();
    std::string w = Word();
    if (w.empty()) return false;
    int base = 10;
    char last = w.back();
    if (last == 'd' || last == 'h' || last == 'o' || last == 'b') {
      base = last == 'd' ? 10 : last == 'h' ? 16 : last == 'o' ? 8 : 2;
      w.pop_back();
    }
    if (w.empty()) return false;
    uint64_t v = 0;
    for (char ch : w) {
      int d = ch >= '0' && ch <= '9' ? ch - '0' : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10 : 99;
      if (d >= base) return false;
      v = v * base + d;
    }
    out.push_back(MakeBinInt(v));
    return true;
  }

  bool Complex(std::vector<Obj>& out) {
    size_t e = t_.find(')', p_);
    if (e == std::string_view::npos) return false;
    std::string in(t_.substr(p_ + 1, e - p_ - 1));
    p_ = e + 1;
    const char sep = opt_.decimal_comma ? ';' : ',';
    size_t c = in.find(sep);
    if (c == std::string::npos) return false;
    auto trim = [](std::string s) {
      while (!s.empty() && IsSpace(s.front())) s.erase(s.begin());
      while (!s.empty() && IsSpace(s.back())) s.pop_back();
      return s;
    };
    HpReal a, b;
    if (!ParseReal(trim(in.substr(0, c)), &a, opt_.decimal_comma) ||
        !ParseReal(trim(in.substr(c + 1)), &b, opt_.decimal_comma)) {
      return false;
    }
    out.push_back(MakeComplex(a, b));
    return true;
  }

  // One array element: a real, or a complex number in parentheses.
  bool ArrayElement(Obj* el) {
    if (t_[p_] == '(') {
      std::vector<Obj> one;
      if (!Complex(one)) return false;
      *el = one[0];
      return true;
    }
    std::string w = Word();
    HpReal r;
    if (w.empty() || !ParseReal(w, &r, opt_.decimal_comma)) return false;
    *el = NumberWord(w, r);
    if ((*el)->kind == Kind::Real) *el = MakeReal(r);  // stored whole in an array
    return true;
  }

  // The 49's array of exact entries: a composite of its entries, or of its
  // rows for a matrix.
  static Obj SymbolicMatrix(std::vector<std::vector<Obj>> rows, bool matrix) {
    if (!matrix) return MakeComposite(Kind::SymbolicMatrix, std::move(rows[0]));
    std::vector<Obj> row_objects;
    for (auto& row : rows) row_objects.push_back(MakeComposite(Kind::SymbolicMatrix, std::move(row)));
    return MakeComposite(Kind::SymbolicMatrix, std::move(row_objects));
  }

  bool Array(std::vector<Obj>& out) {
    // [ 1 2 ], [[ 1 2 ] [ 3 4 ]], [ (1,2) (3,4) ]
    ++p_;
    std::vector<std::vector<Obj>> rows;
    SkipSpace();
    const bool matrix = p_ < t_.size() && t_[p_] == '[';
    auto read_row = [&](std::vector<Obj>& row) {
      for (;;) {
        SkipSpace();
        if (p_ >= t_.size()) return false;
        if (t_[p_] == ']') {
          ++p_;
          return true;
        }
        Obj el;
        if (!ArrayElement(&el)) return false;
        row.push_back(el);
      }
    };
    if (!matrix) {
      rows.emplace_back();
      if (!read_row(rows[0]) || rows[0].empty()) return false;
    } else {
      for (;;) {
        SkipSpace();
        if (p_ >= t_.size()) return false;
        if (t_[p_] == ']') {
          ++p_;
          break;
        }
        if (t_[p_] != '[') return false;
        ++p_;
        rows.emplace_back();
        if (!read_row(rows.back()) || rows.back().size() != rows[0].size()) return false;
      }
      if (rows.empty() || rows[0].empty()) return false;
    }
    for (const auto& row : rows) {
      for (const Obj& el : row) {
        if (el->kind == Kind::Integer) {
          out.push_back(SymbolicMatrix(std::move(rows), matrix));
          return true;
        }
      }
    }
    const Kind kind = rows[0][0]->kind;
    Nibbles body;
    PutField(body, kind == Kind::Real ? kPrologReal : kPrologComplex, 5);
    PutField(body, matrix ? 2 : 1, 5);
    PutField(body, static_cast<uint32_t>(matrix ? rows.size() : rows[0].size()), 5);
    if (matrix) PutField(body, static_cast<uint32_t>(rows[0].size()), 5);
    for (const auto& row : rows) {
      for (const Obj& el : row) {
        if (el->kind != kind) return false;
        Nibbles one = Encode(*el);
        body.insert(body.end(), one.begin() + 5, one.end());
      }
    }
    Nibbles n;
    PutField(n, kPrologArray, 5);
    PutField(n, static_cast<uint32_t>(5 + body.size()), 5);
    n.insert(n.end(), body.begin(), body.end());
    out.push_back(MakeRaw(n));
    return true;
  }

  bool Quoted(std::vector<Obj>& out, bool program) {
    size_t e = t_.find('\'', p_ + 1);
    if (e == std::string_view::npos) return false;
    std::string in(t_.substr(p_ + 1, e - p_ - 1));
    p_ = e + 1;
    while (!in.empty() && IsSpace(in.front())) in.erase(in.begin());
    while (!in.empty() && IsSpace(in.back())) in.pop_back();
    HpReal num;
    if (size_t u = in.find('_'); u != std::string::npos && u > 0 &&
        ParseReal(in.substr(0, u), &num, opt_.decimal_comma)) {
      return Unit(num, in.substr(u + 1), out);
    }
    if (IsValidName(in, opt_.model)) {
      const RomLayout& rom = Rom(opt_.model);
      if (program) out.push_back(RomPointer(rom.quote_open));
      out.push_back(NameObj(in));
      if (program && rom.quote_close) out.push_back(RomPointer(rom.quote_close));
      return true;
    }
    std::vector<Obj> rpn;
    if (!Algebraic(in, rpn)) return false;
    out.push_back(MakeComposite(Kind::Algebraic, std::move(rpn)));
    return true;
  }

  // Infix to postfix: + - * / ^, unary minus, parentheses, f(x).
  bool Algebraic(const std::string& s, std::vector<Obj>& rpn) {
    size_t i = 0;
    bool ok = Expr(s, i, rpn, 0);
    while (i < s.size() && IsSpace(s[i])) ++i;
    return ok && i == s.size() && !rpn.empty();
  }

  static int Prec(char op) {
    return op == '+' || op == '-' ? 1 : op == '*' || op == '/' ? 2 : op == '^' ? 3 : 0;
  }

  bool Expr(const std::string& s, size_t& i, std::vector<Obj>& rpn, int depth) {
    if (depth > 100) return false;
    if (!Unary(s, i, rpn, depth)) return false;
    return BinaryRest(s, i, rpn, 1, depth);
  }

  // Precedence climbing from level min.
  bool BinaryRest(const std::string& s, size_t& i, std::vector<Obj>& rpn, int min, int depth) {
    for (;;) {
      while (i < s.size() && IsSpace(s[i])) ++i;
      if (i >= s.size()) return true;
      char op = s[i];
      int p = Prec(op);
      if (p == 0 || p < min) return true;
      ++i;
      if (!Unary(s, i, rpn, depth)) return false;
      // right operand binds tighter operators first
      for (;;) {
        while (i < s.size() && IsSpace(s[i])) ++i;
        if (i >= s.size()) break;
        int q = Prec(s[i]);
        if (q == 0 || q <= p) break;
        if (!BinaryRest(s, i, rpn, q, depth)) return false;
      }
      rpn.push_back(MakeCommand(std::string(1, op), opt_.model));
    }
  }

  bool Unary(const std::string& s, size_t& i, std::vector<Obj>& rpn, int depth) {
    while (i < s.size() && IsSpace(s[i])) ++i;
    if (i >= s.size()) return false;
    if (s[i] == '-') {
      // -X^2 is -(X^2): powers bind tighter than the sign.
      ++i;
      if (!Unary(s, i, rpn, depth + 1) || !BinaryRest(s, i, rpn, 3, depth + 1)) return false;
      rpn.push_back(MakeCommand("NEG", opt_.model));
      return true;
    }
    if (s[i] == '(') {
      ++i;
      if (!Expr(s, i, rpn, depth + 1)) return false;
      while (i < s.size() && IsSpace(s[i])) ++i;
      if (i >= s.size() || s[i] != ')') return false;
      ++i;
      return true;
    }
    size_t st = i;
    while (i < s.size() && !IsSpace(s[i]) && !std::strchr("+-*/^()", s[i])) ++i;
    // an exponent sign belongs to the number: 1.5E-3
    while (i < s.size() && (s[i] == '-' || s[i] == '+') && i > st &&
           (s[i - 1] == 'E' || s[i - 1] == 'e') && std::isdigit(static_cast<unsigned char>(s[st]))) {
      ++i;
      while (i < s.size() && !IsSpace(s[i]) && !std::strchr("+-*/^()", s[i])) ++i;
    }
    std::string w = s.substr(st, i - st);
    if (w.empty()) return false;
    HpReal r;
    if (ParseReal(w, &r, opt_.decimal_comma)) {
      rpn.push_back(NumberWord(w, r));
      return true;
    }
    if (i < s.size() && s[i] == '(') {
      Obj f = MakeCommand(w, opt_.model);
      if (!f) return false;
      ++i;
      if (!Expr(s, i, rpn, depth + 1)) return false;
      if (i >= s.size() || s[i] != ')') return false;
      ++i;
      rpn.push_back(f);
      return true;
    }
    if (!IsValidName(w, opt_.model)) return false;
    rpn.push_back(NameObj(w));
    return true;
  }

  static Obj RomPointer(uint32_t address) {
    Obj o = std::make_shared<Object>();
    o->kind = Kind::RomPtr;
    o->rom = address;
    return o;
  }
};

}  // namespace

// A $ is a letter (the names CRLIB reads: $ROMID, $TITLE, $CONFIG).
bool IsValidName(std::string_view t, SimModel model) {
  if (t.empty() || t.size() > 127) return false;
  HpReal r;
  if (ParseReal(t, &r)) return false;
  if (std::isdigit(static_cast<unsigned char>(t[0])) || t[0] == '.') return false;
  for (char c : t) {
    if (IsSpace(c) || std::strchr("{}[]()<>\"'#:,;_+-*/^=!\\&@|`~%", c) || c == kArrow ||
        c == kOpenProg || c == kCloseProg) {
      return false;
    }
  }
  return !IsCommand(t, model) && t != "DIR" && t != "GROB";
}

bool ParseObjects(std::string_view text, std::vector<Obj>* out, ParseOptions options) {
  Parser p(text, options);
  return p.Run(out);
}

}  // namespace dravik::sim
