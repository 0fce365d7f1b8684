#pragma once
// What the engine tells the progress window while it works. The progress controller of
// tools/ implements it; the engine cannot call up into that layer directly.
#include <cstdint>
#include <string>

namespace gildex {

class Progress {
 public:
  virtual ~Progress() = default;
  virtual void SetMessageText(const std::string& text) = 0;
  virtual void AddStatus(const std::string& text) = 0;
  virtual void SetProgressBar(bool on) = 0;
  virtual void SetMax(std::int32_t max) = 0;
  virtual void SetValue(std::int32_t value) = 0;
};

// For runs nobody watches (tests that do not look, benchmarks).
class NullProgress : public Progress {
 public:
  void SetMessageText(const std::string&) override {}
  void AddStatus(const std::string&) override {}
  void SetProgressBar(bool) override {}
  void SetMax(std::int32_t) override {}
  void SetValue(std::int32_t) override {}
};

}  // namespace gildex
