#include "PageProbe.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>

#include <memory>

PageProbe::PageProbe(QWebEnginePage* page)
    : m_page(page)
{ }

QVariant PageProbe::evaluate(const QString& script, int timeoutMs) const
{
    // The loop may time out before the page answers; the shared state outlives both.
    auto state = std::make_shared<std::pair<bool, QVariant>>(false, QVariant());
    QEventLoop loop;
    QPointer<QEventLoop> guardedLoop(&loop);
    m_page->runJavaScript(script, [state, guardedLoop](const QVariant& result) {
        *state = { true, result };
        if (guardedLoop)
            guardedLoop->quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!state->first)
        loop.exec();
    return state->second;
}

bool PageProbe::waitFor(const QString& expression, int timeoutMs) const
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (evaluate(QStringLiteral("!!(%1)").arg(expression)).toBool())
            return true;
        QTest::qWait(25);
    }
    return false;
}
