#include "common/event_list.h"

namespace gildex {

void BuildEventList(const std::function<void(const std::string&)>& add_item) {
  for (const std::string_view suffix : kEventSuffixes) add_item(std::string(suffix));
}

}  // namespace gildex
