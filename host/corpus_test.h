#pragma once
// The corpus of real VB6 projects that the host's tests load and write back, when the
// machine has it (a fresh clone may not); tests that need it skip without it.
#include <gtest/gtest.h>

#include <filesystem>

namespace gildex::host::testing {

inline const std::filesystem::path kCorpus = std::filesystem::path(GILDEX_CORPUS_DIR).lexically_normal();

}  // namespace gildex::host::testing

#define GILDEX_SKIP_WITHOUT_CORPUS()                                                                       \
  if (!std::filesystem::is_directory(::gildex::host::testing::kCorpus))                                    \
  GTEST_SKIP() << "the corpus of real VB6 projects is not at " << ::gildex::host::testing::kCorpus.string() \
               << "; this test needs it"
