#pragma once

#include <QWebEnginePage>

// The main view's page. A link click or a reload in the main frame is reported, so the
// window can tell a navigation the student started from one the page script made.
class CustomPage : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit CustomPage(QObject* parent = nullptr);

signals:
    void sigReload();

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
};
