#include "platform/gui/Application.h"

#include <QApplication>

#include <cstdio>

#include <gtest/gtest.h>

namespace {

// The offscreen platform warns about every window operation it lacks; that is no news.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(QuietMessages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApplication(argc, argv);
    TApplication application;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
