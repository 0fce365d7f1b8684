#pragma once
// An event source of the host: handlers connect and receive every raise, in the order they
// connected. Handlers may disconnect (themselves included) while the event is raised.
#include <functional>
#include <map>

namespace gildex::host {

template <class... Args>
class Signal {
 public:
  using Handler = std::function<void(Args...)>;
  int Connect(Handler handler) {
    handlers_.emplace(next_id_, std::move(handler));
    return next_id_++;
  }
  void Disconnect(int id) { handlers_.erase(id); }
  bool Empty() const { return handlers_.empty(); }
  void Raise(Args... args) {
    auto copy = handlers_;
    for (auto& [id, handler] : copy)
      if (handlers_.count(id)) handler(args...);
  }

 private:
  std::map<int, Handler> handlers_;
  int next_id_ = 1;
};

}  // namespace gildex::host
