// Evaluation of command lines, programs and names: structures (IF, IFERR,
// FOR/START, WHILE, DO), local variables, and the step and depth limits
// that keep a runaway program from hanging the simulator.
#include "calculator_impl.h"
#include "object_args.h"
#include "rom_table.h"
#include "rpl_parser.h"
#include "transio.h"

namespace dravik::sim {

using namespace args;

namespace {

constexpr long kMaxSteps = 5'000'000;

bool IsCmd(const Obj& o, const char* name) { return o->kind == Kind::Command && o->text == name; }

bool IsWord(const Obj& o, std::initializer_list<const char*> words) {
  if (o->kind != Kind::Command) return false;
  for (const char* w : words) {
    if (o->text == w) return true;
  }
  return false;
}

// Positions of the middle words and the closing word of the structure
// opened at items[at]. Nested structures are skipped; inside a CASE each
// clause's THEN opens a level that its END closes.
struct Shape {
  std::vector<size_t> mids;
  size_t close = 0;
};

bool FindShape(const std::vector<Obj>& items, size_t at, size_t end, Shape* s) {
  std::vector<bool> is_case{IsCmd(items[at], "CASE")};
  for (size_t i = at + 1; i < end; ++i) {
    const Obj& o = items[i];
    if (IsWord(o, {"FOR", "START", "IF", "IFERR", "WHILE", "DO", "CASE"})) {
      is_case.push_back(IsCmd(o, "CASE"));
    } else if (IsCmd(o, "THEN") && is_case.back()) {
      if (is_case.size() == 1) s->mids.push_back(i);
      is_case.push_back(false);
    } else if (IsWord(o, {"END", "NEXT", "STEP"})) {
      is_case.pop_back();
      if (is_case.empty()) {
        s->close = i;
        return true;
      }
      if (is_case.size() == 1 && is_case[0]) s->mids.push_back(i);
    } else if (is_case.size() == 1 && IsWord(o, {"THEN", "ELSE", "REPEAT", "UNTIL"})) {
      s->mids.push_back(i);
    }
  }
  return false;
}

}  // namespace

std::string Calculator::Impl::CommandLine(std::string_view text, CalculatorIo* with_io) {
  io = with_io;
  // The line as the calculator reads it: TRANSIO 1-3 turn CR LF into LF,
  // TRANSIO 3 spellings into characters. A line that does not compile
  // goes on the stack as read.
  const int mode = IoparEntry(6, 1);
  std::string src = mode >= 3   ? TranslateIn(text, 3)
                    : mode >= 1 ? TranslateIn(text, 1)
                                : std::string(text);
  std::vector<Obj> items;
  std::string error;
  if (!Compile(src, &items)) {
    stack.push_back(MakeString(src));
    error = "Invalid Syntax";
  } else {
    depth = 0;
    steps = 0;
    locals.clear();
    error = Run(items, 0, items.size());
    locals.clear();
  }
  std::string reply = StackText(mode);
  io = nullptr;
  if (error.empty()) return reply;
  return "Error: " + error + "\r\n" + reply;
}

std::string Calculator::Impl::Eval(const Obj& obj) {
  const Object& o = *obj;
  switch (o.kind) {
    case Kind::Program:
    case Kind::List: {
      if (++depth > kMaxDepth) {
        --depth;
        return "Insufficient Memory";
      }
      std::string err = Run(o.items, 0, o.items.size());
      --depth;
      return err;
    }
    case Kind::GlobalName: {
      std::vector<std::string> where;
      Obj v = Lookup(o.text, &where);
      if (!v) {
        stack.push_back(obj);
        return {};
      }
      if (v->kind == Kind::Directory) {
        path = where;
        path.push_back(o.text);
        return {};
      }
      if (v->kind == Kind::Program) return Eval(v);
      stack.push_back(v);
      return {};
    }
    case Kind::LocalName: {
      for (size_t k = locals.size(); k-- > 0;) {
        for (auto& [n, v] : locals[k]) {
          if (n == o.text) {
            stack.push_back(v);
            return {};
          }
        }
      }
      return "Undefined Local Name";
    }
    case Kind::Command:
      if (IsPortLibraryCommand(o)) return RunLibraryCommand(o);
      return Builtin(o.text);
    case Kind::Algebraic: {
      if (++depth > kMaxDepth) {
        --depth;
        return "Insufficient Memory";
      }
      size_t before = stack.size();
      std::string err;
      for (const Obj& it : o.items) {
        err = it->kind == Kind::GlobalName || it->kind == Kind::LocalName || it->kind == Kind::Command
                  ? Eval(it)
                  : (stack.push_back(it), std::string());
        if (!err.empty()) break;
      }
      --depth;
      if (!err.empty()) stack.resize(std::min(stack.size(), before));
      return err;
    }
    case Kind::Tagged:
      if (!o.items.empty()) return Eval(o.items[0]);
      return {};
    default:
      stack.push_back(obj);
      return {};
  }
}

std::string Calculator::Impl::Run(const std::vector<Obj>& items, size_t begin, size_t end) {
  for (size_t i = begin; i < end; ++i) {
    if (++steps > kMaxSteps) return "Interrupted";
    if (stack.size() > kMaxStackLevels) return "Insufficient Memory";
    const Obj& it = items[i];
    if (it->kind == Kind::RomPtr && IsQuoteOpen(it->rom) && i + 1 < end) {
      stack.push_back(items[++i]);
      if (i + 1 < end && IsQuoteClose(items[i + 1]->rom)) ++i;
      continue;
    }
    if (it->kind != Kind::Command) {
      if (it->kind == Kind::GlobalName || it->kind == Kind::LocalName) {
        if (std::string e = Eval(it); !e.empty()) return e;
      } else {
        stack.push_back(it);
      }
      continue;
    }
    const std::string& w = it->text;
    if (IsPortLibraryCommand(*it)) {
      if (std::string e = RunLibraryCommand(*it); !e.empty()) return e;
      continue;
    }
    if (w == "\x8d") {
      size_t j = i + 1;
      std::vector<std::string> names;
      while (j < end && items[j]->kind == Kind::LocalName) names.push_back(items[j++]->text);
      if (j >= end) return kBadType;
      if (stack.size() < names.size()) return kTooFew;
      std::vector<std::pair<std::string, Obj>> frame;
      for (size_t k = 0; k < names.size(); ++k) {
        frame.push_back({names[k], stack[stack.size() - names.size() + k]});
      }
      stack.resize(stack.size() - names.size());
      locals.push_back(std::move(frame));
      const Obj& body = items[j];
      std::string err = body->kind == Kind::Program ? Eval(MakeComposite(Kind::List, body->items))
                                                    : Eval(body);
      locals.pop_back();
      if (!err.empty()) return err;
      i = j;
      continue;
    }
    if (w == "IF" || w == "IFERR" || w == "WHILE" || w == "DO" || w == "FOR" || w == "START" ||
        w == "CASE") {
      Shape s;
      if (!FindShape(items, i, end, &s)) return "Invalid Syntax";
      std::string err;
      if (w == "CASE") {
        // mids: THEN, END of each clause in turn; after the last, the default.
        size_t from = i + 1;
        bool done = false;
        for (size_t k = 0; k + 1 < s.mids.size() && !done; k += 2) {
          if ((err = Run(items, from, s.mids[k])).size()) break;
          if (stack.empty()) return kTooFew;
          bool yes = IsTrue(stack.back());
          stack.pop_back();
          if (yes) {
            err = Run(items, s.mids[k] + 1, s.mids[k + 1]);
            done = true;
          }
          from = s.mids[k + 1] + 1;
        }
        if (!done && err.empty()) err = Run(items, from, s.close);
      } else if (w == "IF" || w == "IFERR") {
        if (s.mids.empty()) return "Invalid Syntax";
        size_t then_at = s.mids[0];
        size_t else_at = s.mids.size() > 1 ? s.mids[1] : s.close;
        if (w == "IF") {
          if ((err = Run(items, i + 1, then_at)).size()) return err;
          if (stack.empty()) return kTooFew;
          bool yes = IsTrue(stack.back());
          stack.pop_back();
          err = yes ? Run(items, then_at + 1, else_at) : Run(items, else_at + 1, s.close);
        } else {
          std::string trapped = Run(items, i + 1, then_at);
          if (!trapped.empty()) {
            if (trapped == "Interrupted") return trapped;
            err = Run(items, then_at + 1, else_at);
          } else if (else_at != s.close) {
            err = Run(items, else_at + 1, s.close);
          }
        }
      } else if (w == "WHILE" || w == "DO") {
        if (s.mids.empty()) return "Invalid Syntax";
        size_t mid = s.mids[0];
        for (;;) {
          if (w == "WHILE") {
            if ((err = Run(items, i + 1, mid)).size()) break;
            if (stack.empty()) return kTooFew;
            bool go = IsTrue(stack.back());
            stack.pop_back();
            if (!go) break;
            if ((err = Run(items, mid + 1, s.close)).size()) break;
          } else {
            if ((err = Run(items, i + 1, mid)).size()) break;
            if ((err = Run(items, mid + 1, s.close)).size()) break;
            if (stack.empty()) return kTooFew;
            bool stop = IsTrue(stack.back());
            stack.pop_back();
            if (stop) break;
          }
          if (++steps > kMaxSteps) return "Interrupted";
        }
      } else {
        // FOR name … NEXT/STEP, START … NEXT/STEP: the body runs at least once.
        bool named = w == "FOR";
        size_t body = i + 1 + (named ? 1 : 0);
        if (named && (body > end || items[i + 1]->kind != Kind::LocalName)) return "Invalid Syntax";
        if (stack.size() < 2) return kTooFew;
        HpReal a, b;
        if (!RealArg(stack[stack.size() - 2], &a) || !RealArg(stack.back(), &b)) return kBadType;
        // Exact bounds count in exact integers (a 49's 1 30 FOR I), as long
        // as the count stays within what a 64-bit integer holds.
        const bool exact = stack[stack.size() - 2]->kind == Kind::Integer &&
                           std::fabs(RealToDouble(a)) < 1e15L && std::fabs(RealToDouble(b)) < 1e15L;
        stack.resize(stack.size() - 2);
        long double counter = RealToDouble(a), last = RealToDouble(b);
        bool step = IsCmd(items[s.close], "STEP");
        auto counter_object = [&] {
          return exact ? MakeInteger(static_cast<long long>(counter)) : MakeReal(RealFromDouble(counter));
        };
        if (named) locals.push_back({{items[i + 1]->text, counter_object()}});
        for (;;) {
          if (named) locals.back()[0].second = counter_object();
          if ((err = Run(items, body, s.close)).size()) break;
          long double inc = 1;
          if (step) {
            if (stack.empty()) {
              err = kTooFew;
              break;
            }
            HpReal r;
            if (!RealArg(stack.back(), &r)) {
              err = kBadType;
              break;
            }
            stack.pop_back();
            inc = RealToDouble(r);
          }
          counter += inc;
          if (inc >= 0 ? counter > last : counter < last) break;
          if (++steps > kMaxSteps) {
            err = "Interrupted";
            break;
          }
        }
        if (named) locals.pop_back();
      }
      if (!err.empty()) return err;
      i = s.close;
      continue;
    }
    if (w == "THEN" || w == "ELSE" || w == "END" || w == "NEXT" || w == "STEP" || w == "REPEAT" ||
        w == "UNTIL") {
      return "Invalid Syntax";
    }
    if (std::string e = Builtin(w); !e.empty()) return e;
  }
  return {};
}


}  // namespace dravik::sim
