#pragma once

#include <QCoreApplication>

// The code under fuzzing logs on almost every input; writing those lines would cost more
// than the runs themselves, so the targets drop them.
inline void dropQtMessages()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
}

// For targets whose code needs the application object (settings files, posted events).
inline void startQuietApplication(int* argc, char*** argv)
{
    dropQtMessages();
    new QCoreApplication(*argc, *argv);
}
