#include "cli/password.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <utility>

#include "text/error.h"

namespace tellvaro::cli {
namespace {

std::string refused(const std::string& path, const std::string& why) {
  return "Die Passwortdatei " + path + " wird nicht gelesen: " + why;
}

}  // namespace

std::string read_password_file(const std::string& path) {
  // Opened first and checked through the open file, so the file checked is the file read.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw Error(refused(path, std::strerror(errno)));
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) throw Error(refused(path, std::strerror(errno)));
  if (!S_ISREG(st.st_mode)) throw Error(refused(path, "sie ist keine gewöhnliche Datei."));
  if (st.st_uid != ::geteuid()) {
    throw Error(refused(path, "sie gehört nicht dem Benutzer, der das Programm startet."));
  }
  if ((st.st_mode & 077) != 0) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%03o", static_cast<unsigned>(st.st_mode & 0777));
    throw Error(refused(path, std::string("andere Benutzer dürfen sie lesen oder ändern (Rechte ") +
                                  mode + "). Bitte mit chmod 600 " + path +
                                  " nur für sich lesbar "
                                  "machen."));
  }
  std::string content;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw Error(refused(path, std::strerror(errno)));
    }
    if (n == 0) break;
    content.append(buffer, static_cast<std::size_t>(n));
    // A password is one line; a huge file is a wrong file.
    if (content.size() > 64 * 1024) throw Error(refused(path, "sie ist zu groß für ein Passwort."));
  }
  const auto end = content.find_first_of("\r\n");
  if (end != std::string::npos) content.resize(end);
  return content;
}

namespace {

// The terminal as it was before the prompt, for a Ctrl-C while the echo is off: the shell must
// not be left without one.
termios g_before{};

extern "C" void restore_echo_and_end(int signal_number) {
  ::tcsetattr(STDIN_FILENO, TCSANOW, &g_before);
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

}  // namespace

std::optional<std::string> prompt_password(const std::string& prompt) {
  if (!::isatty(STDIN_FILENO)) return std::nullopt;
  termios before{};
  const bool restore = ::tcgetattr(STDIN_FILENO, &before) == 0;
  struct sigaction ending = {};
  struct sigaction old_int = {}, old_term = {}, old_hup = {};
  // Echo goes off before the prompt shows: whatever is typed once it is there stays unseen.
  if (restore) {
    g_before = before;
    ending.sa_handler = restore_echo_and_end;
    ::sigemptyset(&ending.sa_mask);
    // A signal ignored by whoever started us stays ignored.
    for (auto [s, old] : {std::pair{SIGINT, &old_int}, {SIGTERM, &old_term}, {SIGHUP, &old_hup}}) {
      ::sigaction(s, nullptr, old);
      if (old->sa_handler != SIG_IGN) ::sigaction(s, &ending, nullptr);
    }
    termios quiet = before;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
  }
  std::cerr << prompt << std::flush;
  std::string line;
  const bool got = static_cast<bool>(std::getline(std::cin, line));
  if (restore) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &before);
    ::sigaction(SIGINT, &old_int, nullptr);
    ::sigaction(SIGTERM, &old_term, nullptr);
    ::sigaction(SIGHUP, &old_hup, nullptr);
  }
  if (!got) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::optional<Password> find_password(const PasswordSource& source, const char* environment_value,
                                      std::string& error,
                                      const std::function<std::optional<std::string>()>& prompt) {
  if (!source.password_file.empty()) return Password{read_password_file(source.password_file)};
  if (environment_value) return Password{environment_value};
  if (source.terminal && prompt) {
    if (auto typed = prompt()) return Password{*typed, true};
  }
  error = std::string("Kein Passwort: bitte in der Umgebungsvariablen ") + kPasswordVariable +
          " oder mit --passwort-datei DATEI angeben (eine Eingabe ist nur am Terminal möglich).";
  return std::nullopt;
}

}  // namespace tellvaro::cli
