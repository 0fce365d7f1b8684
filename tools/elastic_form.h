#pragma once
// clsElasticForms: keeps a window's controls in proportion to its size. It records the size and
// the controls' places once, and for each new size says where every control goes, the size
// first enlarged to the window's minimum. Measures are twips.
#include <optional>
#include <vector>

namespace gildex {

struct TwipsRect {
  long left = 0, top = 0, width = 0, height = 0;
  bool operator==(const TwipsRect&) const = default;
};

struct TwipsSize {
  long width = 0, height = 0;
  bool operator==(const TwipsSize&) const = default;
};

struct ElasticLayout {
  TwipsSize size;  // the window's size, at least the minimum
  std::vector<TwipsRect> controls;  // in the order recorded
  bool operator==(const ElasticLayout&) const = default;
};

class clsElasticForms {
 public:
  // Form: the window as it is laid out now.
  void Form(TwipsSize size, std::vector<TwipsRect> controls);
  void MinWidth(long width) { min_.width = width; }
  void MinHeight(long height) { min_.height = height; }
  // FormResize: where everything goes at `size`; nothing without a recorded window, or while
  // the window is minimised (its size then is no size to lay out to).
  std::optional<ElasticLayout> FormResize(TwipsSize size, bool minimised) const;

 private:
  std::optional<TwipsSize> recorded_;
  std::vector<TwipsRect> controls_;
  TwipsSize min_;
};

}  // namespace gildex
