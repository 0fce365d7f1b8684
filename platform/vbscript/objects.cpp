#include "platform/vbscript/objects.h"

// GCC 12 with the sanitizers reports a false "may be used uninitialized" inside <regex>'s
// own std::function members; the warning is about the library, not this file.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <cctype>
#include <regex>
#include <unordered_map>

#include "platform/cp1252.h"
#include "platform/vbscript/errors.h"
#include "platform/vbscript/interpreter.h"

namespace gildex::vbscript {
namespace {

void ExpectArgs(std::span<Variant* const> args, std::size_t n, const std::string& name) {
  if (args.size() != n) ThrowRuntime(450, name);
}

class Dictionary : public Object {
 public:
  Dictionary() { charge_.Add(sizeof(Dictionary)); }
  std::string TypeName() const override { return "Dictionary"; }

  Variant Get(Interpreter&, const std::string& name, std::span<Variant* const> args) override {
    if (name.empty() || name == "ITEM") {
      ExpectArgs(args, 1, "Item");
      auto it = index_.find(KeyOf(*args[0]));
      if (it == index_.end()) {
        // Reading a missing key adds it, as the Windows dictionary does.
        Insert(*args[0], Variant());
        return Variant();
      }
      return entries_[it->second].value;
    }
    if (name == "COUNT") return Variant::Long(static_cast<std::int64_t>(index_.size()));
    if (name == "EXISTS") {
      ExpectArgs(args, 1, "Exists");
      return Variant::Bool(index_.count(KeyOf(*args[0])) > 0);
    }
    if (name == "ADD") {
      ExpectArgs(args, 2, "Add");
      if (index_.count(KeyOf(*args[0]))) ThrowRuntime(457);
      Insert(*args[0], *args[1]);
      return Variant();
    }
    if (name == "REMOVE") {
      ExpectArgs(args, 1, "Remove");
      auto it = index_.find(KeyOf(*args[0]));
      if (it == index_.end()) ThrowRuntime(32811);
      charge_.Add(-EntryBytes(entries_[it->second].key, entries_[it->second].value));
      entries_[it->second] = Entry();
      index_.erase(it);
      Compact();
      return Variant();
    }
    if (name == "REMOVEALL") {
      charge_.Add(static_cast<std::int64_t>(sizeof(Dictionary)) - charge_.Bytes());
      entries_.clear();
      index_.clear();
      return Variant();
    }
    if (name == "KEYS" || name == "ITEMS") {
      auto arr = MakeArray({static_cast<std::int64_t>(index_.size())});
      std::size_t k = 0;
      for (auto& e : entries_)
        if (e.live) arr->items[k++] = name == "KEYS" ? e.key : e.value;
      return Variant::Array(std::move(arr));
    }
    if (name == "COMPAREMODE") return Variant::Long(compare_mode_);
    ThrowRuntime(438, name);
  }

  void Put(Interpreter&, const std::string& name, std::span<Variant* const> args, const Variant& value, bool) override {
    if (name.empty() || name == "ITEM") {
      ExpectArgs(args, 1, "Item");
      auto it = index_.find(KeyOf(*args[0]));
      if (it == index_.end()) {
        Insert(*args[0], value);
      } else {
        charge_.Replace(entries_[it->second].value, value);
        entries_[it->second].value = value;
      }
      return;
    }
    if (name == "KEY") {
      ExpectArgs(args, 1, "Key");
      auto it = index_.find(KeyOf(*args[0]));
      if (it == index_.end()) ThrowRuntime(32811);
      if (index_.count(KeyOf(value))) ThrowRuntime(457);
      std::size_t at = it->second;
      charge_.Add(EntryBytes(value, entries_[at].value) - EntryBytes(entries_[at].key, entries_[at].value));
      index_.erase(it);
      entries_[at].key = value;
      index_.emplace(KeyOf(value), at);
      return;
    }
    if (name == "COMPAREMODE") {
      if (!index_.empty()) ThrowRuntime(5);
      std::int64_t mode = ToLong(value);
      if (mode < 0 || mode > 2) ThrowRuntime(5);
      compare_mode_ = static_cast<int>(mode);
      return;
    }
    ThrowRuntime(438, name);
  }

  void ClearReferences() override {
    std::vector<Entry> entries = std::move(entries_);
    entries_.clear();
    index_.clear();
    charge_.Add(static_cast<std::int64_t>(sizeof(Dictionary)) - charge_.Bytes());
  }

  std::vector<Variant> Elements(Interpreter&) override {
    std::vector<Variant> keys;
    for (auto& e : entries_)
      if (e.live) keys.push_back(e.key);
    return keys;
  }

 private:
  struct Entry {
    Variant key, value;
    bool live = false;
  };

  std::string KeyOf(const Variant& k) const {
    switch (k.type) {
      case VT::String: return "s" + (compare_mode_ ? cp1252::Lower(k.s) : k.s);
      case VT::Empty: return "e";
      case VT::Null: return "z";
      case VT::Object: return "o" + std::to_string(reinterpret_cast<std::uintptr_t>(k.obj.get()));
      case VT::Array: ThrowRuntime(13);
      case VT::Boolean: return k.i ? "b1" : "b0";
      default: return "n" + FormatDouble(ToDouble(k));
    }
  }

  // An entry, its index node and the key's text held twice.
  static std::int64_t EntryBytes(const Variant& key, const Variant& value) {
    auto text = [](const Variant& v) { return v.IsString() ? static_cast<std::int64_t>(v.s.size()) : 0; };
    return static_cast<std::int64_t>(sizeof(Entry)) + 64 + 2 * text(key) + text(value);
  }

  void Insert(const Variant& key, const Variant& value) {
    charge_.Add(EntryBytes(key, value));
    index_.emplace(KeyOf(key), entries_.size());
    entries_.push_back({key, value, true});
  }

  void Compact() {
    if (entries_.size() < 64 || entries_.size() < 2 * index_.size()) return;
    std::vector<Entry> live;
    for (auto& e : entries_)
      if (e.live) live.push_back(std::move(e));
    entries_ = std::move(live);
    index_.clear();
    for (std::size_t k = 0; k < entries_.size(); ++k) index_.emplace(KeyOf(entries_[k].key), k);
  }

  MemoryCharge charge_;
  std::vector<Entry> entries_;
  std::unordered_map<std::string, std::size_t> index_;
  int compare_mode_ = 0;
};

// A read-only collection counted from 0, as RegExp hands out its matches and submatches.
class ReadOnlyCollection : public Object {
 public:
  ReadOnlyCollection(std::string type_name, std::vector<Variant> items)
      : type_name_(std::move(type_name)), items_(std::move(items)) {}
  std::string TypeName() const override { return type_name_; }
  Variant Get(Interpreter&, const std::string& name, std::span<Variant* const> args) override {
    if (name == "COUNT") return Variant::Long(static_cast<std::int64_t>(items_.size()));
    if (name.empty() || name == "ITEM") {
      ExpectArgs(args, 1, "Item");
      std::int64_t k = ToLong(*args[0]);
      if (k < 0 || k >= static_cast<std::int64_t>(items_.size())) ThrowRuntime(5);
      return items_[static_cast<std::size_t>(k)];
    }
    ThrowRuntime(438, name);
  }
  std::vector<Variant> Elements(Interpreter&) override { return items_; }

 private:
  std::string type_name_;
  std::vector<Variant> items_;
};

class Match : public Object {
 public:
  Match(std::string value, std::int64_t first, std::vector<Variant> subs)
      : value_(std::move(value)), first_(first), subs_(std::make_shared<ReadOnlyCollection>("ISubMatches", std::move(subs))) {}
  std::string TypeName() const override { return "IMatch2"; }
  Variant Get(Interpreter& in, const std::string& name, std::span<Variant* const> args) override {
    if (name == "SUBMATCHES" && !args.empty()) return subs_->Get(in, "", args);
    if (!args.empty()) ThrowRuntime(450, name);
    if (name.empty() || name == "VALUE") return Variant::Str(value_);
    if (name == "FIRSTINDEX") return Variant::Long(first_);
    if (name == "LENGTH") return Variant::Long(static_cast<std::int64_t>(value_.size()));
    if (name == "SUBMATCHES") return Variant::Obj(subs_);
    ThrowRuntime(438, name);
  }

 private:
  std::string value_;
  std::int64_t first_;
  std::shared_ptr<Object> subs_;
};

class RegExp : public Object {
 public:
  RegExp() { charge_.Add(sizeof(RegExp)); }
  std::string TypeName() const override { return "IRegExp2"; }

  Variant Get(Interpreter& in, const std::string& name, std::span<Variant* const> args) override {
    if (name == "PATTERN") return Variant::Str(pattern_);
    if (name == "GLOBAL") return Variant::Bool(global_);
    if (name == "IGNORECASE") return Variant::Bool(ignore_case_);
    if (name == "MULTILINE") return Variant::Bool(multiline_);
    if (name == "TEST") {
      ExpectArgs(args, 1, "Test");
      std::string subject = Subject(*args[0]);
      return Variant::Bool(std::regex_search(subject, Compiled()));
    }
    if (name == "REPLACE") {
      ExpectArgs(args, 2, "Replace");
      std::string subject = Subject(*args[0]);
      // A Boolean replacement is its number (True gives "-1").
      const Variant& with = *args[1];
      std::string replacement = with.type == VT::Boolean ? (with.i ? "-1" : "0") : ToString(with);
      std::string result;
      auto last = subject.cbegin();
      for (auto it = std::sregex_iterator(subject.begin(), subject.end(), Compiled()); it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        result.append(last, m[0].first);
        Expand(m, replacement, subject, result);
        in.CheckString(result.size());
        last = m[0].second;
        if (!global_) break;
      }
      result.append(last, subject.cend());
      in.CheckString(result.size());
      return Variant::Str(std::move(result));
    }
    if (name == "EXECUTE") {
      ExpectArgs(args, 1, "Execute");
      std::string subject = Subject(*args[0]);
      std::vector<Variant> found;
      const std::regex& re = Compiled();
      for (auto it = std::sregex_iterator(subject.begin(), subject.end(), re); it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        std::vector<Variant> subs;
        for (std::size_t g = 1; g < m.size(); ++g)
          subs.push_back(m[g].matched ? Variant::Str(m[g].str()) : Variant());
        found.push_back(Variant::Obj(std::make_shared<Match>(m.str(), m.position(), std::move(subs))));
        if (!global_) break;
      }
      return Variant::Obj(std::make_shared<ReadOnlyCollection>("IMatchCollection2", std::move(found)));
    }
    ThrowRuntime(438, name);
  }

  void Put(Interpreter&, const std::string& name, std::span<Variant* const> args, const Variant& value, bool) override {
    if (!args.empty()) ThrowRuntime(450, name);
    if (name == "PATTERN") pattern_ = ToString(value);
    else if (name == "GLOBAL") global_ = ToBool(value);
    else if (name == "IGNORECASE") ignore_case_ = ToBool(value);
    else if (name == "MULTILINE") multiline_ = ToBool(value);
    else ThrowRuntime(438, name);
    compiled_.reset();
  }

 private:
  static std::string Subject(const Variant& v) {
    std::string s = ToString(v);
    if (s.size() > kMaxRegExpSubject)
      ThrowLimit(14, "Out of string space: regular expressions run on at most " + std::to_string(kMaxRegExpSubject) + " bytes");
    return s;
  }

  // $1..$99 (a group the pattern has), $& (the match), $` and $' (the text before and after
  // it), $$; anything else, such as $3 with two groups, stays as written.
  static void Expand(const std::smatch& m, const std::string& with, const std::string& subject, std::string& out) {
    const std::size_t groups = m.size() - 1;
    for (std::size_t k = 0; k < with.size(); ++k) {
      if (with[k] != '$' || k + 1 >= with.size()) {
        out += with[k];
        continue;
      }
      const char c = with[k + 1];
      auto digit = [&](std::size_t p) { return p < with.size() && std::isdigit(static_cast<unsigned char>(with[p])); };
      if (c == '$') {
        out += '$';
        ++k;
      } else if (c == '&') {
        out += m.str(0);
        ++k;
      } else if (c == '`') {
        out.append(subject.cbegin(), m[0].first);
        ++k;
      } else if (c == '\'') {
        out.append(m[0].second, subject.cend());
        ++k;
      } else if (digit(k + 1)) {
        std::size_t n = static_cast<std::size_t>(c - '0');
        if (digit(k + 2) && n * 10 + static_cast<std::size_t>(with[k + 2] - '0') <= groups && n * 10 + static_cast<std::size_t>(with[k + 2] - '0') > 0) {
          out += m.str(n * 10 + static_cast<std::size_t>(with[k + 2] - '0'));
          k += 2;
        } else if (n >= 1 && n <= groups) {
          out += m.str(n);
          ++k;
        } else {
          out += '$';
        }
      } else {
        out += '$';
      }
    }
  }

  // The standard library's compiler overflows on long back-reference numbers and expands
  // counted repeats state by state: such patterns are refused before it sees them.
  static void CheckPattern(std::string_view p) {
    for (std::size_t k = 0; k < p.size(); ++k) {
      if (p[k] == '\\' && k + 1 < p.size()) {
        std::size_t digits = 0;
        while (k + 1 + digits < p.size() && std::isdigit(static_cast<unsigned char>(p[k + 1 + digits]))) ++digits;
        if (digits > 3) ThrowRuntime(5017);
        k += digits ? digits : 1;
      } else if (p[k] == '{') {
        std::size_t j = k + 1, value = 0;
        while (j < p.size() && (std::isdigit(static_cast<unsigned char>(p[j])) || p[j] == ',')) {
          value = p[j] == ',' ? 0 : value * 10 + static_cast<std::size_t>(p[j] - '0');
          if (value > 1000) ThrowRuntime(5017);
          ++j;
        }
      }
    }
  }

  const std::regex& Compiled() {
    if (!compiled_) {
      CheckPattern(pattern_);
      // The polynomial (breadth-first) matcher: the default one recurses once per character
      // and backtracks exponentially, so a long text or a pattern like (a*)*b could crash or
      // hang the process. Back-references are then refused as a pattern error.
      auto flags = std::regex_constants::ECMAScript | std::regex_constants::__polynomial;
      if (ignore_case_) flags |= std::regex_constants::icase;
      if (multiline_) flags |= std::regex_constants::multiline;
      try {
        compiled_ = std::make_unique<std::regex>(pattern_, flags);
      } catch (const std::regex_error&) {
        ThrowRuntime(5017);
      }
    }
    return *compiled_;
  }

  MemoryCharge charge_;
  std::string pattern_;
  bool global_ = false, ignore_case_ = false, multiline_ = false;
  std::unique_ptr<std::regex> compiled_;
};

class ErrObject : public Object {
 public:
  std::string TypeName() const override { return "ErrObject"; }
  Variant Get(Interpreter& in, const std::string& name, std::span<Variant* const> args) override {
    ErrState& err = in.Err();
    if (name.empty() || name == "NUMBER") return Variant::Long(err.number);
    if (name == "DESCRIPTION") return Variant::Str(err.description);
    if (name == "SOURCE") return Variant::Str(err.source);
    if (name == "HELPFILE") return Variant::Str(err.help_file);
    if (name == "HELPCONTEXT") return Variant::Long(err.help_context);
    if (name == "CLEAR") {
      err.Clear();
      return Variant();
    }
    if (name == "RAISE") {
      if (args.empty() || args.size() > 5) ThrowRuntime(450, "Raise");
      std::int64_t number = ToLong(*args[0]);
      // An HRESULT of VBScript's own facility, or E_OUTOFMEMORY, is its error number; other
      // numbers above 65535 keep their low 16 bits.
      const auto bits = static_cast<std::uint32_t>(number);
      if (bits == 0x8007000Eu) number = 7;
      else if ((bits & 0xFFFF0000u) == 0x800A0000u || number > 65535) number = bits & 0xFFFF;
      if (number == 0) ThrowRuntime(5);
      auto given = [&](std::size_t k) { return args.size() > k && !args[k]->IsEmpty(); };
      ScriptError e;
      e.number = static_cast<int>(number);
      e.source = given(1) ? ToString(*args[1]) : std::string(kRuntimeSource);
      if (given(2)) {
        e.description = ToString(*args[2]);
      } else {
        std::string_view known = ErrorDescription(e.number);
        e.description = known.empty() ? "Unknown runtime error" : std::string(known);
      }
      if (given(3)) e.help_file = ToString(*args[3]);
      if (given(4)) e.help_context = static_cast<int>(ToLong(*args[4]));
      throw ScriptException(std::move(e));
    }
    ThrowRuntime(438, name);
  }
  void Put(Interpreter& in, const std::string& name, std::span<Variant* const>, const Variant& value, bool) override {
    ErrState& err = in.Err();
    if (name.empty() || name == "NUMBER") err.number = static_cast<int>(ToLong(value));
    else if (name == "DESCRIPTION") err.description = ToString(value);
    else if (name == "SOURCE") err.source = ToString(value);
    else if (name == "HELPFILE") err.help_file = ToString(value);
    else if (name == "HELPCONTEXT") err.help_context = static_cast<int>(ToLong(value));
    else ThrowRuntime(438, name);
  }
};

}  // namespace

std::shared_ptr<Object> MakeDictionary() { return std::make_shared<Dictionary>(); }
std::shared_ptr<Object> MakeRegExp() { return std::make_shared<RegExp>(); }
std::shared_ptr<Object> MakeErrObject() { return std::make_shared<ErrObject>(); }

}  // namespace gildex::vbscript
