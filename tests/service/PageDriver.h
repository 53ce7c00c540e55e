#pragma once

#include "PageProbe.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QUrl>
#include <QVariant>

#include <functional>
#include <memory>

class QWebEngineProfile;
class QWebEngineView;
class RecordingPage;

// Drives one of the service's pages in a real browser engine, in a profile of its own
// (nothing kept between drivers), with or without a stand-in for the client's bridge.
class PageDriver
{
public:
    using RequestMatch = std::function<bool(const QJsonObject&)>;

    explicit PageDriver(bool withBridge);
    ~PageDriver();

    bool load(const QUrl& url);
    // The script's value; an invalid variant when the page did not answer in time.
    QVariant evaluate(const QString& script) const;
    // Polls until the expression is true in the page.
    bool waitFor(const QString& expression) const;
    void click(const QString& selector) const;
    // Pushes an event to the page the way the client does.
    void fire(const QString& event, const QJsonValue& data) const;

    static constexpr int defaultWaitMs = 10000;
    // How long a test waits to be sure a request does not come.
    static constexpr int absenceWaitMs = 300;

    // Waits for a bridge request that matches, among all those of this driver's pages
    // (page changes included), oldest first; an empty object when none came.
    QJsonObject waitForRequest(const RequestMatch& match, int timeoutMs = defaultWaitMs) const;
    // Waits for "common.enterRoom" with the given type and returns its "data".
    QJsonObject waitForEnterRoom(int type, int timeoutMs = defaultWaitMs) const;
    QString consoleText() const;

private:
    std::unique_ptr<QWebEngineView> m_view;
    QWebEngineProfile* m_profile;
    RecordingPage* m_page;
    std::unique_ptr<PageProbe> m_probe;
};
