#pragma once
// The code window's pattern search: a VB "Like" pattern matched at a place in a line.
#include <string>
#include <string_view>
#include <vector>

#include "platform/cp1252.h"

namespace gildex::host {

// A VB "Like" pattern: * ? # [list] [!list].
class LikePattern {
 public:
  explicit LikePattern(std::string_view pattern, bool match_case) : match_case_(match_case) {
    for (std::size_t i = 0; i < pattern.size(); ++i) {
      Token token;
      char c = pattern[i];
      std::size_t close = c == '[' ? pattern.find(']', i + 1) : std::string_view::npos;
      if (c == '*') {
        token.type = Type::Star;
      } else if (c == '?') {
        token.type = Type::Any;
      } else if (c == '#') {
        token.type = Type::Digit;
      } else if (close != std::string_view::npos) {
        token.type = Type::List;
        std::string_view list = pattern.substr(i + 1, close - i - 1);
        if (!list.empty() && list.front() == '!') {
          token.negate = true;
          list.remove_prefix(1);
        }
        token.list = std::string(list);
        i = close;
      } else {
        token.literal = c;
      }
      tokens_.push_back(std::move(token));
    }
  }

  // Length of the longest match starting at `pos`, or -1.
  long LongestAt(std::string_view text, std::size_t pos) const {
    std::vector<char> states(tokens_.size() + 1, 0), next(states.size());
    states[0] = 1;
    Close(states);
    long best = states.back() ? 0 : -1;
    for (std::size_t j = pos; j < text.size(); ++j) {
      std::fill(next.begin(), next.end(), 0);
      bool any = false;
      for (std::size_t t = 0; t < tokens_.size(); ++t) {
        if (!states[t]) continue;
        if (tokens_[t].type == Type::Star)
          next[t] = any = true;
        else if (Matches(tokens_[t], text[j]))
          next[t + 1] = any = true;
      }
      if (!any) break;
      Close(next);
      states.swap(next);
      if (states.back()) best = static_cast<long>(j - pos + 1);
    }
    return best;
  }

 private:
  enum class Type { Literal, Star, Any, Digit, List };
  struct Token {
    Type type = Type::Literal;
    char literal = 0;
    std::string list;
    bool negate = false;
  };

  void Close(std::vector<char>& states) const {
    for (std::size_t t = 0; t < tokens_.size(); ++t)
      if (states[t] && tokens_[t].type == Type::Star) states[t + 1] = 1;
  }
  bool Same(char a, char b) const { return match_case_ ? a == b : cp1252::ToLower(a) == cp1252::ToLower(b); }
  bool Matches(const Token& token, char c) const {
    switch (token.type) {
      case Type::Literal:
        return Same(token.literal, c);
      case Type::Any:
        return true;
      case Type::Digit:
        return (c >= '0' && c <= '9');
      case Type::Star:
        return true;
      case Type::List:
        break;
    }
    bool in = false;
    const std::string& list = token.list;
    for (std::size_t i = 0; i < list.size() && !in; ++i) {
      if (i + 2 < list.size() && list[i + 1] == '-') {
        char low = match_case_ ? list[i] : cp1252::ToLower(list[i]);
        char high = match_case_ ? list[i + 2] : cp1252::ToLower(list[i + 2]);
        char x = match_case_ ? c : cp1252::ToLower(c);
        in = static_cast<unsigned char>(x) >= static_cast<unsigned char>(low) &&
             static_cast<unsigned char>(x) <= static_cast<unsigned char>(high);
        i += 2;
      } else {
        in = Same(list[i], c);
      }
    }
    return in != token.negate;
  }

  bool match_case_;
  std::vector<Token> tokens_;
};

}  // namespace gildex::host
