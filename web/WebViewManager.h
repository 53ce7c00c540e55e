#pragma once

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QUrl>

class WebUI;

// Owns the main window's web view and relays its signals, so the window deals with
// one object whether or not a view exists.
class WebViewManager : public QObject
{
    Q_OBJECT
public:
    WebViewManager(QWidget* host, QObject* parent = nullptr);
    ~WebViewManager() override;

    void loadUrl(const QString& url);
    void initWebChannel();
    // Pushes an event the page listens for by name.
    void sendListenEvent(const QString& eventName, const QJsonObject& data);
    void reload();
    WebUI* view() const { return m_view; }

signals:
    void notifyJsMessage(QString msg);
    void loadFinished(bool b);
    void loadStarted();
    void urlChanged(QUrl url);
    void sigReload();

public slots:
    // Answers the page request whose callback id is callbackId; type is "complete".
    void onSendHybridMessage(
        QString msg, QString errmsg, bool result, QString callbackId, int type);

private:
    QWidget* m_host = nullptr;
    // The view is a child of the host widget, which may be destroyed first.
    QPointer<WebUI> m_view;
};
