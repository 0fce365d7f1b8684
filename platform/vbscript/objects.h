#pragma once
// The objects a script can create: Scripting.Dictionary, VBScript.RegExp (with its
// Matches, Match and SubMatches), and the Err object.
#include <memory>

#include "platform/vbscript/value.h"

namespace gildex::vbscript {

std::shared_ptr<Object> MakeDictionary();
std::shared_ptr<Object> MakeRegExp();
std::shared_ptr<Object> MakeErrObject();

// Longest text a regular expression is run over: the standard library's matcher recurses
// per character and would exhaust the stack on longer input.
inline constexpr std::size_t kMaxRegExpSubject = 200'000;

}  // namespace gildex::vbscript
