#include "service/UploadStore.h"

#include <QDir>
#include <QRegularExpression>
#include <QSaveFile>

namespace zovservice {

namespace {

constexpr int maximumNameLength = 200;

} // namespace

UploadStore::UploadStore(const std::string& stateFolder)
    : m_folder(QString::fromStdString(stateFolder) + QStringLiteral("/uploads"))
{ }

bool UploadStore::store(const Upload& upload, QString& error)
{
    if (!isSafeMarkId(upload.markId)) {
        error = QStringLiteral("markId must be letters, digits, '-' or '_'");
        return false;
    }
    if (!isSafeFileName(upload.name)) {
        error = QStringLiteral("the file name must be a plain name");
        return false;
    }
    // One writer at a time, so that two uploads of one name end as the later one, whole.
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!write(upload, error))
        return false;
    QJsonObject entry;
    entry.insert(QStringLiteral("markId"), upload.markId);
    entry.insert(QStringLiteral("name"), upload.name);
    entry.insert(QStringLiteral("size"), double(upload.content.size()));
    entry.insert(QStringLiteral("fields"), upload.fields);
    m_uploads.append(entry);
    return true;
}

QJsonArray UploadStore::list() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_uploads;
}

bool UploadStore::isSafeMarkId(const QString& markId)
{
    static const QRegularExpression allowed(QStringLiteral("^[A-Za-z0-9_-]{1,64}$"));
    return allowed.match(markId).hasMatch();
}

bool UploadStore::isSafeFileName(const QString& name)
{
    return !name.isEmpty() && name.size() <= maximumNameLength && name != QLatin1String(".")
        && name != QLatin1String("..") && !name.contains(QLatin1Char('/'))
        && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0));
}

bool UploadStore::write(const Upload& upload, QString& error) const
{
    const QString folder = m_folder + QLatin1Char('/') + upload.markId;
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("cannot make ") + folder;
        return false;
    }
    // Written aside and renamed, so that a reader never sees half a file.
    QSaveFile file(folder + QLatin1Char('/') + upload.name);
    const qint64 size = qint64(upload.content.size());
    if (!file.open(QIODevice::WriteOnly) || file.write(upload.content.data(), size) != size
        || !file.commit()) {
        error = QStringLiteral("cannot write ") + file.fileName();
        return false;
    }
    return true;
}

} // namespace zovservice
