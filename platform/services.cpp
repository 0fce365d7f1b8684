#include "platform/services.h"

namespace gildex::platform {

void MessageLoop::DoEvents() {
  // By index: a handler may add another handler.
  for (std::size_t i = 0; i < idle_.size(); ++i) {
    const std::function<void()> handler = idle_[i];
    handler();
  }
  timers_.ProcessDue();
}

}  // namespace gildex::platform
