#pragma once
// colTemplates: the add-in's collection of templates, filled from the templates folder at
// start-up: records in folder order, keyed by template name without regard to letter case.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/gildex.h"
#include "templates/cls_template.h"

namespace gildex {

class colTemplates {
 public:
  long Count() const { return static_cast<long>(entries_.size()); }

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
  // Key and record; the record lives on the heap so that references handed out stay valid
  // while others are added.
  std::vector<std::pair<std::string, std::unique_ptr<clsTemplate>>> entries_;
};

}  // namespace gildex
