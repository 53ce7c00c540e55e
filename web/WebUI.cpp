#include "web/WebUI.h"

#include "core/DebugAids.h"
#include "web/CustomPage.h"
#include "web/DHBridge.h"
#include "web/JsContext.h"

#include <QDebug>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QNetworkProxyFactory>
#include <QWebChannel>
#include <QWebEngineDownloadItem>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

// The bridge scripts live in a static library, whose resources are only registered
// when asked for by name (outside any namespace).
static void initBridgeScriptResources()
{
    Q_INIT_RESOURCE(bridge_scripts);
}

namespace {

void enableDefaultWebSettings()
{
    QWebEngineSettings* settings = QWebEngineSettings::defaultSettings();
    const QWebEngineSettings::WebAttribute enabled[] = {
        QWebEngineSettings::PluginsEnabled,
        QWebEngineSettings::AutoLoadImages,
        QWebEngineSettings::JavascriptEnabled,
        QWebEngineSettings::JavascriptCanOpenWindows,
        QWebEngineSettings::JavascriptCanAccessClipboard,
        QWebEngineSettings::LinksIncludedInFocusChain,
        QWebEngineSettings::LocalStorageEnabled,
        QWebEngineSettings::LocalContentCanAccessRemoteUrls,
        QWebEngineSettings::Accelerated2dCanvasEnabled,
        QWebEngineSettings::WebGLEnabled,
    };
    for (QWebEngineSettings::WebAttribute attribute : enabled)
        settings->setAttribute(attribute, true);
}

QString readScript(const QString& resourcePath)
{
    QFile file(resourcePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll());
}

} // namespace

WebUI::WebUI(QWidget* parent)
    : QWebEngineView(parent)
{
    if (zov::debugAidsEnabled() && qputenv("QTWEBENGINE_REMOTE_DEBUGGING", "9908"))
        qDebug() << "open webdebug";
    enableDefaultWebSettings();

    m_page = new CustomPage(this);
    connect(m_page, &CustomPage::sigReload, this, &WebUI::sigReload);
    setPage(m_page);
    connect(m_page->profile(), &QWebEngineProfile::downloadRequested, this, &WebUI::on_webDownload);

    m_bridge = new DHBridge(this);
    m_jsContext = new JsContext(this, this);
    connect(m_bridge, &DHBridge::sigResponse, this, &WebUI::runScript);

    // Pages reach only the service; a proxy configured for the desktop must not be
    // asked about our own traffic.
    QNetworkProxyFactory::setUseSystemConfiguration(false);
}

void WebUI::initWebChannel()
{
    connect(m_page, &QWebEnginePage::featurePermissionRequested, this,
        &WebUI::setPageFeaturePermission);
    setContextMenuPolicy(Qt::NoContextMenu);

    auto* channel = new QWebChannel(this);
    channel->registerObject(QStringLiteral("web_bridge"), m_jsContext);
    m_page->setWebChannel(channel);

    initBridgeScriptResources();
    addDocumentScript(QStringLiteral("qwebchannel"), QStringLiteral(":/res/js/qwebchannel"));
    addDocumentScript(QStringLiteral("dhbridge"), QStringLiteral(":/res/js/dhbridge"));
}

void WebUI::addDocumentScript(const QString& name, const QString& resourcePath)
{
    QWebEngineScript script;
    script.setName(name);
    script.setSourceCode(readScript(resourcePath));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    m_page->scripts().insert(script);
}

void WebUI::loadUrl(const QUrl& url)
{
    qDebug() << "loadUrl:" << url;
    m_page->load(url);
}

void WebUI::setPageFeaturePermission(const QUrl& securityOrigin, QWebEnginePage::Feature feature)
{
    m_page->setFeaturePermission(securityOrigin, feature, QWebEnginePage::PermissionGrantedByUser);
}

void WebUI::sendMessageToJs(QString msg)
{
    qDebug().noquote() << " HybridWebView::sendMessageToJs msg:" << msg;
    runScript(QStringLiteral("window.handleMessageFromNative(") + msg + QLatin1Char(')'));
}

void WebUI::handleListenEventFromNative(const QString& msg)
{
    qDebug().noquote() << " HybridWebView::handleListenEventFromNative msg:" << msg;
    runScript(QStringLiteral("window.handleListenEventFromNative(") + msg + QLatin1Char(')'));
}

void WebUI::runScript(const QString& script)
{
    qDebug().noquote() << "********" << script;
    m_page->runJavaScript(script);
}

void WebUI::onInvoke(const QByteArray& message)
{
    qDebug().noquote() << "WebUI::onInvoke" << message;
    emit notifyJsMessage(QString::fromUtf8(message));
}

void WebUI::on_webDownload(QWebEngineDownloadItem* item)
{
    const QString proposedPath
        = item->downloadDirectory() + QLatin1Char('/') + item->downloadFileName();
    qDebug() << "item -> path(): " << proposedPath;
    const QString filter
        = QStringLiteral("文件(*.%1)").arg(QFileInfo(item->downloadFileName()).suffix());
    const QString chosenPath
        = QFileDialog::getSaveFileName(this, QStringLiteral("另存为"), proposedPath, filter);
    if (chosenPath.isEmpty())
        return;
    const QFileInfo chosen(chosenPath);
    item->setDownloadDirectory(chosen.absolutePath());
    item->setDownloadFileName(chosen.fileName());
    item->accept();
}
