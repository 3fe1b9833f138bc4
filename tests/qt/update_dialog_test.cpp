#include "update_dialog_test.h"

#include <QtTest>

QTEST_MAIN(trelvo::UpdateDialogTest)
