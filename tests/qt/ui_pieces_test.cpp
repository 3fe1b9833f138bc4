#include "ui_pieces_test.h"

#include <QtTest>

QTEST_MAIN(trelvo::UiPiecesTest)
