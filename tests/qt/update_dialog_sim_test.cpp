#include "update_dialog_sim_test.h"

#include <QtTest>

QTEST_MAIN(trelvo::UpdateDialogSimTest)
