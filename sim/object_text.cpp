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

std::string BinIntText(const Object& o) {
  uint64_t v = 0;
  for (size_t i = std::min<size_t>(o.data.size(), 16); i-- > 0;) v = (v << 4) | o.data[i];
  return "# " + std::to_string(v) + "d";
}

std::string ComplexText(const Object& o) {
  return "(" + FormatReal(o.re) + "," + FormatReal(o.im) + ")";
}

std::string QuoteString(const std::string& s) { return "\"" + s + "\""; }

// Arrays of reals or complex numbers: [ 1 2 ] and [[ 1 2 ]  [ 3 4 ]].
bool ArrayText(const Object& o, std::string* out) {
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
    return v->kind == Kind::Real ? FormatReal(v->re) : ComplexText(*v);
  };
  std::string s = "[";
  for (uint32_t r = 0; r < d1; ++r) {
    if (dims == 2) s += r ? "  [" : "[";
    for (uint32_t c = 0; c < d2; ++c) s += " " + element(r * d2 + c);
    if (dims == 2) s += " ]";
  }
  s += dims == 2 ? "]" : " ]";
  *out = s;
  return true;
}

std::string RawText(const Object& o) {
  std::string arr;
  if (ArrayText(o, &arr)) return arr;
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
      return "Library " + std::to_string(num) + ":  " + title;
    }
  }
  return w;
}

std::string AlgebraicText(const Object& o);

// One object as a single token or a run of tokens.
void Tokens(const Object& o, std::vector<Tok>& out, bool top, bool file);

void ComposedTokens(const std::vector<Obj>& items, std::vector<Tok>& out, bool file) {
  for (size_t i = 0; i < items.size(); ++i) {
    const Object& it = *items[i];
    if (it.kind == Kind::RomPtr && it.rom == kQuote && i + 1 < items.size()) {
      const Object& next = *items[++i];
      std::vector<Tok> inner;
      Tokens(next, inner, false, file);
      std::string s;
      for (auto& t : inner) s += (s.empty() ? "" : " ") + t.text;
      out.push_back({"'" + s + "'", Role::Plain});
      continue;
    }
    if (it.kind == Kind::Program) {
      // A program body after → is part of the structure: « opens a level.
      out.push_back({"\xab", Role::Open});
      ComposedTokens(it.items, out, file);
      out.push_back({"\xbb", Role::Close});
      continue;
    }
    Tokens(it, out, false, file);
  }
}

void Tokens(const Object& o, std::vector<Tok>& out, bool top, bool file) {
  switch (o.kind) {
    case Kind::Real: out.push_back({FormatReal(o.re)}); return;
    case Kind::Complex: out.push_back({ComplexText(o)}); return;
    case Kind::String: out.push_back({QuoteString(o.text)}); return;
    case Kind::GlobalName:
    case Kind::LocalName: out.push_back({top && !file ? "'" + o.text + "'" : o.text}); return;
    case Kind::BinInt: out.push_back({BinIntText(o)}); return;
    case Kind::Command: out.push_back({o.text, RoleOf(o.text)}); return;
    case Kind::RomPtr: {
      char buf[24];
      snprintf(buf, sizeof buf, "XLIB %u %u", (o.rom >> 12) & 0xFFF, o.rom & 0xFFF);
      out.push_back({buf});
      return;
    }
    case Kind::Algebraic: out.push_back({"'" + AlgebraicText(o) + "'"}); return;
    case Kind::Unit: {
      std::string u = AlgebraicText(o);
      out.push_back({file && top ? "'" + u + "'" : u});
      return;
    }
    case Kind::Tagged: {
      std::vector<Tok> inner;
      if (!o.items.empty()) Tokens(*o.items[0], inner, false, file);
      std::string s;
      for (auto& t : inner) s += (s.empty() ? "" : " ") + t.text;
      out.push_back({top && !file ? o.text + ": " + s : ":" + o.text + ":" + s});
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
      ComposedTokens(o.items, out, file);
      out.push_back({"}"});
      return;
    case Kind::Program:
      if (!o.delimited && top) {
        // A program stored from several objects without « ».
        ComposedTokens(o.items, out, file);
        return;
      }
      out.push_back({"\xab", top ? Role::Plain : Role::Open});
      ComposedTokens(o.items, out, file);
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
    case Kind::Raw: out.push_back({RawText(o)}); return;
  }
}

// Algebraic and unit bodies are kept in postfix order; rebuild the infix.
int Precedence(const std::string& op) {
  if (op == "+" || op == "-") return 1;
  if (op == "*" || op == "/") return 2;
  if (op == "^") return 3;
  return 4;
}

std::string AlgebraicText(const Object& o) {
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
    } else if (it->kind == Kind::RomPtr && unit && it->rom == kUnitEnd) {
      if (st.size() >= 2) {
        Part b = st.back();
        st.pop_back();
        st.back() = {st.back().text + "_" + b.text, 5};
      }
    } else if (it->kind == Kind::String && unit) {
      st.push_back({it->text, 5});
    } else {
      std::vector<Tok> t;
      Tokens(*it, t, false, false);
      st.push_back({t.empty() ? "" : t[0].text, 5});
    }
  }
  std::string s;
  for (auto& p : st) s += (s.empty() ? "" : " ") + p.text;
  return s;
}

}  // namespace

std::string StackText(const Object& o) {
  if (o.kind == Kind::Directory) return "Directory";
  std::vector<Tok> toks;
  Tokens(o, toks, true, false);
  std::string s;
  for (const auto& t : toks) {
    if (!s.empty()) s += ' ';
    s += t.text;
  }
  return s;
}

namespace {

void DirectoryFileText(const Object& dir, int indent, std::string& out) {
  std::string pad(indent, ' ');
  out += "DIR\r\n";
  for (const auto& e : dir.entries) {
    if (e.name.empty()) continue;
    out += pad + "  " + e.name;
    if (e.obj->kind == Kind::Directory) {
      out += "\r\n" + pad + "  ";
      DirectoryFileText(*e.obj, indent + 2, out);
      out += "\r\n";
    } else {
      std::string v = FileText(*e.obj);
      out += " " + v + "\r\n";
    }
  }
  out += pad + "END";
}

}  // namespace

std::string FileText(const Object& o) {
  if (o.kind == Kind::Directory) {
    std::string out;
    DirectoryFileText(o, 0, out);
    return out;
  }
  std::vector<Tok> toks;
  Tokens(o, toks, true, true);
  // Lines of at most 19 characters; structure words start their own line,
  // indented two blanks a level; a wrapped line starts at the margin.
  constexpr size_t kWidth = 19;
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
      if (!first && !line.empty() && line.size() + 1 + t.text.size() > kWidth) flush();
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

}  // namespace dravik::sim
