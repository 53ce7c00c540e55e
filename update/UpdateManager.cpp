#include "update/UpdateManager.h"

#include "app/ServiceEnvironment.h"
#include "app/Settings.h"
#include "core/TrustStore.h"
#include "platform/Platform.h"
#include "update/CheckingDialog.h"
#include "update/PackageUnpacker.h"
#include "update/UpdateBase.h"
#include "update/UpdateOpDialog.h"
#include "update/UpdatingDialogEx.h"

#include <QApplication>
#include <QDate>
#include <QDebug>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int kVersionRequestTimeoutMs = 10000;

const QString kUpdateGroup = QStringLiteral("update");
const QString kVersionGroup = QStringLiteral("version");
constexpr int kRecheckIntervalMs = 600000;
constexpr int kDownloadStartDelayMs = 500;
constexpr int kUserCheckDelayMs = 1500;
constexpr int kCompareParts = 4;

UpdateManager* g_instance = nullptr;

// The manager goes with the application object, taking with it a download that is still
// running (an update dismissed or cancelled at start-up), so the tool does not go on
// downloading after the program has ended.
void deleteInstance()
{
    delete g_instance;
    g_instance = nullptr;
}

QString versionLine(const QString& version)
{
    return QStringLiteral("版本号 %1").arg(version);
}

bool homeDirAvailable()
{
    QString dir;
    return getHomeDir(dir);
}

} // namespace

UpdateManager* UpdateManager::instance()
{
    if (!g_instance) {
        g_instance = new UpdateManager;
        qAddPostRoutine(deleteInstance);
    }
    return g_instance;
}

UpdateManager::UpdateManager()
    : m_network(new QNetworkAccessManager(this))
{
    m_info.localVersion = readConfigIni(kVersionGroup, QStringLiteral("ver")).toString();
    qInfo() << "local version " << m_info.localVersion;
    m_info.installDir = QFileInfo(configIniPath()).absolutePath();
    connect(m_network, &QNetworkAccessManager::finished, this, &UpdateManager::replyFinish);
}

QString UpdateManager::versionUrl()
{
    return QStringLiteral("https://") + businessApiHost(serviceEnv())
        + QStringLiteral("/olbusiness/api/version");
}

QString UpdateManager::uninstallRegistryKey()
{
    return QStringLiteral(
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
        "Zov1对1学生版");
}

void UpdateManager::checkout(int type)
{
    qInfo() << "[QM] UpdateManager::checkout type ==>" << type;
    m_triggeredType = type;

    QNetworkRequest request;
    request.setRawHeader("Content-Type", "application/json");
    request.setRawHeader("channel", "ol_stu");
    request.setRawHeader("appType", "PC");
    request.setRawHeader("Appver", m_info.localVersion.toLocal8Bit());
    const QString url = versionUrl();
    qInfo() << "UpdateManager::checkout url" << url;
    request.setUrl(QUrl(url));
    // A service that never answers must not hold start-up: the failure path goes on.
    request.setTransferTimeout(kVersionRequestTimeoutMs);

    // The service may sit behind an authority of its own that the program is told about.
    zov::network::TrustStore::instance().ensureLoaded();
    m_network->get(request);
}

void UpdateManager::replyFinish(QNetworkReply* reply)
{
    if (!reply || reply->error() != QNetworkReply::NoError) {
        qWarning().noquote() << "[UpdateManager][replyFinish] "
                             << (reply ? reply->errorString() : QStringLiteral("no reply"));
        m_state = STATE_FAILED;
        if (m_triggeredType == TriggerUser && m_checkingDialog)
            m_checkingDialog->showFailed();
        return;
    }
    const QByteArray data = reply->readAll();
    qInfo().noquote() << "[UpdateManager][replyFinish] " << QString::fromUtf8(data);
    onResponseResult(data);
}

void UpdateManager::onResponseResult(QByteArray data)
{
    const QJsonObject root = QJsonDocument::fromJson(data).object();
    const int errorCode = root.value(QStringLiteral("errorcode")).toInt(0);
    if (errorCode != 0) {
        qWarning() << "[QM] UpdateManager::onResponseResult error_code " << errorCode;
        m_state = STATE_NO_EXIST;
        showLatestIfUserAsked();
        return;
    }
    const QJsonObject payload = root.value(QStringLiteral("data")).toObject();
    if (payload.isEmpty()) {
        qInfo() << "Consistent version";
        m_state = STATE_NO_EXIST;
        showLatestIfUserAsked();
        return;
    }
    fillRecord(payload);
    if (!isAcceptableOffer()) {
        m_state = STATE_NO_EXIST;
        showLatestIfUserAsked();
        return;
    }

    m_compareResult = checkVersionQM(m_info.newVersion, m_info.localVersion);
    qInfo() << "[QM] onResponseResult::checkVersionQM result = " << m_compareResult;
    if (m_compareResult < 1) {
        qInfo() << "m_triggeredType" << m_triggeredType;
        if (m_triggeredType == TriggerUser)
            showLatestIfUserAsked();
        else
            m_state = STATE_NO_EXIST;
        return;
    }
    actOnNewerVersion();
}

void UpdateManager::fillRecord(const QJsonObject& data)
{
    m_info.newVersion = data.value(QStringLiteral("version")).toString();
    m_info.newNumber = m_info.newVersion.section(QLatin1Char('.'), -1).toInt();
    const QString url = data.value(QStringLiteral("url")).toString();
    m_info.urls.append(url);
    qInfo() << "urls = " << url;
    const QString packName = url.section(QLatin1Char('/'), -1);
    QString diffPkgName = packName;
    if (diffPkgName.endsWith(QLatin1String(".zip")))
        diffPkgName.chop(4);
    qInfo() << "[QM] UpdateManager::onResponseResult packname:" << packName;
    qInfo() << "[QM] UpdateManager::onResponseResult diffPkgName:" << diffPkgName;
    m_info.packType = QString::number(data.value(QStringLiteral("packType")).toInt());
    qInfo() << "[QM] UpdateManager::onResponseResult packType:" << m_info.packType;

    const QString md5 = data.value(QStringLiteral("downloadmd5")).toString();
    if (m_info.packType == QLatin1String("0"))
        m_info.diffMd5 = md5;
    else
        m_info.fullMd5 = md5;

    m_info.updateType = data.value(QStringLiteral("updateType")).toInt(0);
    m_info.updateMsg = data.value(QStringLiteral("updateMsg")).toString();
    if (m_info.updateType == 2)
        m_isImportant = true;
    qInfo() << "[updateType] " << m_info.updateType;
    qInfo() << "[packType] " << m_info.packType;
    qInfo() << "[diffPkgMd5]" << m_info.diffMd5;
    qInfo() << "[packageName] " << packName;
    qInfo() << "[diffPkgName] " << diffPkgName;
    qInfo() << "[diffPkgPath]" << url;
}

// The version names a folder of the installation and the update type picks a flow: a
// reply with anything else offers nothing.
bool UpdateManager::isAcceptableOffer() const
{
    static const QRegularExpression plainVersion(QStringLiteral("^\\d{1,9}(\\.\\d{1,9}){0,5}$"));
    if (!plainVersion.match(m_info.newVersion).hasMatch()) {
        qWarning() << "[QM] UpdateManager: refused version text" << m_info.newVersion;
        return false;
    }
    if (m_info.updateType < 0 || m_info.updateType > 2) {
        qWarning() << "[QM] UpdateManager: unknown updateType" << m_info.updateType;
        return false;
    }
    return true;
}

void UpdateManager::actOnNewerVersion()
{
    m_newVersionUpdateType = m_info.updateType;
    qInfo() << "STATE_EXIST";
    switch (m_triggeredType) {
    case TriggerStartup:
        m_state = STATE_EXIST;
        break;
    case TriggerUser:
        qInfo() << "UserClicked";
        closeCheckingDialog();
        showUpdateOpDialog(m_isImportant);
        break;
    case TriggerRecheck:
        doDownload();
        break;
    default:
        break;
    }
}

void UpdateManager::showLatestIfUserAsked()
{
    if (m_triggeredType == TriggerUser && m_checkingDialog)
        m_checkingDialog->showLatest(m_info.localVersion);
}

int UpdateManager::checkVersionQM(const QString& a, const QString& b)
{
    const QStringList left = a.trimmed().split(QLatin1Char('.'));
    const QStringList right = b.trimmed().split(QLatin1Char('.'));
    for (int i = 0; i < kCompareParts; ++i) {
        const int l = i < left.size() ? left.at(i).toInt(nullptr, 10) : 0;
        const int r = i < right.size() ? right.at(i).toInt(nullptr, 10) : 0;
        if (l != r)
            return l > r ? 1 : -1;
    }
    return 0;
}

bool UpdateManager::isOptionalOfferSuppressed(const QString& newVersion,
    const QString& ignoreVersion, const QString& startupTs, const QString& today)
{
    return ignoreVersion == newVersion || startupTs == today;
}

QString UpdateManager::today()
{
    return QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
}

void UpdateManager::updateEx()
{
    if (m_triggeredType != TriggerStartup)
        return;
    qInfo() << "LoginCheck";
    const int result = checkVersionQM(m_info.newVersion, m_info.localVersion);
    qInfo() << "[QM] updateEx::checkVersionQM result = " << result;
    if (result < 1)
        return;
    switch (m_info.updateType) {
    case 2:
        qInfo() << "[QM] exec force update";
        showUpdateOpDialog(true);
        break;
    case 1:
        applyOptionalPolicy();
        break;
    case 0:
        scheduleRecheck();
        break;
    default:
        break;
    }
}

void UpdateManager::applyOptionalPolicy()
{
    qInfo() << "[QM] exec optional update";
    const QString day = today();
    const QString ignoreVersion
        = readSetting(kUpdateGroup, QStringLiteral("IgnoreVersion")).toString();
    const QString startupTs = readSetting(kUpdateGroup, QStringLiteral("StartupTs")).toString();
    qInfo() << startupTs << "-----" << day;
    if (isOptionalOfferSuppressed(m_info.newVersion, ignoreVersion, startupTs, day)) {
        qInfo() << "[QM] Ignore the Version " << ignoreVersion;
        m_state = STATE_NO_EXIST;
        return;
    }
    showUpdateOpDialog(false);
    writeSetting(kUpdateGroup, QStringLiteral("StartupTs"), day);
    qInfo() << "[QM] Set lastTimeNotify ==> " << day;
}

void UpdateManager::scheduleRecheck()
{
    qInfo() << "Network request setting timer 10min";
    delete m_checkTimer;
    m_checkTimer = new QTimer(this);
    m_checkTimer->setInterval(recheckIntervalMs());
    connect(m_checkTimer, &QTimer::timeout, this, &UpdateManager::onCheckTimeout);
    m_checkTimer->start();
    m_state = STATE_NO_EXIST;
}

int UpdateManager::recheckIntervalMs() const
{
    return kRecheckIntervalMs;
}

void UpdateManager::onCheckTimeout()
{
    qInfo() << "UpdateManager::onCheckTimeout()";
    checkout(TriggerRecheck);
}

QWidget* UpdateManager::mainWindow()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window->objectName() == QLatin1String("WebMainWindow"))
            return window;
    }
    return nullptr;
}

void UpdateManager::showCheckingDialog()
{
    if (!m_checkingDialog) {
        m_checkingDialog = new CheckingDialog(mainWindow());
        connect(
            m_checkingDialog, &QDialog::finished, this, &UpdateManager::onCheckingDialogFinished);
        m_checkingDialog->setModal(true);
        m_checkingDialog->show();
    } else {
        qInfo() << "checking dialog is already showing";
    }
    QTimer::singleShot(kUserCheckDelayMs, this, [this] { checkout(TriggerUser); });
}

void UpdateManager::closeCheckingDialog()
{
    if (m_checkingDialog)
        m_checkingDialog->close();
}

void UpdateManager::closeSender()
{
    if (auto* dialog = qobject_cast<QDialog*>(sender()))
        dialog->close();
}

void UpdateManager::showUpdateOpDialog(bool isImportant)
{
    if (!homeDirAvailable()) {
        qWarning() << "UpdateManager::showUpdateOpDialog"
                   << "getHomeDir failed.";
        return;
    }
    closeCheckingDialog();
    auto* dialog
        = new UpdateOpDialog(m_triggeredType == TriggerUser, isImportant, false, mainWindow());
    m_opDialog = dialog;
    dialog->setUpdateMsg(m_info.updateMsg);
    dialog->setVersionText(versionLine(m_info.newVersion));
    connect(dialog, &UpdateOpDialog::autoDownload, this, &UpdateManager::onAutoDownload);
    connect(dialog, &UpdateOpDialog::skip, this, &UpdateManager::onSkip);
    connect(dialog, &UpdateOpDialog::showNextTime, this, &UpdateManager::onShowNextTime);
    connect(dialog, &UpdateOpDialog::btnClose, this, &UpdateManager::onBtnClose);
    connect(dialog, &UpdateOpDialog::update, this, &UpdateManager::onUpdate);
    connect(dialog, &QDialog::finished, this, &UpdateManager::onOpDialogFinished);
    dialog->exec();
}

void UpdateManager::onSkip()
{
    closeSender();
    if (!homeDirAvailable())
        return;
    writeSetting(kUpdateGroup, QStringLiteral("IgnoreVersion"), m_info.newVersion);
    qInfo() << "[QM] Set IgnoreVersion ==> " << m_info.newVersion;
}

void UpdateManager::onShowNextTime()
{
    closeSender();
    if (!homeDirAvailable())
        return;
    writeSetting(kUpdateGroup, QStringLiteral("StartupTs"), today());
    writeSetting(kUpdateGroup, QStringLiteral("LaterAttention"), QStringLiteral("1"));
}

void UpdateManager::onBtnClose()
{
    qInfo() << "Button Close";
    if (m_info.updateType == 2) {
        m_state = STATE_READY;
        return;
    }
    closeSender();
}

void UpdateManager::onUpdate()
{
    closeSender();
    qInfo() << "UpdateManager::onUpdate()";
    startDownload(m_isImportant);
    m_state = STATE_READY;
}

void UpdateManager::onAutoDownload(bool stat)
{
    qInfo() << "UpdateManager::onAutoDownload stat->" << stat;
    if (!homeDirAvailable())
        return;
    m_autoDownload = stat;
    writeSetting(kUpdateGroup, QStringLiteral("AutoDownload"),
        stat ? QStringLiteral("true") : QStringLiteral("false"));
}

void UpdateManager::onOpDialogFinished(int)
{
    if (m_opDialog)
        m_opDialog->deleteLater();
    m_opDialog = nullptr;
}

void UpdateManager::onUpdatingDialogFinished(int)
{
    if (m_updatingDialog)
        m_updatingDialog->deleteLater();
    m_updatingDialog = nullptr;
}

void UpdateManager::onCheckingDialogFinished(int)
{
    if (QObject* dialog = sender())
        dialog->deleteLater();
    m_checkingDialog = nullptr;
}

void UpdateManager::startDownload(bool isImportant)
{
    qInfo() << "UpdateManager::startDownload -> isImportant:" << isImportant;
    auto* dialog = new UpdatingDialogEx(versionLine(m_info.newVersion), isImportant, mainWindow());
    m_updatingDialog = dialog;
    connect(dialog, &QDialog::finished, this, &UpdateManager::onUpdatingDialogFinished);
    connect(dialog, &UpdatingDialogEx::retryDownload, this, &UpdateManager::onDownloadRetry);
    connect(dialog, &UpdatingDialogEx::cancelDownload, this, &UpdateManager::onDownloadCancel);

    if (m_pkgVer == m_info.newVersion && !m_pkgPath.isEmpty() && QFileInfo::exists(m_pkgPath)) {
        dialog->setNewAppPath(m_pkgPath);
        dialog->setSuccessWidget();
    } else {
        doDownload();
        dialog->setProgressWidget();
    }
    dialog->exec();
}

void UpdateManager::doDownload()
{
    qInfo() << "UpdateManager::doDownload()";
    if (m_downloader) {
        qInfo() << "UpdateManager::doDownload()-> download handle is doing work.";
    } else {
        m_downloader = new UpdateBase(this);
        connect(m_downloader, &UpdateBase::finished, this, &UpdateManager::onDownloadFinished);
        QTimer::singleShot(kDownloadStartDelayMs, m_downloader, [this] { handOverRecord(); });
    }
    if (m_updatingDialog) {
        connect(m_downloader, &UpdateBase::progress, m_updatingDialog.data(),
            &UpdatingDialogEx::onProgress, Qt::UniqueConnection);
        m_updatingDialog->setProgressWidget();
    }
}

void UpdateManager::handOverRecord()
{
    m_downloadVersion = m_info.newVersion;
    m_downloader->setUpdateInfo(m_info);
}

void UpdateManager::onDownloadRetry()
{
    qInfo() << "UpdateManager::onDownloadRetry()";
    if (m_updatingDialog)
        m_updatingDialog->setProgressWidget();
    if (!m_downloader)
        doDownload();
}

void UpdateManager::destroyDownloader()
{
    if (!m_downloader)
        return;
    m_downloader->disconnect();
    m_downloader->deleteLater();
    m_downloader = nullptr;
}

void UpdateManager::onDownloadCancel()
{
    qInfo() << "UpdateManager::onDownloadCancel()";
    destroyDownloader();
    if (homeDirAvailable()) {
        writeSetting(kUpdateGroup, QStringLiteral("PkgPath"), QString());
        writeSetting(kUpdateGroup, QStringLiteral("PkgVer"), QString());
        const QString from
            = readSetting(kUpdateGroup, QStringLiteral("AutoDownloadFrom")).toString();
        if (from == m_info.newVersion)
            writeSetting(kUpdateGroup, QStringLiteral("AutoDownloadFrom"), m_info.localVersion);
        writeConfigIni(kVersionGroup, QStringLiteral("ver"), m_info.localVersion);
        m_pkgVer.clear();
        m_pkgPath.clear();
    }
    if (m_info.updateType == 2)
        m_state = STATE_READY;
}

void UpdateManager::failDownload(int state, const QString& title)
{
    if (m_updatingDialog)
        m_updatingDialog->setFailedWidget(title);
    destroyDownloader();
    forgetAnnouncedType();
    m_compareResult = -1;
    m_packageResult = PackageFailed;
    m_state = state;
}

// A silent update stays announced after its download has ended, so that the student's
// next check hears how it went ("升级成功,请重新启动" or "升级失败,请重新启动") instead of
// a check against the readied version, which would wrongly call the running program
// the latest.
void UpdateManager::forgetAnnouncedType()
{
    if (m_info.updateType != 0)
        m_newVersionUpdateType = -1;
}

void UpdateManager::onDownloadFinished(int code, QString errMsg)
{
    qInfo() << "UpdateManager::onSlienceUpdateFinished -> code:" << code << ", errMsg:" << errMsg;
    if (!m_downloader)
        return;
    m_pkgPath = m_downloader->downloadFilePath();
    qInfo() << "unzip parameter 1 " << m_pkgPath;

    if (code != 0) {
        failDownload(
            m_info.updateType == 2 ? STATE_READY : STATE_FAILED, QStringLiteral("下载失败"));
        return;
    }
    if (m_info.packType == QLatin1String("1") && !installFullPackage())
        return;

    if (homeDirAvailable())
        writeSetting(kUpdateGroup, QStringLiteral("NewTraitVer"), m_info.newVersion);
    m_pkgVer = m_downloadVersion;
    m_info.localVersion = m_pkgVer;
    if (m_updatingDialog) {
        m_updatingDialog->setNewAppPath(m_pkgPath);
        m_updatingDialog->setSuccessWidget();
    }
    m_state = STATE_NO_EXIST;
    forgetAnnouncedType();
    m_compareResult = -1;
    m_packageResult = PackageReadied;
    destroyDownloader();
}

bool UpdateManager::installFullPackage()
{
    qInfo() << "unzip parameter 2" << m_info.installDir << m_pkgPath;
    QString refusal;
    if (!PackageUnpacker::unpackVersion(m_pkgPath, m_info.installDir, m_info.newVersion, refusal)) {
        qWarning() << "unzip failed!" << refusal;
        failDownload(STATE_FAILED, QStringLiteral("解压失败"));
        return false;
    }
    m_pkgPath = m_info.installDir + QLatin1Char('/') + m_info.newVersion + QLatin1Char('/')
        + zov::platform::Platform::programFileName(QStringLiteral("zovwx1v1_Student"));
    qInfo() << "finishedPkgPath " << m_pkgPath;
    writeConfigIni(kVersionGroup, QStringLiteral("ver"), m_info.newVersion);
    writeConfigIni(kVersionGroup, QStringLiteral("number"), QString::number(m_info.newNumber));
    if (m_info.newVersion.isEmpty())
        qWarning() << "unzip sucess version null and update failed!";
    else
        writeRegedit(m_info.newVersion);
    return true;
}

void UpdateManager::writeRegedit(const QString& version)
{
    auto& platform = zov::platform::Platform::instance();
    const QString key = uninstallRegistryKey();
    platform.writeRegistry(key, QStringLiteral("DisplayVersion"), version);
    const QString readBack
        = platform.readRegistry(key, QStringLiteral("DisplayVersion"), QStringLiteral("error"))
              .toString();
    qInfo() << "UpdateManager::writeRegedit DisplayVersion" << readBack;
}
