#include "PageDriver.h"

#include "RecordingPage.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace {

constexpr int loadTimeoutMs = 20000;
constexpr int scriptTimeoutMs = 10000;
constexpr int pollMs = 25;

// text as a JavaScript string literal.
QString scriptString(const QString& text)
{
    const QByteArray array = QJsonDocument(QJsonArray { text }).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

} // namespace

PageDriver::PageDriver(bool withBridge)
    : m_view(std::make_unique<QWebEngineView>())
    , m_profile(new QWebEngineProfile(m_view.get()))
    , m_page(new RecordingPage(m_profile, withBridge, m_view.get()))
    , m_probe(std::make_unique<PageProbe>(m_page))
{
    m_view->setPage(m_page);
    m_view->resize(1280, 800);
    m_view->show();
}

PageDriver::~PageDriver()
{
    // The page must go before its profile.
    delete m_page;
}

bool PageDriver::load(const QUrl& url)
{
    QSignalSpy finished(m_page, &QWebEnginePage::loadFinished);
    m_page->load(url);
    return finished.wait(loadTimeoutMs) && finished.first().first().toBool();
}

QVariant PageDriver::evaluate(const QString& script) const
{
    return m_probe->evaluate(script, scriptTimeoutMs);
}

bool PageDriver::waitFor(const QString& expression) const
{
    return m_probe->waitFor(expression, defaultWaitMs);
}

void PageDriver::click(const QString& selector) const
{
    evaluate(QStringLiteral("document.querySelector(%1).click()").arg(scriptString(selector)));
}

void PageDriver::fire(const QString& event, const QJsonValue& data) const
{
    const QByteArray arguments
        = QJsonDocument(QJsonArray { event, data }).toJson(QJsonDocument::Compact);
    evaluate(QStringLiteral("window.__fire.apply(null, %1)").arg(QString::fromUtf8(arguments)));
}

QJsonObject PageDriver::waitForRequest(const RequestMatch& match, int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    do {
        for (const QJsonObject& request : m_page->requests()) {
            if (match(request))
                return request;
        }
        QTest::qWait(pollMs);
    } while (!deadline.hasExpired());
    return {};
}

QJsonObject PageDriver::waitForEnterRoom(int type, int timeoutMs) const
{
    const RequestMatch isEnterRoom = [type](const QJsonObject& request) {
        const QJsonObject data = request.value(QStringLiteral("data")).toObject();
        return request.value(QStringLiteral("plugin")).toString()
            == QLatin1String("common.enterRoom")
            && data.value(QStringLiteral("type")).toInt(-1) == type;
    };
    return waitForRequest(isEnterRoom, timeoutMs).value(QStringLiteral("data")).toObject();
}

QString PageDriver::consoleText() const
{
    return m_page->consoleLines().join(QLatin1Char('\n'));
}
