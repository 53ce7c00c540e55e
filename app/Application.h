#pragma once

#include "track/Track.h"

#include <QApplication>
#include <QJsonValue>
#include <QPoint>

class QLockFile;
class QMouseEvent;
class QWindow;

// The program's application object. main() drives the start-up through its
// operations in a fixed order; afterwards it records clicks for usage tracking and
// turns drags on the top band of frameless windows into sigWindowMove.
class Application : public QApplication, public track::IPCCallback
{
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    ~Application() override;

    bool isRunning();
    void initEnv();
    bool getConfig();
    bool isAgreed();
    void showProtocol();
    bool update();
    void createMainWindow();

    static void clearCache();

    bool notify(QObject* receiver, QEvent* event) override;

    void OnIPCMessage(int value) override;
    void OnIPCState(int value) override;

signals:
    void sigWindowMove(QString wname, int dx, int dy);

public slots:
    void onGetConfigResult(bool stat, QJsonValue jsonValue, QString errMsg);

private:
    void requestInfo();
    void installTranslations();
    void loadStyleSheets();
    void initNetworking();
    void trackClick(QObject* receiver);
    void handleWindowMouse(QWindow* window, QEvent* event);

    QLockFile* m_lock = nullptr;
    int m_configState = -1;
    class QWidget* m_mainWindow = nullptr;
};
