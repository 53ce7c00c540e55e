// Prints the round-trip time of page requests through the client's bridge
// ("common.getVersion" with a callback, answered by the plugin through the main
// window) next to a bare echo object on the same web channel, in the same page.
#include "LocalService.h"
#include "TestEnvironment.h"

#include "app/Context.h"
#include "web/WebMainWindow.h"
#include "web/WebUI.h"
#include "web/WebViewManager.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QWebChannel>
#include <QWebEnginePage>

#include <cstdio>

namespace {

constexpr int kRoundTrips = 10000;
constexpr int kTimeoutMs = 600000;

class EchoObject : public QObject
{
    Q_OBJECT
public slots:
    QString echo(const QString& text) { return text; }
};

QVariant evaluate(QWebEnginePage* page, const QString& script)
{
    QVariant result;
    QEventLoop loop;
    page->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        loop.quit();
    });
    loop.exec();
    return result;
}

bool waitFor(QWebEnginePage* page, const QString& expression)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < kTimeoutMs) {
        if (evaluate(page, QStringLiteral("!!(%1)").arg(expression)).toBool())
            return true;
        QEventLoop pause;
        QTimer::singleShot(100, &pause, &QEventLoop::quit);
        pause.exec();
    }
    return false;
}

void printFigures(const char* name, const QJsonObject& figures)
{
    std::printf("%-32s p50 %.3f ms   p99 %.3f ms   (%d round trips)\n", name,
        figures.value(QStringLiteral("p50")).toDouble(),
        figures.value(QStringLiteral("p99")).toDouble(),
        figures.value(QStringLiteral("count")).toInt());
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestEnvironment environment;
    environment.apply();
    LocalService service;
    if (!service.start()) {
        std::fprintf(stderr, "the local service did not start\n");
        return 1;
    }
    const QString benchPage
        = service.webBaseUrl().toString() + QStringLiteral("/pages/test/bench.html");
    Context::instance()->data().loginUrl = benchPage;

    WebMainWindow window;
    window.show();
    EchoObject echo;
    QWebEnginePage* page = window.webViewManager()->view()->page();
    page->webChannel()->registerObject(QStringLiteral("echo"), &echo);
    window.webViewManager()->loadUrl(benchPage);
    if (!waitFor(page, QStringLiteral("window.benchObjects && window.benchObjects.echo"))) {
        std::fprintf(stderr, "the bench page did not connect\n");
        return 1;
    }

    // Logging every request would measure the log, not the bridge.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    evaluate(page, QStringLiteral("runBench(%1)").arg(kRoundTrips));
    if (!waitFor(page, QStringLiteral("window.benchResult"))) {
        std::fprintf(stderr, "the bench did not finish\n");
        return 1;
    }
    const QJsonObject result = QJsonDocument::fromJson(
        evaluate(page, QStringLiteral("JSON.stringify(window.benchResult)")).toString().toUtf8())
                                   .object();
    const QJsonObject bridge = result.value(QStringLiteral("bridge")).toObject();
    const QJsonObject bare = result.value(QStringLiteral("echo")).toObject();
    printFigures("bridge common.getVersion", bridge);
    printFigures("bare web channel echo", bare);
    std::printf("p50 ratio bridge/echo: %.2f\n",
        bridge.value(QStringLiteral("p50")).toDouble()
            / bare.value(QStringLiteral("p50")).toDouble());
    return 0;
}

#include "bench_bridge.moc"
