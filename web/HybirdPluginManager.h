#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>

// The signals through which plugins reach the rest of the program. It owns no
// plugins; the main window and the web view manager connect to it.
class HybirdPluginManager : public QObject
{
    Q_OBJECT
public:
    static HybirdPluginManager* instance();

signals:
    void dh_sig_windowMove(int x, int y);
    void dh_sig_uploadLog();
    void dh_sig_maxWindow();
    void dh_sig_closeWindow();
    void dh_sig_minWindow();
    // An answer for the page callback cid.
    void dh_sig_sendToWeb(QString data, QString err, bool result, QString cid, int status);
    void dh_sig_dragWindow(int ox, int oy);
    void dh_sig_deviceMonitor();
    void dh_sig_systemSetting();
    void dh_sig_changeLogin();
    void dh_sig_checkUpdate();
    void dh_sig_aboutAs();
    void dh_sig_joinLiveRoom(QJsonObject data);
    void dh_sig_showPlayBack(QJsonObject data);
    void dh_sig_setUserInfo(QJsonObject data);
    void dh_sig_paperResolution(QString data);
    void dh_sig_authCiperClass(QString data);
    void dh_sig_enterRoom(QJsonObject data);

private:
    HybirdPluginManager() = default;
};
