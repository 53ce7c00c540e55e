#pragma once

#include <QString>
#include <QVariant>

class QWebEnginePage;

// Runs JavaScript in a page and waits for its result, so tests read the page's state
// the way the page sees it.
class PageProbe
{
public:
    explicit PageProbe(QWebEnginePage* page);

    // The script's value, or an invalid variant after timeoutMs.
    QVariant evaluate(const QString& script, int timeoutMs = 10000) const;
    // Polls until the expression is true; false after timeoutMs.
    bool waitFor(const QString& expression, int timeoutMs = 15000) const;

private:
    QWebEnginePage* m_page;
};
