#pragma once

// A TCP forwarder that makes a loopback server look distant: every chunk it reads from either
// side is passed on only after a set time, so a request and its answer cost two such times.
// The kernel here has no traffic shaping, hence this. It runs in the process that uses it.
//
// Each connection it accepts gets a connection of its own to the target. Data connections that
// the target opens itself (FTP in active mode connects back to the PORT address) bypass the
// proxy: only the control connection is delayed.

#include <chrono>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace tellvaro::test {

class DelayProxy {
 public:
  // Listens on listen_host:listen_port (0: a free port) and forwards to target_host:target_port.
  // Throws std::runtime_error when it cannot listen.
  DelayProxy(const std::string& listen_host, int listen_port, const std::string& target_host,
             int target_port, std::chrono::milliseconds one_way);
  ~DelayProxy();  // closes every connection it holds
  DelayProxy(const DelayProxy&) = delete;
  DelayProxy& operator=(const DelayProxy&) = delete;

  const std::string& host() const { return host_; }
  int port() const { return port_; }

  // Round trips over all connections so far: a chunk from the client followed by a chunk from
  // the server. A greeting the server sends unasked is none.
  long round_trips() const;
  long connections() const;

  // A connection lost at the worst moment: the first chunk from a client that ends with `bytes`
  // reaches the server, and then the client's side is closed, the server's answer thrown away.
  // With `refuse_after`, every connection accepted afterwards is closed at once (the server
  // unreachable). The bytes are matched as sent, so a compressed protocol hides them.
  void cut_after(std::string bytes, bool refuse_after = false);
  // The same for an encrypted connection, whose bytes tell nothing: the first answer of the
  // server that arrives once `reached()` is true (asked for each answer, e.g. "the server's log
  // shows the commit") is thrown away and the client's side closed.
  void cut_answer_when(std::function<bool()> reached, bool refuse_after = false);
  // Whether a cut has happened.
  bool cut() const;

 private:
  struct Link;
  void accept_loop();

  std::string host_;
  int port_ = 0;
  std::string target_host_;
  int target_port_;
  std::chrono::milliseconds delay_;
  int listen_fd_ = -1;
  int wake_[2] = {-1, -1};  // written to on destruction so the accept loop returns
  mutable std::mutex mutex_;
  std::list<std::unique_ptr<Link>> links_;
  long connections_ = 0;
  bool take_cut(const std::string& chunk);  // true once: the chunk that is cut after
  bool take_answer_cut();                   // true once: the answer that is lost
  std::function<bool()> cut_when_;
  mutable std::mutex cut_mutex_;            // apart from mutex_, which a link's end waits under
  std::string cut_bytes_;  // empty: no cut planned or it has happened
  bool refuse_after_ = false;
  bool cut_done_ = false;
  std::thread acceptor_;
};

}  // namespace tellvaro::test
