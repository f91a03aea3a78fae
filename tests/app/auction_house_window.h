#pragma once

// A main window logged in as the test data's seller against the test auction house.

#include "app/main_window_fixture.h"
#include "support/accounts.h"
#include "support/auction_house.h"
