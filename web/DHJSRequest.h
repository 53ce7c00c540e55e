#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>

// One request a page sent over the bridge.
class DHJSRequest : public QObject
{
    Q_OBJECT
public:
    explicit DHJSRequest(QObject* parent = nullptr);

public slots:
    QString getCallbackId() const { return m_callbackId; }
    void setCallbackId(const QString& callbackId) { m_callbackId = callbackId; }
    QString getPlugin() const { return m_plugin; }
    void setPlugin(const QString& plugin) { m_plugin = plugin; }
    QString getSdkVersion() const { return m_sdkVersion; }
    void setSdkVersion(const QString& sdkVersion) { m_sdkVersion = sdkVersion; }
    QJsonObject getData() const { return m_data; }
    void setData(const QJsonObject& data) { m_data = data; }

private:
    // Empty when the page registered no callback and so wants no answer.
    QString m_callbackId;
    QString m_plugin;
    QString m_sdkVersion;
    QJsonObject m_data;
};
