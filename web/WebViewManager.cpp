#include "web/WebViewManager.h"

#include "web/DHJSResponse.h"
#include "web/DHJSUtils.h"
#include "web/WebUI.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QScopedPointer>

namespace {

// The answer form: like an event, except that "data" carries the plugin's result as text.
QString answerJson(const QString& callbackId, bool result, int complete,
    const QString& errorMessage, const QString& data)
{
    QJsonObject answer;
    answer.insert(QStringLiteral("callbackId"), callbackId);
    answer.insert(QStringLiteral("status"), result ? 1 : 0);
    answer.insert(QStringLiteral("complete"), complete);
    answer.insert(QStringLiteral("errorMessage"), errorMessage);
    answer.insert(QStringLiteral("data"), data);
    return QString::fromUtf8(QJsonDocument(answer).toJson(QJsonDocument::Compact));
}

} // namespace

WebViewManager::WebViewManager(QWidget* host, QObject* parent)
    : QObject(parent)
    , m_host(host)
    , m_view(new WebUI(host))
{
    connect(m_view, &WebUI::notifyJsMessage, this, &WebViewManager::notifyJsMessage);
    connect(m_view, &WebUI::loadFinished, this, &WebViewManager::loadFinished);
    connect(m_view, &WebUI::loadStarted, this, &WebViewManager::loadStarted);
    connect(m_view, &WebUI::urlChanged, this, &WebViewManager::urlChanged);
    connect(m_view, &WebUI::sigReload, this, &WebViewManager::sigReload);
}

WebViewManager::~WebViewManager()
{
    delete m_view;
}

void WebViewManager::initWebChannel()
{
    m_view->initWebChannel();
}

void WebViewManager::loadUrl(const QString& url)
{
    const QUrl pageUrl(url);
    m_view->loadUrl(pageUrl);
    m_view->setAttribute(Qt::WA_DontCreateNativeAncestors);

    const QWebEnginePage::Feature grantedFeatures[] = {
        QWebEnginePage::Geolocation,
        QWebEnginePage::MediaAudioCapture,
        QWebEnginePage::MediaVideoCapture,
        QWebEnginePage::MediaAudioVideoCapture,
    };
    for (QWebEnginePage::Feature feature : grantedFeatures)
        m_view->setPageFeaturePermission(pageUrl, feature);

    if (m_host->layout())
        return;
    auto* layout = new QHBoxLayout(m_host);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
}

void WebViewManager::reload()
{
    if (m_view)
        m_view->reload();
}

void WebViewManager::onSendHybridMessage(
    QString msg, QString errmsg, bool result, QString callbackId, int type)
{
    qDebug() << "onSendHybridMessage";
    if (!m_view)
        return;
    m_view->sendMessageToJs(answerJson(callbackId, result, type, errmsg, msg));
}

void WebViewManager::sendListenEvent(const QString& eventName, const QJsonObject& data)
{
    if (!m_view)
        return;
    const QScopedPointer<DHJSResponse> event(
        DHJSUtils::instance()->createJsResponse(eventName, true, true, QString(), data));
    m_view->handleListenEventFromNative(event->toString());
}
