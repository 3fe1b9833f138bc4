#include "fleet_window_sim_test.h"

#include <QtTest>

QTEST_MAIN(trelvo::FleetWindowSimTest)
