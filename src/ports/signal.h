#pragma once

// Change notifications of the core (tables, the upload protocol, the workspace's busy state).
// A listener is held by the Subscription that connect() returns: when the holder goes, the
// listener goes with it, so no listener is ever called on a destroyed object. A signal may
// also go first; its subscriptions then simply have nothing left to end.

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace tellvaro::ports {

class Subscription {
 public:
  Subscription() = default;
  explicit Subscription(std::function<void()> end) : end_(std::move(end)) {}
  Subscription(Subscription&& other) noexcept : end_(std::exchange(other.end_, nullptr)) {}
  Subscription& operator=(Subscription&& other) noexcept {
    if (this != &other) {
      reset();
      end_ = std::exchange(other.end_, nullptr);
    }
    return *this;
  }
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;
  ~Subscription() { reset(); }

  // Ends the subscription now; the listener is not called again, not even by an emit that is
  // running at this moment.
  void reset() {
    if (auto end = std::exchange(end_, nullptr)) end();
  }

 private:
  std::function<void()> end_;
};

template <typename... Args>
class Signal {
 public:
  using Listener = std::function<void(Args...)>;

  Signal() = default;
  Signal(const Signal&) = delete;
  Signal& operator=(const Signal&) = delete;

  // Listeners run in the order they connected.
  [[nodiscard]] Subscription connect(Listener f) {
    auto slot = std::make_shared<Slot>(Slot{std::move(f), true});
    slots_->push_back(slot);
    std::weak_ptr<Slots> list = slots_;
    std::weak_ptr<Slot> weak = slot;
    return Subscription([list, weak] {
      auto s = weak.lock();
      if (!s) return;
      s->live = false;
      if (auto l = list.lock()) {
        std::erase_if(*l, [&](const std::shared_ptr<Slot>& x) { return x == s; });
      }
    });
  }

  // Calls every listener connected before the call began and still connected when its turn
  // comes; listeners may connect and disconnect while it runs.
  void notify(Args... args) const {
    const Slots snapshot = *slots_;
    for (const auto& slot : snapshot) {
      if (slot->live) slot->f(args...);
    }
  }

  bool empty() const { return slots_->empty(); }

 private:
  struct Slot {
    Listener f;
    bool live;
  };
  using Slots = std::vector<std::shared_ptr<Slot>>;
  std::shared_ptr<Slots> slots_ = std::make_shared<Slots>();
};

}  // namespace tellvaro::ports
