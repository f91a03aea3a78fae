#pragma once

// The two send buttons of the upload view: runs the core's send, shows its protocol lines as
// they come, the progress of a run of all articles in the fourth status panel, and keeps
// everything that would change the upload table disabled while a send runs.

#include <QObject>
#include <memory>
#include <string>

#include "ports/dialogs.h"
#include "upload/send.h"

class QProgressBar;

namespace tellvaro::app {

class MainWindow;

class SendController : public QObject,
                       public ports::Pump,
                       public upload::ProtocolSink,
                       public upload::RunProgress {
  Q_OBJECT

 public:
  SendController(MainWindow& window, std::string web_url);
  ~SendController() override;

  bool running() const { return running_; }
  QProgressBar* progressBar() const;

  void sendMarked();
  void sendAll();

  void pump() override;
  void clear() override;
  void add(const std::string& line) override;
  void start(std::size_t count) override;
  void advance() override;
  void finish() override;

 signals:
  void runningChanged(bool running);

 private:
  void run(bool all);
  void setRunning(bool on);

  MainWindow& window_;
  std::string web_url_;
  bool running_ = false;
};

}  // namespace tellvaro::app
