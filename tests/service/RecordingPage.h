#pragma once

#include <QJsonObject>
#include <QList>
#include <QWebEnginePage>

// A page whose bridge is a stand-in for the client's: every request the page sends is
// written to the console, and the console lines are kept here, so that the requests of
// a page that has since been left are still there to check.
class RecordingPage : public QWebEnginePage
{
public:
    RecordingPage(QWebEngineProfile* profile, bool withBridge, QObject* parent);

    QList<QJsonObject> requests() const { return m_requests; }
    QStringList consoleLines() const { return m_consoleLines; }

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
        int lineNumber, const QString& sourceId) override;

private:
    void injectBridge();

    QList<QJsonObject> m_requests;
    QStringList m_consoleLines;
};
