// Linked into every test program: it runs where our sellers run the program, on a German desktop,
// whoever starts it and from whatever shell. The C library's locale is taken from the environment
// as the program's own start takes it (QApplication does it in the window, setlocale in the
// command line), so a number text that followed the locale would show here as "1,2".
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

[[gnu::constructor]] void german_desktop() {
  ::unsetenv("LC_ALL");
  ::unsetenv("LANGUAGE");
  ::setenv("LANG", "de_DE.UTF-8", 1);
  ::setenv("TZ", "Europe/Berlin", 1);
  ::tzset();
  if (!std::setlocale(LC_ALL, "")) {
    std::fputs("Das Locale de_DE.UTF-8 fehlt; scripts/setup erzeugt es.\n", stderr);
    std::exit(1);
  }
}

}  // namespace
