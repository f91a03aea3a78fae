// Gives the shared base its meta-object once, instead of once per test program.
#include "app/auction_house_case.h"
