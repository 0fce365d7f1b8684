#include "templates/col_templates.h"

#include "platform/cp1252.h"
#include "templates/template_files.h"

namespace gildex {
namespace {

constexpr long kInvalidArgument = 5;
constexpr long kSubscriptOutOfRange = 9;
constexpr long kKeyInUse = 457;

}  // namespace

void colTemplates::Insert(const clsTemplate& record, std::string_view key) {
  if (!key.empty()) {
    for (const auto& entry : entries_)
      if (cp1252::EqualsNoCase(entry.first, key))
        throw VbError(kKeyInUse, "This key is already associated with an element of this collection");
  }
  entries_.emplace_back(std::string(key), std::make_unique<clsTemplate>(record));
}

clsTemplate* colTemplates::Add(const clsTemplate& record, std::string_view key) {
  return report_.Trap("colTemplates.Add", static_cast<clsTemplate*>(nullptr), [&] {
    Insert(record, key);
    return entries_.back().second.get();
  });
}

std::size_t colTemplates::PositionOf(long index) const {
  if (index < 1 || index > Count()) throw VbError(kSubscriptOutOfRange, "Subscript out of range");
  return static_cast<std::size_t>(index - 1);
}

std::size_t colTemplates::PositionOf(std::string_view key) const {
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (!entries_[i].first.empty() && cp1252::EqualsNoCase(entries_[i].first, key)) return i;
  throw VbError(kInvalidArgument, "Invalid procedure call or argument");
}

clsTemplate* colTemplates::Item(long index) {
  return report_.Trap("colTemplates.Item", static_cast<clsTemplate*>(nullptr),
                      [&] { return entries_[PositionOf(index)].second.get(); });
}

clsTemplate* colTemplates::Item(std::string_view key) {
  return report_.Trap("colTemplates.Item", static_cast<clsTemplate*>(nullptr),
                      [&] { return entries_[PositionOf(key)].second.get(); });
}

void colTemplates::Remove(long index) {
  report_.Trap("colTemplates.Remove", [&] { entries_.erase(entries_.begin() + PositionOf(index)); });
}

void colTemplates::Remove(std::string_view key) {
  report_.Trap("colTemplates.Remove", [&] { entries_.erase(entries_.begin() + PositionOf(key)); });
}

void colTemplates::populate(CGildex& engine) {
  const std::string folder = engine.TemplatePath();
  for (const std::string& name : TemplateNames(folder)) {
    clsTemplate record;
    record.TemplateName(name);
    ReadTemplateBlock(folder + name, kHeaderExtension, record);
    ReadTemplateBlock(folder + name, kFooterExtension, record);
    // "A.hdr" and "a.HDR" can both exist here, unlike on Windows: the first one listed wins.
    try {
      Insert(record, name);
    } catch (const VbError&) {
    }
  }
}

}  // namespace gildex
