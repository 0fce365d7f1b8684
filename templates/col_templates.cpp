#include "templates/col_templates.h"

#include <algorithm>

#include "platform/cp1252.h"
#include "templates/template_files.h"

namespace gildex {
void colTemplates::populate(CGildex& engine) {
  const std::string folder = engine.TemplatePath();
  for (const std::string& name : TemplateNames(folder)) {
    clsTemplate record;
    record.TemplateName(name);
    ReadTemplateBlock(folder + name, kHeaderExtension, record);
    ReadTemplateBlock(folder + name, kFooterExtension, record);
    // "A.hdr" and "a.HDR" can both exist here, unlike on Windows: the first one listed wins.
    const bool known = std::any_of(entries_.begin(), entries_.end(),
                                   [&](const auto& entry) { return cp1252::EqualsNoCase(entry.first, name); });
    if (!known) entries_.emplace_back(name, std::make_unique<clsTemplate>(record));
  }
}

}  // namespace gildex
