#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <mutex>
#include <string>

namespace zovservice {

// The log files clients uploaded, kept as "<state>/uploads/<markId>/<name>" and listed in
// the order they arrived so that tests can compare them with what was sent.
class UploadStore
{
public:
    struct Upload
    {
        QString markId;
        QString name;
        std::string content;
        QJsonObject fields;
    };

    explicit UploadStore(const std::string& stateFolder);

    // Refuses mark ids and names that would leave the upload folder; says why in error.
    bool store(const Upload& upload, QString& error);
    // [{"markId","name","size","fields"}] of every stored upload.
    QJsonArray list() const;

private:
    static bool isSafeMarkId(const QString& markId);
    static bool isSafeFileName(const QString& name);
    bool write(const Upload& upload, QString& error) const;

    QString m_folder;
    mutable std::mutex m_mutex;
    QJsonArray m_uploads;
};

} // namespace zovservice
