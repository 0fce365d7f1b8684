#pragma once
// An event source of the host: handlers connect and receive every raise, in the order they
// connected. Handlers may disconnect (themselves included) while the event is raised.
#include <functional>
#include <map>
#include <memory>

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
  // Expires with the source, so that a connection outliving it (a designer rebuilt by a
  // reload) knows there is nothing left to disconnect from.
  std::weak_ptr<void> Lifetime() const { return alive_; }

 private:
  std::map<int, Handler> handlers_;
  int next_id_ = 1;
  std::shared_ptr<void> alive_ = std::make_shared<int>(0);
};

// One handler's connection to one source: ends when destroyed or replaced, and is safe
// when the source went away first.
class Connection {
 public:
  Connection() = default;
  template <class... Args>
  Connection(Signal<Args...>& source, typename Signal<Args...>::Handler handler)
      : alive_(source.Lifetime()),
        disconnect_([&source, id = source.Connect(std::move(handler))] { source.Disconnect(id); }) {}
  Connection(Connection&& other) noexcept { *this = std::move(other); }
  Connection& operator=(Connection&& other) noexcept {
    if (this != &other) {
      Reset();
      alive_ = std::move(other.alive_);
      disconnect_ = std::move(other.disconnect_);
      other.disconnect_ = nullptr;
    }
    return *this;
  }
  ~Connection() { Reset(); }
  void Reset() {
    if (disconnect_ && !alive_.expired()) disconnect_();
    disconnect_ = nullptr;
    alive_.reset();
  }
  bool Connected() const { return disconnect_ && !alive_.expired(); }

 private:
  std::weak_ptr<void> alive_;
  std::function<void()> disconnect_;
};

}  // namespace gildex::host
