#pragma once
// The corpus of real VB6 projects that the host's tests load and write back, when the
// machine has it (a fresh clone may not); tests that need it skip without it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "platform/cp1252.h"

namespace gildex::host::testing {

inline const std::filesystem::path kCorpus = std::filesystem::path(GILDEX_CORPUS_DIR).lexically_normal();

// The corpus files with one of `extensions` (any letter case), sorted.
inline std::vector<std::filesystem::path> CorpusFiles(std::initializer_list<std::string_view> extensions) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(kCorpus)) {
    if (!entry.is_regular_file()) continue;
    for (std::string_view extension : extensions)
      if (cp1252::EqualsNoCase(entry.path().extension().string(), extension)) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace gildex::host::testing

#define GILDEX_SKIP_WITHOUT_CORPUS()                                                                       \
  if (!std::filesystem::is_directory(::gildex::host::testing::kCorpus))                                    \
  GTEST_SKIP() << "the corpus of real VB6 projects is not at " << ::gildex::host::testing::kCorpus.string() \
               << "; this test needs it"
