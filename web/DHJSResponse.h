#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>

// An answer or an event pushed to a page. A fresh response reports success and
// completion, so a plain event needs nothing but its name and payload.
class DHJSResponse : public QObject
{
    Q_OBJECT
public:
    explicit DHJSResponse(QObject* parent = nullptr);

public slots:
    void setCallbackId(const QString& callbackId) { m_callbackId = callbackId; }
    void setData(const QJsonObject& data) { m_data = data; }
    QJsonObject getData() const { return m_data; }
    int getStatus() const { return m_status; }
    void setStatus(int status) { m_status = status; }
    int getComplete() const { return m_complete; }
    void setComplete(int complete) { m_complete = complete; }
    QString getErrorMessage() const { return m_errorMessage; }
    void setErrorMessage(const QString& errorMessage) { m_errorMessage = errorMessage; }
    // The compact JSON the page's event handler takes, with "data" as an object.
    QString toString() const;

private:
    QString m_callbackId;
    int m_status = 1;
    int m_complete = 1;
    QString m_errorMessage;
    QJsonObject m_data;
};
