#pragma once

#include "web/JsContextCallback.h"

#include <QWebEnginePage>
#include <QWebEngineView>

class CustomPage;
class DHBridge;
class JsContext;
class QWebEngineDownloadItem;

// The web view of the main window. It publishes the bridge object "web_bridge" to its
// pages, injects the bridge scripts before any page script runs, and turns page
// requests into notifyJsMessage and native answers and events into page script calls.
class WebUI : public QWebEngineView, private JsContextCallback
{
    Q_OBJECT
public:
    explicit WebUI(QWidget* parent = nullptr);

    // Runs the pushed-event form in the page: window.handleListenEventFromNative(msg).
    void handleListenEventFromNative(const QString& msg);
    void runScript(const QString& script);
    void loadUrl(const QUrl& url);
    // Publishes "web_bridge" and registers the bridge scripts; call once, before loading.
    void initWebChannel();

signals:
    void notifyJsMessage(QString msg);
    void sigReload();

public slots:
    void setPageFeaturePermission(const QUrl& securityOrigin, QWebEnginePage::Feature feature);
    // Runs the answer form in the page: window.handleMessageFromNative(msg).
    void sendMessageToJs(QString msg);
    void on_webDownload(QWebEngineDownloadItem* item);

private:
    void onInvoke(const QByteArray& message) override;
    void addDocumentScript(const QString& name, const QString& resourcePath);

    CustomPage* m_page = nullptr;
    DHBridge* m_bridge = nullptr;
    JsContext* m_jsContext = nullptr;
};
