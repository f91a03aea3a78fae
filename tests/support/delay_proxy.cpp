#include "support/delay_proxy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <stdexcept>
#include <vector>

namespace tellvaro::test {
namespace {

using Clock = std::chrono::steady_clock;

sockaddr_in address(const std::string& host, int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  if (inet_pton(AF_INET, host.c_str(), &a.sin_addr) != 1)
    throw std::runtime_error("DelayProxy: keine IPv4-Adresse: " + host);
  return a;
}

void no_delay(int fd) {
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

}  // namespace

// One accepted connection and its partner to the target, with one reader and one writer per
// direction: the writer sends each chunk when its time has come, so chunks read in quick
// succession stay in quick succession, only later.
struct DelayProxy::Link {
  struct Chunk {
    Clock::time_point due;
    std::string bytes;  // empty: the sender closed its side
    bool cut = false;   // the client's side closes once this has reached the server
  };
  struct Direction {
    int from = -1, to = -1;
    bool from_client = false;
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<Chunk> queue;
    std::thread reader, writer;
  };

  Link(DelayProxy& proxy, int client, int server, std::chrono::milliseconds delay)
      : proxy_(proxy), delay_(delay) {
    up_.from = down_.to = client;
    up_.to = down_.from = server;
    up_.from_client = true;
    for (Direction* d : {&up_, &down_}) {
      d->reader = std::thread([this, d] { read(*d); });
      d->writer = std::thread([this, d] { write(*d); });
    }
  }

  ~Link() {
    stopping_ = true;
    for (Direction* d : {&up_, &down_}) {
      std::lock_guard lock(d->mutex);
      d->ready.notify_all();
    }
    // Wakes readers blocked in recv.
    shutdown(up_.from, SHUT_RDWR);
    shutdown(down_.from, SHUT_RDWR);
    for (Direction* d : {&up_, &down_}) {
      d->reader.join();
      d->writer.join();
    }
    close(up_.from);
    close(down_.from);
  }

  long round_trips() const { return round_trips_; }

 private:
  void read(Direction& d) {
    std::vector<char> buffer(64 * 1024);
    for (;;) {
      const ssize_t n = recv(d.from, buffer.data(), buffer.size(), 0);
      const auto due = Clock::now() + delay_;
      if (n > 0) {
        if (d.from_client) {
          request_open_ = true;
        } else if (request_open_.exchange(false)) {
          ++round_trips_;
        }
      }
      std::string bytes =
          n > 0 ? std::string(buffer.data(), static_cast<std::size_t>(n)) : std::string();
      const bool cut = d.from_client && n > 0 && proxy_.take_cut(bytes);
      if (!d.from_client && n > 0 && proxy_.take_answer_cut()) {
        cut_ = true;                      // this answer and all after it are thrown away
        shutdown(up_.from, SHUT_RDWR);    // the client sees its connection lost
      }
      std::lock_guard lock(d.mutex);
      d.queue.push_back({due, std::move(bytes), cut});
      d.ready.notify_all();
      if (n <= 0) return;
    }
  }

  void write(Direction& d) {
    for (;;) {
      Chunk chunk;
      {
        std::unique_lock lock(d.mutex);
        d.ready.wait(lock, [&] { return stopping_ || !d.queue.empty(); });
        if (stopping_) return;
        const auto due = d.queue.front().due;
        if (d.ready.wait_until(lock, due, [&] { return stopping_.load(); })) return;
        chunk = std::move(d.queue.front());
        d.queue.pop_front();
      }
      if (chunk.bytes.empty()) {
        shutdown(d.to, SHUT_WR);
        return;
      }
      if (!d.from_client && cut_) continue;  // the answer that is lost
      std::size_t sent = 0;
      while (sent < chunk.bytes.size()) {
        const ssize_t n =
            send(d.to, chunk.bytes.data() + sent, chunk.bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
          // The receiving side is gone: stop reading what would go there.
          shutdown(d.from, SHUT_RD);
          return;
        }
        sent += static_cast<std::size_t>(n);
      }
      if (chunk.cut) {
        cut_ = true;
        shutdown(d.from, SHUT_RDWR);  // the client sees its connection lost
      }
    }
  }

  DelayProxy& proxy_;
  std::chrono::milliseconds delay_;
  Direction up_, down_;
  std::atomic<bool> cut_{false};
  std::atomic<bool> stopping_{false};
  std::atomic<bool> request_open_{false};
  std::atomic<long> round_trips_{0};
};

DelayProxy::DelayProxy(const std::string& listen_host, int listen_port,
                       const std::string& target_host, int target_port,
                       std::chrono::milliseconds one_way)
    : host_(listen_host), target_host_(target_host), target_port_(target_port), delay_(one_way) {
  sockaddr_in a = address(listen_host, listen_port);
  address(target_host, target_port);  // a bad target shows here, not at the first connection
  listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int one = 1;
  setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (listen_fd_ < 0 || bind(listen_fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      listen(listen_fd_, 16) != 0 || pipe2(wake_, O_CLOEXEC) != 0) {
    const std::string why = "DelayProxy: " + listen_host + ":" + std::to_string(listen_port) +
                            " nicht verfügbar (errno " + std::to_string(errno) + ")";
    if (listen_fd_ >= 0) close(listen_fd_);
    throw std::runtime_error(why);
  }
  socklen_t len = sizeof a;
  getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&a), &len);
  port_ = ntohs(a.sin_port);
  acceptor_ = std::thread([this] { accept_loop(); });
}

DelayProxy::~DelayProxy() {
  const char stop = 1;
  (void)!::write(wake_[1], &stop, 1);
  acceptor_.join();
  close(listen_fd_);
  close(wake_[0]);
  close(wake_[1]);
  std::lock_guard lock(mutex_);
  links_.clear();
}

void DelayProxy::accept_loop() {
  for (;;) {
    pollfd fds[2] = {{listen_fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents) return;
    const int client = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    const int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = address(target_host_, target_port_);
    if (server < 0 || connect(server, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
      if (server >= 0) close(server);
      close(client);  // the client sees the refusal as a closed connection
      continue;
    }
    no_delay(client);
    no_delay(server);
    {
      std::lock_guard cut_lock(cut_mutex_);
      if (refuse_after_ && cut_done_) {
        close(server);
        close(client);
        continue;
      }
    }
    std::lock_guard lock(mutex_);
    links_.push_back(std::make_unique<Link>(*this, client, server, delay_));
    ++connections_;
  }
}

long DelayProxy::round_trips() const {
  std::lock_guard lock(mutex_);
  long n = 0;
  for (const auto& l : links_) n += l->round_trips();
  return n;
}

void DelayProxy::cut_after(std::string bytes, bool refuse_after) {
  std::lock_guard lock(cut_mutex_);
  cut_bytes_ = std::move(bytes);
  refuse_after_ = refuse_after;
  cut_done_ = false;
}

void DelayProxy::cut_answer_when(std::function<bool()> reached, bool refuse_after) {
  std::lock_guard lock(cut_mutex_);
  cut_when_ = std::move(reached);
  refuse_after_ = refuse_after;
  cut_done_ = false;
}

bool DelayProxy::take_answer_cut() {
  std::lock_guard lock(cut_mutex_);
  if (!cut_when_ || !cut_when_()) return false;
  cut_when_ = nullptr;
  cut_done_ = true;
  return true;
}

bool DelayProxy::cut() const {
  std::lock_guard lock(cut_mutex_);
  return cut_done_;
}

bool DelayProxy::take_cut(const std::string& chunk) {
  std::lock_guard lock(cut_mutex_);
  if (cut_bytes_.empty() || !chunk.ends_with(cut_bytes_)) return false;
  cut_bytes_.clear();
  cut_done_ = true;
  return true;
}

long DelayProxy::connections() const {
  std::lock_guard lock(mutex_);
  return connections_;
}

}  // namespace tellvaro::test
