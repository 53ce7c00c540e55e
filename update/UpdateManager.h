#pragma once

#include "update/UpdateInfo.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class CheckingDialog;
class QJsonObject;
class QNetworkAccessManager;
class QNetworkReply;
class QTimer;
class QWidget;
class UpdateBase;
class UpdateOpDialog;
class UpdatingDialogEx;

// The one object of the update subsystem the rest of the program talks to. Start-up
// asks it for a verdict with checkout(0) and polls state() while pumping events; the
// main window asks it for a check the student requested. Everything runs on the GUI
// thread.
class UpdateManager : public QObject
{
    Q_OBJECT
public:
    enum State
    {
        STATE_CHECKING = 0,
        STATE_FAILED = 1,
        STATE_NO_EXIST = 2,
        STATE_EXIST = 3,
        STATE_READY = 4,
    };

    // What started a check.
    enum TriggerType
    {
        TriggerStartup = 0,
        TriggerUser = 1,
        TriggerRecheck = 2,
    };

    enum PackageResult
    {
        PackageNone = 0,
        PackageReadied = 1,
        PackageFailed = 2,
    };

    static UpdateManager* instance();

    // The program keeps one manager through instance(); a separate one starts from a
    // fresh record, as a new run of the program does.
    UpdateManager();

    void checkout(int type);
    int state() const { return m_state; }
    void updateEx();
    void showCheckingDialog();

    int newVersionUpdateType() const { return m_newVersionUpdateType; }
    int compareResult() const { return m_compareResult; }
    int packageResult() const { return m_packageResult; }
    const UpdateInfo& updateInfo() const { return m_info; }
    QString packagePath() const { return m_pkgPath; }
    QString packageVersion() const { return m_pkgVer; }
    bool isImportant() const { return m_isImportant; }
    bool hasDownloader() const { return m_downloader != nullptr; }

    void writeRegedit(const QString& version);

    // 1 when a is newer than b, -1 when older, 0 when equal, by the first four dotted
    // numbers of each (missing or non-numeric parts count 0).
    static int checkVersionQM(const QString& a, const QString& b);
    // Whether the start-up offer of an optional update stays hidden: the student
    // skipped this version, or the offer was already shown or deferred today.
    static bool isOptionalOfferSuppressed(const QString& newVersion, const QString& ignoreVersion,
        const QString& startupTs, const QString& today);
    static QString versionUrl();
    static QString uninstallRegistryKey();

protected:
    // How often a pending silent update is checked for again.
    virtual int recheckIntervalMs() const;

public slots:
    void onCheckTimeout();
    void onSkip();
    void onShowNextTime();
    void onBtnClose();
    void onUpdate();
    void onAutoDownload(bool stat);
    void onDownloadRetry();
    void onDownloadCancel();
    void onDownloadFinished(int code, QString errMsg);
    void replyFinish(QNetworkReply* reply);
    void onResponseResult(QByteArray data);
    void onOpDialogFinished(int result);
    void onUpdatingDialogFinished(int result);
    void onCheckingDialogFinished(int result);

private:
    void fillRecord(const QJsonObject& data);
    bool isAcceptableOffer() const;
    void actOnNewerVersion();
    void showLatestIfUserAsked();
    void applyOptionalPolicy();
    void scheduleRecheck();
    void showUpdateOpDialog(bool isImportant);
    void startDownload(bool isImportant);
    void doDownload();
    void handOverRecord();
    bool installFullPackage();
    void failDownload(int state, const QString& title);
    void forgetAnnouncedType();
    void destroyDownloader();
    void closeCheckingDialog();
    void closeSender();
    static QString today();
    static QWidget* mainWindow();

    UpdateInfo m_info;
    int m_state = STATE_CHECKING;
    int m_triggeredType = TriggerStartup;
    bool m_isImportant = false;
    bool m_autoDownload = false;
    QString m_pkgVer;
    QString m_pkgPath;
    // The version the running download was handed, which a later reply may not change.
    QString m_downloadVersion;
    int m_newVersionUpdateType = -1;
    int m_compareResult = -1;
    int m_packageResult = PackageNone;
    QTimer* m_checkTimer = nullptr;
    QPointer<CheckingDialog> m_checkingDialog;
    QPointer<UpdateOpDialog> m_opDialog;
    QPointer<UpdatingDialogEx> m_updatingDialog;
    UpdateBase* m_downloader = nullptr;
    QNetworkAccessManager* m_network;
};
