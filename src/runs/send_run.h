#pragma once

// A send on a thread of its own: a connection opened for the run with the window's settings,
// the articles and lists copied in, the protocol, the progress and the outcome handed back as
// events (BackgroundRun::event).

#include <QObject>
#include <memory>
#include <vector>

#include "catalogue/reference.h"
#include "db/connection.h"
#include "runs/background_run.h"
#include "upload/listed_rows.h"
#include "upload/send.h"

namespace tellvaro::workspace {
class Workspace;
}

namespace tellvaro::runs {

struct SendRequest {
  upload::SendJob job;
  upload::SendServices services;
  // The window's connection: the run opens one of its own like it. Not connected: neither is
  // the run's (it then says so at its first statement).
  bool connect = false;
  db::ConnectParams params;
  std::string database;
  catalogue::FeatureFees fees;
  catalogue::PaymentNames payments;
  std::unique_ptr<upload::ListedRows> listed;  // a copy of the memory, or none
};

// Copies what a send needs from the window's connection and memory.
SendRequest send_request(upload::SendJob job, upload::SendServices services,
                         const db::Connection& window_db, const catalogue::FeatureFees& fees,
                         const catalogue::PaymentNames& payments, const upload::ListedRows* listed);
// The same from what the workspace holds: the way the window starts a send.
SendRequest send_request(upload::SendJob job, workspace::Workspace& workspace);

class SendRun : public BackgroundRun {
  Q_OBJECT

 public:
  explicit SendRun(QObject* parent = nullptr);
  ~SendRun() override;

  // Tells, in this order as they happen: ProtocolCleared, ProtocolLine, ProtocolWanted,
  // progress, ArticleStarted (the row of the upload table as shown when it was prepared),
  // ListingsChanged.
  bool start(SendRequest request);
  // How the last run ended; read it after finished().
  const upload::SendOutcome& outcome() const { return outcome_; }

 private:
  upload::SendOutcome outcome_;
};

}  // namespace tellvaro::runs
