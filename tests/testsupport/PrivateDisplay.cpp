#include "PrivateDisplay.h"

PrivateDisplay::PrivateDisplay()
{
    // Xvfb picks a free display number itself and writes it to standard output. Its
    // keyboard warnings on standard error would fill an unread pipe and stall it.
    m_server.setStandardErrorFile(QProcess::nullDevice());
    m_server.start(QStringLiteral("Xvfb"),
        { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
            QStringLiteral("0"), QStringLiteral("1920x1080x24"), QStringLiteral("-nolisten"),
            QStringLiteral("tcp") });
    if (!m_server.waitForStarted(10000))
        return;
    while (m_server.state() == QProcess::Running && !m_server.canReadLine())
        m_server.waitForReadyRead(10000);
    const QString number = QString::fromLatin1(m_server.readLine()).trimmed();
    if (!number.isEmpty())
        m_name = QLatin1Char(':') + number;
}

PrivateDisplay::~PrivateDisplay()
{
    m_server.terminate();
    if (!m_server.waitForFinished(5000))
        m_server.kill();
    m_server.waitForFinished(5000);
}
