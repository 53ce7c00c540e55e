#pragma once

#include "replay/ReplayDataDownLoader.h"
#include "replay/ReplayPlayPage.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QPointer>
#include <QUrl>
#include <QWidget>

class CourseListTitle;
class HardwareResultView;
class NoticeLabel;

class WebViewManager;
class ZovSubProcess;

// The program's frameless main window: a title bar of our own above the service's
// pages. Page requests arrive as plugin signals and become window actions.
class WebMainWindow : public QWidget
{
    Q_OBJECT
public:
    explicit WebMainWindow(QWidget* parent = nullptr);
    ~WebMainWindow() override;

    WebViewManager* webViewManager() const { return m_webViewManager; }
    CourseListTitle* titleBar() const { return m_title; }
    // The address the log-in page is opened with: the agreement choice and the version
    // ride along as query values.
    static QString startUrl();
    // Starts downloading the whiteboard data files of the replay being opened, in a
    // fresh folder stamp; a download still running for an earlier replay is dropped.
    void downloaderReplayData(const QJsonArray& replayData);

signals:
    void sigPrint();

public slots:
    void onWindowMoveByName(QString wname, int x, int y);
    void onJsMessage(QString msg);
    void onLoadFinished(bool b);
    void onLoadStarted();
    void onUrlChanged(QUrl url);
    void onMaxWindow();
    void onMinWindow();
    void onCloseWindow();
    void onDeviceMonitor();
    void onChangeLogin();
    void onCheckUpdate();
    void onAboutUs();
    void onSystemSettings();
    void onJoinLiveRoom(QJsonObject msg);
    void onEnterRoom(QJsonObject obj);
    void onShowPlayBack(QJsonObject msg);
    void onGetReplayInfo(bool stat, QJsonValue json_value, QString err_msg);
    void onSetApplicationVisible(bool visible);
    void onSwitchEvaluationPage(QJsonObject obj);
    void onResetClassList();
    void onReload();
    void onClosePrivacyDialog();
    void on_print();
    void showNotice(const QString& text);

private:
    void createTitleBar();
    void connectPluginSignals();
    void onLoggedIn(const QJsonObject& obj);
    void onLiveLesson(const QJsonObject& obj);
    void onReplay(const QJsonObject& obj);
    // Opens the replay window over the main window, after asking when one is open
    // already; false when the student keeps the open one.
    bool openReplayWindow();
    void showPrivacyDialog(int type);
    void storeAgreementChoice(const QJsonObject& obj);
    void sendA4PageSize();
    void sendHardwareReportOnce();
    ZovSubProcess* liveRoom();
    void endHelperPrograms();

    WebViewManager* m_webViewManager = nullptr;
    CourseListTitle* m_title = nullptr;
    NoticeLabel* m_notice = nullptr;
    // Created with the first live lesson the page asks for.
    ZovSubProcess* m_liveRoom = nullptr;
    // Created with the first log-in, which is also the only one that sends the report.
    HardwareResultView* m_hardwareView = nullptr;
    QPointer<ReplayDataDownLoader> m_replayDataDownloader;
    QPointer<ReplayPlayPage> m_replayPage;

    // The last live lesson the page asked for; the evaluation page needs them later.
    int m_planId = 0;
    int m_courseType = 0;
    int m_gradeType = 0;

    QString m_currentUrl;
};
