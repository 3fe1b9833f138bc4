#include "hang_up_test.h"

#include <QtTest>

QTEST_MAIN(trelvo::HangUpTest)
