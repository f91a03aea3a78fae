#pragma once

namespace tellvaro::app {

// Call before the QApplication exists (it also sets what the browser engine needs from Qt) and
// again before the first browser view. Chromium refuses to run as root inside its sandbox, so
// only then is the sandbox switched off; a normal user keeps it.
void prepare_web_engine();

}  // namespace tellvaro::app
