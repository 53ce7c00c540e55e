#include "web/WebMainWindow.h"

#include "app/Context.h"
#include "app/PrivacyDialog.h"
#include "app/Settings.h"
#include "core/NetworkHelper.h"
#include "devicedetect/DeviceDetect.h"
#include "devicedetect/HardwareResultView.h"
#include "liveroom/ZovSubProcess.h"
#include "platform/Platform.h"
#include "replay/ReplayInfo.h"
#include "update/UpdateManager.h"
#include "web/CourseListTitle.h"
#include "web/DHJSUtils.h"
#include "web/DHPluginBase.h"
#include "web/DHPluginRegistry.h"
#include "web/HybirdPluginManager.h"
#include "web/NoticeLabel.h"
#include "web/PrintHandler.h"
#include "web/SystemSettingsDialog.h"
#include "web/WebUI.h"
#include "web/WebViewManager.h"
#include "widgets/AboutDialog.h"
#include "widgets/MessageBoxW.h"

#include <QApplication>
#include <QDebug>
#include <QFile>
#include <QIcon>
#include <QImageReader>
#include <QJsonDocument>
#include <QPageSize>
#include <QPrinter>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

using zov::platform::Platform;

enum EnterRoomType
{
    LoggedIn = 1,
    LiveLesson = 2,
    Replay = 3,
    UserAgreement = 4,
    PrivacyPolicy = 5,
    AgreementChoice = 6,
    LoggedOut = 8,
    A4PageSize = 9,
    PrintPage = 10,
};

constexpr int kRestartDelayMs = 200;

QString replayInfoUrl()
{
    return QStringLiteral("https://%1/olbusiness/api/playback/getReplayEnterUrl")
        .arg(Context::instance()->data().host);
}

// Told nothing, Qt loads every image format plugin to see what a file holds; that would
// happen on the way to the first page.
QImage readBySuffix(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QString helperImageName(const char* baseName)
{
    return Platform::programFileName(QString::fromLatin1(baseName));
}

} // namespace

WebMainWindow::WebMainWindow(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("WebMainWindow"));
    setWindowTitle(QStringLiteral("Zov1对1学生版"));
    setWindowIcon(QIcon(QPixmap::fromImage(readBySuffix(QStringLiteral("res/student.png")))));
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint);
    resize(1280, 760);
    move(QApplication::primaryScreen()->availableGeometry().center() - rect().center());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    createTitleBar();
    layout->addWidget(m_title);
    auto* body = new QWidget(this);
    layout->addWidget(body, 1);
    m_notice = new NoticeLabel(this);

    registerPlugins();

    m_webViewManager = new WebViewManager(body, this);
    m_webViewManager->initWebChannel();
    const QString url = startUrl();
    qDebug() << "strUrl" << url;
    m_webViewManager->loadUrl(url);

    connect(m_webViewManager, &WebViewManager::notifyJsMessage, this, &WebMainWindow::onJsMessage);
    connect(m_webViewManager, &WebViewManager::loadFinished, this, &WebMainWindow::onLoadFinished);
    connect(m_webViewManager, &WebViewManager::loadStarted, this, &WebMainWindow::onLoadStarted);
    connect(m_webViewManager, &WebViewManager::urlChanged, this, &WebMainWindow::onUrlChanged);
    connectPluginSignals();
    // Page requests arrive inside a task of the browser engine, which runs no nested
    // tasks of its own; printing waits for the page, so it starts after that task.
    connect(this, &WebMainWindow::sigPrint, this, &WebMainWindow::on_print, Qt::QueuedConnection);
}

WebMainWindow::~WebMainWindow()
{
    delete m_replayPage;
}

QString WebMainWindow::startUrl()
{
    return QStringLiteral("%1%2%3%4%5")
        .arg(Context::instance()->data().loginUrl, QStringLiteral("?isagree="),
            readSetting(QStringLiteral("privacy"), QStringLiteral("privacy")).toString(),
            QStringLiteral("&version="),
            readConfigIni(QStringLiteral("version"), QStringLiteral("ver")).toString());
}

void WebMainWindow::createTitleBar()
{
    m_title = new CourseListTitle(this);
    connect(m_title, &CourseListTitle::sigAbout, this, &WebMainWindow::onAboutUs);
    connect(m_title, &CourseListTitle::sigSettings, this, &WebMainWindow::onSystemSettings);
    connect(m_title, &CourseListTitle::sigMinimize, this, &WebMainWindow::onMinWindow);
    connect(m_title, &CourseListTitle::sigClose, this, &WebMainWindow::onCloseWindow);
    connect(m_title, &CourseListTitle::sigUploadNotice, this,
        [this] { showNotice(QStringLiteral("日志上传中")); });
}

void WebMainWindow::connectPluginSignals()
{
    HybirdPluginManager* plugins = HybirdPluginManager::instance();
    connect(plugins, &HybirdPluginManager::dh_sig_maxWindow, this, &WebMainWindow::onMaxWindow);
    connect(plugins, &HybirdPluginManager::dh_sig_minWindow, this, &WebMainWindow::onMinWindow);
    connect(plugins, &HybirdPluginManager::dh_sig_closeWindow, this, &WebMainWindow::onCloseWindow);
    connect(
        plugins, &HybirdPluginManager::dh_sig_deviceMonitor, this, &WebMainWindow::onDeviceMonitor);
    connect(
        plugins, &HybirdPluginManager::dh_sig_uploadLog, m_title, &CourseListTitle::onUploadLog);
    connect(plugins, &HybirdPluginManager::dh_sig_checkUpdate, this, &WebMainWindow::onCheckUpdate);
    connect(plugins, &HybirdPluginManager::dh_sig_aboutAs, this, &WebMainWindow::onAboutUs);
    connect(
        plugins, &HybirdPluginManager::dh_sig_joinLiveRoom, this, &WebMainWindow::onJoinLiveRoom);
    connect(plugins, &HybirdPluginManager::dh_sig_enterRoom, this, &WebMainWindow::onEnterRoom);
    connect(
        plugins, &HybirdPluginManager::dh_sig_showPlayBack, this, &WebMainWindow::onShowPlayBack);
    connect(plugins, &HybirdPluginManager::dh_sig_sendToWeb, m_webViewManager,
        &WebViewManager::onSendHybridMessage);
}

void WebMainWindow::onJsMessage(QString msg)
{
    qDebug().noquote() << "WebMainWindow::onJsMessage: " << msg;
    const QJsonObject request = DHJSUtils::instance()->getJsonObjectFromString(msg.toUtf8());
    const QString pluginName = request.value(QStringLiteral("plugin")).toString();
    if (DHPluginBase* plugin = DHPluginRegistry::instance()->getPlugin(pluginName))
        plugin->execute(request);
}

void WebMainWindow::onLoadFinished(bool b)
{
    qDebug() << "WebMainWindow::onLoadFinished" << b << m_currentUrl;
}

void WebMainWindow::onLoadStarted()
{
    qDebug() << "WebMainWindow::onLoadStarted";
}

void WebMainWindow::onUrlChanged(QUrl url)
{
    m_currentUrl = url.toString();
}

void WebMainWindow::onReload()
{
    if (m_webViewManager)
        m_webViewManager->reload();
}

void WebMainWindow::onWindowMoveByName(QString wname, int x, int y)
{
    if (wname.contains(objectName()))
        move(pos() + QPoint(x, y));
}

void WebMainWindow::onMaxWindow()
{
    if (isMaximized())
        showNormal();
    else
        showMaximized();
}

void WebMainWindow::onMinWindow()
{
    showMinimized();
}

void WebMainWindow::onAboutUs()
{
    const QString version
        = readConfigIni(QStringLiteral("version"), QStringLiteral("ver")).toString();
    auto* about = new AboutDialog(version, this);
    about->setStyleSheet(QStringLiteral("color: #000000;"));
    about->setFixedSize(492, 385);
    about->setModal(true);
    about->show();
}

void WebMainWindow::onSystemSettings()
{
    auto* settings = new SystemSettingsDialog(this);
    settings->setModal(true);
    settings->show();
}

void WebMainWindow::onDeviceMonitor()
{
    DeviceDetect dialog(this);
    dialog.initSpeaker();
    dialog.exec();
}

void WebMainWindow::onCheckUpdate()
{
    // A silent update works in the background: the student only hears how it stands.
    UpdateManager* updates = UpdateManager::instance();
    if (updates->newVersionUpdateType() == 0) {
        if (updates->packageResult() == UpdateManager::PackageReadied) {
            showNotice(QStringLiteral("升级成功,请重新启动"));
            return;
        }
        if (updates->packageResult() == UpdateManager::PackageFailed) {
            showNotice(QStringLiteral("升级失败,请重新启动"));
            return;
        }
        if (updates->compareResult() > 0) {
            showNotice(QStringLiteral("自动升级中"));
            return;
        }
    }
    updates->showCheckingDialog();
}

void WebMainWindow::onCloseWindow()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    activateWindow();
    const int answer
        = MessageBoxW::showModal(this, QString(), QStringLiteral("确认要退出当前程序？"),
            MessageBoxW::OkCancelButtons, QStringLiteral("确定"), QStringLiteral("取消"));
    if (answer != 1)
        return;
    endHelperPrograms();
    qApp->quit();
}

void WebMainWindow::endHelperPrograms()
{
    Platform& platform = Platform::instance();
    platform.killProcessesByImageName(helperImageName("curl"));
    platform.killProcessesByImageName(helperImageName("nginx"));
    platform.killProcessesByImageName(helperImageName("ZovLiveRoomStu"));
}

void WebMainWindow::onChangeLogin()
{
    const int answer
        = MessageBoxW::showModal(this, QString(), QStringLiteral("确认要切换其他账号吗？"),
            MessageBoxW::OkCancelButtons, QStringLiteral("确定"), QStringLiteral("取消"));
    if (answer != 1)
        return;
    QString homeDir;
    if (!getHomeDir(homeDir)) {
        qDebug() << "SystemMenu::logout";
        qDebug() << "getHomeDir failed.";
        return;
    }
    writeSetting(QStringLiteral("security"), QStringLiteral("logout"), QStringLiteral("true"));
    QTimer::singleShot(kRestartDelayMs, qApp, &QCoreApplication::quit);
    qApp->setProperty("RestartExePath",
        QCoreApplication::applicationDirPath() + QLatin1Char('/')
            + Platform::programFileName(QStringLiteral("zovwx1v1_Student")));
}

void WebMainWindow::onJoinLiveRoom(QJsonObject msg)
{
    qDebug() << "WebMainWindow::onJoinLiveRoom" << msg;
}

void WebMainWindow::onShowPlayBack(QJsonObject msg)
{
    const QJsonValue classId = msg.value(QStringLiteral("classId"));
    qDebug() << Q_FUNC_INFO << classId;
    auto* request = new zov::network::NetworkHelper(this, QStringLiteral("getReplayEnterUrl"));
    connect(request, &zov::network::NetworkHelper::httpFinished, this,
        [this, request](bool ok, const QJsonValue& value, const QString& message) {
            request->deleteLater();
            onGetReplayInfo(ok, value, message);
        });
    request->post(replayInfoUrl(),
        ReplayInfo::requestBody(classId, msg.value(QStringLiteral("courseware_type"))), false,
        ReplayInfo::requestTimeoutMs);
}

void WebMainWindow::onGetReplayInfo(bool stat, QJsonValue json_value, QString err_msg)
{
    qDebug() << Q_FUNC_INFO << stat << err_msg;
    QString failureText;
    const std::optional<ReplayInfo> info
        = ReplayInfo::fromReply(stat, json_value.toObject(), err_msg, failureText);
    if (!info) {
        MessageBoxW::showModal(
            this, QString(), failureText, MessageBoxW::OkButton, QStringLiteral("确定"));
        return;
    }
    info->storeIn(Context::instance()->data());
    qDebug() << "videoTime" << info->videoTime;
    if (openReplayWindow() && info->replayData)
        downloaderReplayData(*info->replayData);
}

void WebMainWindow::onEnterRoom(QJsonObject obj)
{
    switch (obj.value(QStringLiteral("type")).toInt()) {
    case LoggedIn:
        onLoggedIn(obj);
        break;
    case LiveLesson:
        onLiveLesson(obj);
        break;
    case Replay:
        onReplay(obj);
        break;
    case UserAgreement:
    case PrivacyPolicy:
        showPrivacyDialog(obj.value(QStringLiteral("type")).toInt());
        break;
    case AgreementChoice:
        storeAgreementChoice(obj);
        break;
    case LoggedOut:
        m_title->setSignedIn(false);
        break;
    case A4PageSize:
        sendA4PageSize();
        break;
    case PrintPage:
        emit sigPrint();
        break;
    default:
        break;
    }
}

void WebMainWindow::onLoggedIn(const QJsonObject& obj)
{
    QFile marker(agreementMarkerPath());
    if (!marker.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qWarning() << "WebMainWindow: cannot write" << marker.fileName() << marker.errorString();
    marker.close();

    ContextData& context = Context::instance()->data();
    context.token = obj.value(QStringLiteral("token")).toString();
    context.uid = obj.value(QStringLiteral("uid")).toString();
    context.userId = obj.value(QStringLiteral("userId")).toString().toInt();
    m_title->setSignedIn(true);
    sendHardwareReportOnce();
}

void WebMainWindow::sendHardwareReportOnce()
{
    // Built only now: most runs never show the notice, and start-up should not pay for it.
    if (m_hardwareView)
        return;
    m_hardwareView = new HardwareResultView(this);
    m_hardwareView->sendDeviceInfo();
}

void WebMainWindow::onLiveLesson(const QJsonObject& obj)
{
    m_courseType = obj.value(QStringLiteral("course_type")).toInt();
    m_gradeType = obj.value(QStringLiteral("grade_type")).toInt();
    m_planId = obj.value(QStringLiteral("planId")).toInt();
    Context::instance()->data().oltoken = obj.value(QStringLiteral("oltoken")).toString();
    qDebug() << Q_FUNC_INFO << "classId:" << m_planId << obj;
    liveRoom()->start(obj);
}

ZovSubProcess* WebMainWindow::liveRoom()
{
    if (m_liveRoom)
        return m_liveRoom;
    m_liveRoom = new ZovSubProcess(this);
    connect(m_liveRoom, &ZovSubProcess::setApplicationVisible, this,
        &WebMainWindow::onSetApplicationVisible);
    connect(m_liveRoom, &ZovSubProcess::notifySwitchEvaluationPage, this,
        &WebMainWindow::onSwitchEvaluationPage);
    connect(m_liveRoom, &ZovSubProcess::notifyReset, this, &WebMainWindow::onResetClassList);
    return m_liveRoom;
}

void WebMainWindow::onReplay(const QJsonObject& obj)
{
    qDebug() << Q_FUNC_INFO << obj;
    ContextData& context = Context::instance()->data();
    if (obj.contains(QStringLiteral("replayInfo"))) {
        const QJsonObject info = obj.value(QStringLiteral("replayInfo")).toObject();
        context.replayVideoPaths
            = ReplayInfo::joinedPaths(info.value(QStringLiteral("replayHost")).toArray(),
                info.value(QStringLiteral("replayFile")).toString());
    }
    // The stored place is kept per lesson: without the page's lesson the window would
    // resume where the last replay information's lesson was left.
    context.replayPlanId = obj.value(QStringLiteral("planId")).toVariant().toString();
    context.replayPlanName = obj.value(QStringLiteral("title")).toString();
    openReplayWindow();
}

bool WebMainWindow::openReplayWindow()
{
    if (m_replayPage) {
        const int answer
            = MessageBoxW::showModal(this, QString(), QStringLiteral("当前正在观看回放，是否切换?"),
                MessageBoxW::OkCancelButtons, QStringLiteral("确定"), QStringLiteral("取消"));
        if (answer != 1)
            return false;
        delete m_replayPage;
    }
    m_replayPage = new ReplayPlayPage(nullptr, ReplayPlayPage::VideoMode);
    connect(m_replayPage, &ReplayPlayPage::sigClose, this,
        [] { qDebug() << "WebMainWindow: the replay window was closed"; });
    m_replayPage->initPlayer();
    m_replayPage->showAt(pos());
    return true;
}

void WebMainWindow::downloaderReplayData(const QJsonArray& replayData)
{
    if (m_replayDataDownloader)
        m_replayDataDownloader->deleteLater();
    m_replayDataDownloader = new ReplayDataDownLoader(this);
    if (m_replayPage)
        connect(m_replayDataDownloader, &ReplayDataDownLoader::downloadDataResourse, m_replayPage,
            &ReplayPlayPage::onDownloaderResourse);
    m_replayDataDownloader->start(
        ReplayDataDownLoader::tasksForReplayData(replayData, QDateTime::currentDateTime()));
}

void WebMainWindow::showPrivacyDialog(int type)
{
    hide();
    auto* dialog = new PrivacyDialog(type, nullptr);
    connect(dialog, &PrivacyDialog::sigClosed, this, &WebMainWindow::onClosePrivacyDialog);
    // However the page goes away (its button, the window manager, Alt+F4), the student must
    // not be left without a window.
    connect(dialog, &QObject::destroyed, this, &WebMainWindow::onClosePrivacyDialog);
    dialog->show();
}

void WebMainWindow::onClosePrivacyDialog()
{
    show();
}

void WebMainWindow::storeAgreementChoice(const QJsonObject& obj)
{
    const bool checked = obj.value(QStringLiteral("checked")).toBool();
    writeSetting(QStringLiteral("Privacy"), QStringLiteral("Privacy"),
        checked ? QStringLiteral("true") : QStringLiteral("false"));
}

void WebMainWindow::sendA4PageSize()
{
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    QJsonObject size;
    size.insert(QStringLiteral("A4_width"), page.width());
    size.insert(QStringLiteral("A4_height"), page.height());
    m_webViewManager->sendListenEvent(QStringLiteral("set_a4_page_size"), size);
}

void WebMainWindow::on_print()
{
    PrintHandler handler;
    handler.setPage(m_webViewManager->view()->page());
    handler.print();

    // Unlike the other events, the page expects booleans and an empty text here.
    QJsonObject finished;
    finished.insert(QStringLiteral("callbackId"), QStringLiteral("print_finished"));
    finished.insert(QStringLiteral("status"), true);
    finished.insert(QStringLiteral("complete"), true);
    finished.insert(QStringLiteral("errorMessage"), QString());
    finished.insert(QStringLiteral("data"), QString());
    m_webViewManager->view()->handleListenEventFromNative(
        QString::fromUtf8(QJsonDocument(finished).toJson(QJsonDocument::Compact)));
}

void WebMainWindow::onSetApplicationVisible(bool visible)
{
    if (!visible) {
        hide();
        return;
    }
    show();
    raise();
    onReload();
}

void WebMainWindow::onSwitchEvaluationPage(QJsonObject obj)
{
    qDebug() << Q_FUNC_INFO << " classId:" << m_planId << " courseType:" << m_courseType
             << " gradeType:" << m_gradeType;
    QJsonObject evaluation;
    evaluation.insert(QStringLiteral("class_id"), m_planId);
    evaluation.insert(QStringLiteral("course_type"), m_courseType);
    evaluation.insert(QStringLiteral("grade_type"), m_gradeType);
    evaluation.insert(QStringLiteral("evaluateurl_type"), false);
    m_webViewManager->sendListenEvent(QStringLiteral("listenEvaluate"), evaluation);
    qDebug() << " obj:" << obj;
}

void WebMainWindow::onResetClassList()
{
    m_planId = 0;
    m_courseType = 0;
    m_gradeType = 0;
}

void WebMainWindow::showNotice(const QString& text)
{
    m_notice->showNotice(text);
}
