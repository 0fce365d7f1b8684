#include "platform/vbscript/objects.h"

#include <cctype>
#include <unordered_map>

#include "platform/cp1252.h"
#include "platform/vbscript/errors.h"
#include "platform/vbscript/interpreter.h"
#include "platform/vbscript/regexp.h"

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
      std::string key = KeyOf(*args[0]);
      if (index_.count(key)) ThrowRuntime(457);
      Insert(*args[0], *args[1], std::move(key));
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
    auto text = [](const Variant& v) { return v.IsString() ? TextBytes(v.s) : std::int64_t{0}; };
    // The entries' vector may hold twice what is in use, and the index node holds the key's
    // text again beside its own pointers and hash.
    return static_cast<std::int64_t>(2 * sizeof(Entry) + sizeof(std::string) + 48) + 2 * text(key) + text(value);
  }

  void Insert(const Variant& key, const Variant& value) { Insert(key, value, KeyOf(key)); }
  void Insert(const Variant& key, const Variant& value, std::string index_key) {
    charge_.Add(EntryBytes(key, value));
    index_.emplace(std::move(index_key), entries_.size());
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
      : type_name_(std::move(type_name)), items_(std::move(items)) {
    charge_.Add(static_cast<std::int64_t>(sizeof(*this) + items_.size() * sizeof(Variant)));
    for (const Variant& v : items_)
      if (v.IsString()) charge_.Add(TextBytes(v.s));
  }
  // Charged as it grows, so a search of countless matches stops at the budget.
  void Push(Variant item) {
    charge_.Add(static_cast<std::int64_t>(2 * sizeof(Variant)));  // with the vector's spare room
    items_.push_back(std::move(item));
  }
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
  MemoryCharge charge_;
  std::string type_name_;
  std::vector<Variant> items_;
};

class Match : public Object {
 public:
  Match(std::string value, std::int64_t first, std::vector<Variant> subs)
      : value_((charge_.Add(static_cast<std::int64_t>(sizeof(Match) + 2 * sizeof(std::shared_ptr<Object>) + value.size())),
                std::move(value))),
        first_(first), subs_(std::make_shared<ReadOnlyCollection>("ISubMatches", std::move(subs))) {}
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
  MemoryCharge charge_;
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
      std::string subject = ToString(*args[0]);
      RegexMatch m;
      return Variant::Bool(Compiled().Search(subject, 0, m));
    }
    if (name == "REPLACE") {
      ExpectArgs(args, 2, "Replace");
      std::string subject = ToString(*args[0]);
      // A Boolean replacement is its number (True gives "-1").
      const Variant& with = *args[1];
      std::string replacement = with.type == VT::Boolean ? (with.i ? "-1" : "0") : ToString(with);
      std::string result;
      std::size_t last = 0;
      ForEachMatch(in, subject, [&](const RegexMatch& m) {
        result.append(subject, last, m.Start() - last);
        Expand(m, replacement, subject, result);
        in.CheckString(result.size());
        last = m.End();
      });
      result.append(subject, last);
      in.CheckString(result.size());
      return Variant::Str(std::move(result));
    }
    if (name == "EXECUTE") {
      ExpectArgs(args, 1, "Execute");
      std::string subject = ToString(*args[0]);
      auto found = std::make_shared<ReadOnlyCollection>("IMatchCollection2", std::vector<Variant>{});
      ForEachMatch(in, subject, [&](const RegexMatch& m) {
        std::vector<Variant> subs;
        for (std::size_t g = 1; g < m.starts.size(); ++g)
          subs.push_back(m.Matched(g) ? Variant::Str(subject.substr(m.starts[g], m.ends[g] - m.starts[g])) : Variant());
        found->Push(Variant::Obj(std::make_shared<Match>(subject.substr(m.Start(), m.End() - m.Start()),
                                                             static_cast<std::int64_t>(m.Start()), std::move(subs))));
      });
      return Variant::Obj(std::move(found));
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
  // Each match in turn (only the first unless Global); after an empty match the search goes
  // on one character further, as JScript's does.
  template <typename F>
  void ForEachMatch(Interpreter& in, const std::string& subject, F&& f) {
    const Regex& re = Compiled();
    RegexMatch m;
    std::size_t from = 0;
    for (std::size_t turn = 1; from <= subject.size() && re.Search(subject, from, m); ++turn) {
      if ((turn & 0xFF) == 0) in.Poll();
      f(m);
      if (!global_) break;
      from = m.End() == m.Start() ? m.End() + 1 : m.End();
    }
  }

  // $1..$99 (a group the pattern has), $& (the match), $` and $' (the text before and after
  // it), $$; anything else, such as $3 with two groups, stays as written.
  static void Expand(const RegexMatch& m, const std::string& with, const std::string& subject, std::string& out) {
    const std::size_t groups = m.starts.size() - 1;
    auto group = [&](std::size_t g) {
      if (m.Matched(g)) out.append(subject, m.starts[g], m.ends[g] - m.starts[g]);
    };
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
        group(0);
        ++k;
      } else if (c == '`') {
        out.append(subject, 0, m.Start());
        ++k;
      } else if (c == '\'') {
        out.append(subject, m.End());
        ++k;
      } else if (digit(k + 1)) {
        const std::size_t n = static_cast<std::size_t>(c - '0');
        const std::size_t nn = digit(k + 2) ? n * 10 + static_cast<std::size_t>(with[k + 2] - '0') : 0;
        if (nn >= 1 && nn <= groups) {
          group(nn);
          k += 2;
        } else if (n >= 1 && n <= groups) {
          group(n);
          ++k;
        } else {
          out += '$';
        }
      } else {
        out += '$';
      }
    }
  }

  const Regex& Compiled() {
    if (!compiled_) compiled_ = std::make_unique<Regex>(pattern_, ignore_case_, multiline_);
    return *compiled_;
  }

  MemoryCharge charge_;
  std::string pattern_;
  bool global_ = false, ignore_case_ = false, multiline_ = false;
  std::unique_ptr<Regex> compiled_;
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
