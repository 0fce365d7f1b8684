#pragma once
// The progress window as the engine and the commands drive it. The progress controller of
// tools/ implements it; the layers below it cannot call up into that layer directly.
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
  // Commands frame their work: Show and ButtonState(0) (busy) at the start, ButtonState(1)
  // (idle) at the end.
  virtual void Show() = 0;
  virtual void ButtonState(std::int16_t state) = 0;
};

// For runs nobody watches (tests that do not look, benchmarks).
class NullProgress : public Progress {
 public:
  void SetMessageText(const std::string&) override {}
  void AddStatus(const std::string&) override {}
  void SetProgressBar(bool) override {}
  void SetMax(std::int32_t) override {}
  void SetValue(std::int32_t) override {}
  void Show() override {}
  void ButtonState(std::int16_t) override {}
};

}  // namespace gildex
