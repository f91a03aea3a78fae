#pragma once

// Base of the QtTest programs against the test auction house: each test starts from the test
// data with an empty file server and mail folder, and leaves the data as it found it.

#include <QObject>
#include <QTest>

#include "support/auction_house.h"

class AuctionHouseCase : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    if (auto down = tellvaro::test::fresh_start()) QFAIL(down->c_str());
  }
  void cleanup() {
    if (tellvaro::test::auction_house_running()) tellvaro::test::reset_data();
  }
};
