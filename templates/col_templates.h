#pragma once
// colTemplates: the add-in's collection of templates, filled from the templates folder at
// start-up. A keyed collection as Basic has them: records in insertion order, indices from
// 1, keys compared without regard to letter case, a record without key allowed. Failures
// (an unknown key or index, a duplicate key) are shown through the error report under
// "colTemplates." + the operation, and the operation gives its fallback.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/error_report.h"
#include "engine/gildex.h"
#include "templates/cls_template.h"

namespace gildex {

class colTemplates {
 public:
  explicit colTemplates(ErrorReport& report) : report_(report) {}

  // Stores a copy under `key` (no key when empty); null after a failure (duplicate key).
  clsTemplate* Add(const clsTemplate& record, std::string_view key);
  // Null when there is no such record.
  clsTemplate* Item(long index);
  clsTemplate* Item(std::string_view key);
  long Count() const { return static_cast<long>(entries_.size()); }
  void Remove(long index);
  void Remove(std::string_view key);

  // NewEnum: the records in insertion order.
  class Iterator {
   public:
    using Inner = std::vector<std::pair<std::string, std::unique_ptr<clsTemplate>>>::const_iterator;
    explicit Iterator(Inner at) : at_(at) {}
    clsTemplate& operator*() const { return *at_->second; }
    Iterator& operator++() {
      ++at_;
      return *this;
    }
    bool operator==(const Iterator& other) const { return at_ == other.at_; }

   private:
    Inner at_;
  };
  Iterator begin() const { return Iterator(entries_.begin()); }
  Iterator end() const { return Iterator(entries_.end()); }

  // Adds a record for every "*.hdr" file of the engine's templates folder, in the order the
  // folder lists them, keyed by template name. A name already present is passed over silently.
  void populate(CGildex& engine);

 private:
  void Insert(const clsTemplate& record, std::string_view key);
  std::size_t PositionOf(long index) const;
  std::size_t PositionOf(std::string_view key) const;

  ErrorReport& report_;
  // Key ("" for none) and record; the record lives on the heap so that references handed
  // out stay valid while others are added.
  std::vector<std::pair<std::string, std::unique_ptr<clsTemplate>>> entries_;
};

}  // namespace gildex
