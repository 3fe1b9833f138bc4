#include "stuck_line_test.h"

#include <QtTest>

QTEST_MAIN(trelvo::StuckLineTest)
