#include "web/CustomPage.h"

CustomPage::CustomPage(QObject* parent)
    : QWebEnginePage(parent)
{ }

bool CustomPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    const bool startedByStudent = type == NavigationTypeLinkClicked || type == NavigationTypeReload;
    if (startedByStudent && isMainFrame)
        emit sigReload();
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}
