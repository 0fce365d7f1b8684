#pragma once
// The objects a script can create: Scripting.Dictionary, VBScript.RegExp (with its
// Matches, Match and SubMatches), and the Err object.
#include <memory>

#include "platform/vbscript/value.h"

namespace gildex::vbscript {

std::shared_ptr<Object> MakeDictionary();
std::shared_ptr<Object> MakeRegExp();
std::shared_ptr<Object> MakeErrObject();

}  // namespace gildex::vbscript
