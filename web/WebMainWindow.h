#pragma once

#include <QWidget>

class QWebEngineView;

// The program's frameless main window: a title bar of our own above the service's
// web pages, starting at the log-in page of the remote configuration.
class WebMainWindow : public QWidget
{
    Q_OBJECT
public:
    explicit WebMainWindow(QWidget* parent = nullptr);

public slots:
    void onWindowMove(QString wname, int dx, int dy);

private:
    QWidget* createTitleBar();
    void showAbout();

    QWebEngineView* m_view = nullptr;
};
