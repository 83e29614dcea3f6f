#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <cstdlib>

namespace {
// The offscreen platform reports every window feature it lacks; those lines say nothing
// about the program.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith(QStringLiteral("This plugin does not support"))) {
        return;
    }
    fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}
}  // namespace

// The GUI tests run on Qt's offscreen platform with one application object for the process.
// They speak German whatever the locale they run in; a test of English asks for it.
int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LANGUAGE", "de", 1);
    qInstallMessageHandler(QuietMessages);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
