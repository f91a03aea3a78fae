#include "app/web_engine.h"

#include <unistd.h>

#include <QCoreApplication>

namespace tellvaro::app {

void prepare_web_engine() {
  if (!QCoreApplication::instance()) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  }
  if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  }
}

}  // namespace tellvaro::app
