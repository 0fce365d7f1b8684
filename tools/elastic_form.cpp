#include "tools/elastic_form.h"

#include <algorithm>

namespace gildex {

void clsElasticForms::Form(TwipsSize size, std::vector<TwipsRect> controls) {
  recorded_ = size;
  controls_ = std::move(controls);
}

std::optional<ElasticLayout> clsElasticForms::FormResize(TwipsSize size, bool minimised) const {
  if (!recorded_ || minimised || recorded_->width <= 0 || recorded_->height <= 0) return std::nullopt;
  ElasticLayout layout{{std::max(size.width, min_.width), std::max(size.height, min_.height)}, {}};
  // Each measure times the new size over the recorded one, cut to a whole twip.
  const auto across = [&](long measure) { return measure * layout.size.width / recorded_->width; };
  const auto down = [&](long measure) { return measure * layout.size.height / recorded_->height; };
  for (const TwipsRect& control : controls_)
    layout.controls.push_back({across(control.left), down(control.top), across(control.width), down(control.height)});
  return layout;
}

}  // namespace gildex
