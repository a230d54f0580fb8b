// Runs the window tests on Qt's offscreen platform, with one application for all of them and
// Qt's Japanese texts as the program ships them.

#include "ui/qt_translation.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ui::loadQtJapanese(QStringLiteral(FERNHOLD_BIN_DIR "/translations"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
