#include "app/Application.h"

#include "app/Context.h"
#include "app/DirUtils.h"
#include "app/KeyEventEnity.h"
#include "app/LogFiles.h"
#include "app/ProtocolDialog.h"
#include "app/RemoteConfig.h"
#include "app/ServiceEnvironment.h"
#include "app/Settings.h"
#include "core/NetworkHelper.h"
#include "platform/Platform.h"
#include "update/UpdateManager.h"
#include "web/WebMainWindow.h"
#include "widgets/MessageBoxW.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLockFile>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QTranslator>
#include <QUrl>
#include <QWebEngineProfile>
#include <QWindow>

namespace {

// Frameless windows are dragged by their top band, as high as their title bars.
constexpr int kDragBandHeight = 60;
constexpr int kInstanceLockWaitMs = 500;
constexpr int kConfigTimeoutMs = 3000;
constexpr int kMostUpdateOffers = 2;

// Drag state of the frameless windows; only the GUI thread touches it.
bool g_dragging = false;
QPoint g_lastGlobalPos;

// Per user, so that another user's program (or its leftover lock) never stops this one;
// Qt's runtime folder is private too when ours cannot be had.
QString instanceLockPath()
{
    const QString folder = zov::platform::Platform::instance().privateTempFolder();
    return (folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)
                             : folder)
        + QStringLiteral("/zov_qm_lock_stu");
}

} // namespace

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv)
{
    qInstallMessageHandler(messageHandler);
    zov::platform::Platform::instance().setCurrentDirectory(applicationDirPath());

#ifndef Q_OS_WIN
    // The style sheets and forms name the Windows UI font; map it to the CJK font
    // the desktop has, so Chinese text keeps its look.
    QFont::insertSubstitution(
        QStringLiteral("Microsoft YaHei"), QStringLiteral("Noto Sans CJK SC"));
#endif
    QFont appFont = QApplication::font();
    appFont.setFamily(QStringLiteral("Microsoft YaHei"));
    QApplication::setFont(appFont);

    m_lock = new QLockFile(instanceLockPath());
    installTranslations();
    loadStyleSheets();
    initNetworking();
    registerKeyEventEnity();
}

Application::~Application()
{
    delete m_mainWindow;
    m_mainWindow = nullptr;
    if (m_lock) {
        if (m_lock->isLocked())
            m_lock->unlock();
        delete m_lock;
        m_lock = nullptr;
    }
    const QString restartPath = property("RestartExePath").toString();
    if (!restartPath.isEmpty() && QFile::exists(restartPath))
        zov::platform::Platform::instance().openRestartProgram(restartPath);
    zov::network::NetworkHelper::cleanup();
}

void Application::installTranslations()
{
    const QStringList files { QStringLiteral("langs/zh_CN_Stu.qm"),
        QStringLiteral("langs/zh_CN_Core.qm") };
    for (const QString& file : files) {
        const QString path = QStringLiteral("%1/%2").arg(applicationDirPath(), file);
        auto* translator = new QTranslator(this);
        if (!translator->load(path)) {
            delete translator;
            continue;
        }
        if (installTranslator(translator))
            qDebug() << "Install lang success, path:" << path;
        else
            qDebug() << "Install lang error, path:" << path;
    }
}

void Application::loadStyleSheets()
{
    const QStringList files {
        QStringLiteral("stylesheet/login.qss"),
        QStringLiteral("stylesheet/hbar.qss"),
        QStringLiteral("stylesheet/vbar.qss"),
        QStringLiteral("stylesheet/checkbox.qss"),
        QStringLiteral("stylesheet/learncenter.qss"),
    };
    for (const QString& file : files) {
        QFile sheet(file);
        if (!sheet.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(sheet.readAll());
        if (!text.isEmpty())
            setStyleSheet(styleSheet() + text);
    }
}

void Application::initNetworking()
{
    QString homeDir;
    QString netConfig;
    if (getHomeDir(homeDir))
        netConfig = readSetting(QStringLiteral("NetConfig"), QStringLiteral("config")).toString();
    if (netConfig.contains(QLatin1String("QtNetWorker"))) {
        qDebug() << "use Qt net work helper";
        zov::network::NetworkHelper::useCurlNetwork(false);
    } else {
        qDebug() << "use curl net work helper";
        zov::network::NetworkHelper::useCurlNetwork(true);
    }
    zov::network::NetworkHelper::addRawHeader("Content-Type", "application/json");
    zov::network::NetworkHelper::initialize();
}

bool Application::isRunning()
{
    return !m_lock || !m_lock->tryLock(kInstanceLockWaitMs);
}

void Application::initEnv()
{
    setServiceEnv(readSetting(QStringLiteral("env"), QStringLiteral("UserEnv")).toString());
}

bool Application::getConfig()
{
    requestInfo();
    // The request has its own time-out; meanwhile the thread sleeps until something happens.
    while (m_configState == -1)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return m_configState == 0;
}

void Application::requestInfo()
{
    const QString url = businessApiUrl(QStringLiteral("/olbusiness/api/course/init"));
    qDebug().noquote() << "[Application][requestInfo] " + url;
    const QByteArray body = QJsonDocument(
        QJsonObject { { QStringLiteral("type"),
            1 } }).toJson(QJsonDocument::Compact);

    auto* helper = new zov::network::NetworkHelper(this, QStringLiteral("getConfig"));
    connect(
        helper, &zov::network::NetworkHelper::httpFinished, this, &Application::onGetConfigResult);
    qDebug() << "Url:" << url << body;
    helper->post(url, body, false, kConfigTimeoutMs);
}

void Application::onGetConfigResult(bool stat, QJsonValue jsonValue, QString errMsg)
{
    qDebug() << "onGetConfigResult " << errMsg;
    if (QObject* helper = sender())
        helper->deleteLater();

    if (!stat) {
        const int answer = MessageBoxW::showModal(nullptr, QStringLiteral("错误"),
            QStringLiteral("获取配置文件失败，请您检查网络后重试"), 1, QStringLiteral("重试"));
        if (answer == 1)
            requestInfo();
        else
            m_configState = 1;
        return;
    }

    m_configState = 0;
    ContextData& data = Context::instance()->data();
    if (!applyRemoteConfig(jsonValue.toObject(), data))
        return;
    qDebug() << "strSaveNoteImageUrl" << data.saveNoteImageUrl;
}

bool Application::isAgreed()
{
    if (QFile::exists(agreementMarkerPath()))
        return true;
    clearCache();
    return false;
}

void Application::clearCache()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::DataLocation);
    qDebug() << "Application::clearCache" << base;
    removeDir(base + QStringLiteral("/cache"));
    removeDir(base + QStringLiteral("/QtWebEngine"));

    // The live-room program keeps its own web caches beside ours.
    const QStringList parts = base.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return;
    const QString parent = base.left(base.lastIndexOf(QLatin1Char('/')) + 1);
    const QString live = parent + QStringLiteral("ZovLiveRoomStu");
    removeDir(live + QStringLiteral("/cache/QtWebEngine"));
    removeDir(live + QStringLiteral("/QtWebEngine"));

    // Here the engine keeps its HTTP cache in the desktop's cache folder, outside ours; the
    // profile knows where its folders really are, wherever the platform puts them.
    const QWebEngineProfile* profile = QWebEngineProfile::defaultProfile();
    removeDir(profile->cachePath());
    removeDir(profile->persistentStoragePath());
}

void Application::showProtocol()
{
    qDebug() << "Application::showProtocol()";
    ProtocolDialog dialog(nullptr);
    dialog.exec();
}

bool Application::update()
{
    qDebug() << "[QM] Application::update ==> start";
    UpdateManager* manager = UpdateManager::instance();
    manager->checkout(0);
    int offers = 0;
    for (;;) {
        int state = manager->state();
        while (state == UpdateManager::STATE_CHECKING) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            state = manager->state();
        }
        if (state == UpdateManager::STATE_NO_EXIST) {
            qDebug() << "STATE_NO_EXIST";
            break;
        }
        if (state == UpdateManager::STATE_FAILED) {
            qDebug() << "STATE_FAILED";
            break;
        }
        if (state == UpdateManager::STATE_EXIST) {
            qDebug() << "STATE_EXIST";
            // An offer put off is asked again and then suppressed for the day; one that
            // cannot be suppressed (its settings unwritable) would come back for ever.
            if (++offers > kMostUpdateOffers) {
                qWarning() << "[QM] Application::update offer left undecided";
                break;
            }
            manager->updateEx();
            continue;
        }
        if (state == UpdateManager::STATE_READY) {
            qDebug() << "STATE_READY";
            return false;
        }
        qDebug() << "Never to here.";
        break;
    }
    qDebug() << "[QM] Application::update ==> end";
    return true;
}

void Application::createMainWindow()
{
    auto* window = new WebMainWindow;
    connect(this, &Application::sigWindowMove, window, &WebMainWindow::onWindowMoveByName);
    m_mainWindow = window;
    window->show();
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    const bool result = QApplication::notify(receiver, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (receiver->isWidgetType())
            trackClick(receiver);
        else if (auto* window = qobject_cast<QWindow*>(receiver))
            handleWindowMouse(window, event);
        break;
    case QEvent::MouseMove:
        if (auto* window = qobject_cast<QWindow*>(receiver))
            handleWindowMouse(window, event);
        break;
    case QEvent::MouseButtonRelease:
        g_dragging = false;
        break;
    default:
        break;
    }
    return result;
}

void Application::trackClick(QObject* receiver)
{
    auto pushClick = [](const QString& name) {
        track::TrackEvent record;
        record.time = static_cast<quint32>(QDateTime::currentSecsSinceEpoch());
        record.data = QVariant::fromValue(KeyEventEnity { name, QString(), QString() });
        track::TrackPush(record);
    };
    if (auto* button = qobject_cast<QAbstractButton*>(receiver)) {
        if (!button->objectName().isEmpty())
            pushClick(button->objectName());
    }
    if (auto* label = qobject_cast<QLabel*>(receiver)) {
        if (!label->objectName().isEmpty())
            pushClick(label->objectName());
    }
}

void Application::handleWindowMouse(QWindow* window, QEvent* event)
{
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint global = window->mapToGlobal(mouse->pos());
    if (event->type() == QEvent::MouseButtonPress) {
        if (mouse->pos().y() <= kDragBandHeight) {
            g_dragging = true;
            g_lastGlobalPos = global;
        }
        return;
    }
    if (!g_dragging)
        return;
    emit sigWindowMove(
        window->objectName(), global.x() - g_lastGlobalPos.x(), global.y() - g_lastGlobalPos.y());
    g_lastGlobalPos = global;
}

void Application::OnIPCMessage(int value)
{
    Q_UNUSED(value)
}

void Application::OnIPCState(int value)
{
    Q_UNUSED(value)
}
