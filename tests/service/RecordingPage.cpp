#include "RecordingPage.h"

#include <QJsonDocument>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace {

const QString requestPrefix = QStringLiteral("BRIDGE ");

// Behaves as the client's page script does towards the page: answers carry "data" as
// JSON text, events an object. The version answer differs from the page's query on
// purpose, so a test can tell where a shown version came from.
const char* const bridgeScript = R"JS(
(function () {
    var listeners = {};
    var counter = 1;
    window.__fire = function (name, data) {
        (listeners[name] || []).forEach(function (listener) {
            listener({ callbackId: name, status: 1, complete: 1, errorMessage: "", data: data });
        });
    };
    window._dhbridge = {
        invoke: function (message, callback) {
            if (callback) {
                message.callbackId = "cb_" + counter++ + "_" + Date.now();
            }
            console.log("BRIDGE " + JSON.stringify(message));
            if (!callback || message.plugin === "common.enterRoom") {
                return;
            }
            var data = message.plugin === "common.getVersion" ? '{"data":"1.6.7.9"}' : "";
            setTimeout(function () {
                callback({ callbackId: message.callbackId, status: 1, complete: 1, errorMessage: "", data: data });
            }, 10);
        },
        onListenEvent: function (name, callback) {
            (listeners[name] = listeners[name] || []).push(callback);
        }
    };
})();
)JS";

} // namespace

RecordingPage::RecordingPage(QWebEngineProfile* profile, bool withBridge, QObject* parent)
    : QWebEnginePage(profile, parent)
{
    if (withBridge)
        injectBridge();
}

void RecordingPage::injectBridge()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("stand-in bridge"));
    script.setSourceCode(QString::fromUtf8(bridgeScript));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    scripts().insert(script);
}

void RecordingPage::javaScriptConsoleMessage(
    JavaScriptConsoleMessageLevel, const QString& message, int lineNumber, const QString& sourceId)
{
    m_consoleLines.append(message + QStringLiteral(" (") + sourceId + QLatin1Char(':')
        + QString::number(lineNumber) + QLatin1Char(')'));
    if (message.startsWith(requestPrefix))
        m_requests.append(
            QJsonDocument::fromJson(message.mid(requestPrefix.size()).toUtf8()).object());
}
