#pragma once

// The upload protocol: the lines a send writes, in order. The protocol view shows them as they
// come, and the protocol mail sends them. Owned by the workspace, so it outlives every window.

#include <cstddef>
#include <string>
#include <vector>

#include "ports/signal.h"

namespace tellvaro::upload {

class Protocol {
 public:
  struct Change {
    enum class Kind {
      Added,    // `count` lines were added at `first` (always at the end)
      Cleared,  // every line is gone
    };
    Kind kind;
    std::size_t first = 0;
    std::size_t count = 0;
  };
  using Listener = ports::Signal<const Change&>::Listener;

  const std::vector<std::string>& lines() const { return lines_; }
  std::size_t size() const { return lines_.size(); }
  bool empty() const { return lines_.empty(); }

  void add(std::string line);
  void clear();
  // The lines joined with CR LF, each one ended (what a mail body holds).
  std::string text() const;

  [[nodiscard]] ports::Subscription on_change(Listener f) { return changed_.connect(std::move(f)); }

 private:
  std::vector<std::string> lines_;
  ports::Signal<const Change&> changed_;
};

}  // namespace tellvaro::upload
