#include "update_app_test.h"

#include <QtTest>

QTEST_MAIN(trelvo::UpdateAppTest)
