#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>

// The upload program's own log: "uploader_<yyyy_MM_dd_hh_mm_ss>.txt" in the client's
// log folder, one line per event in plain words, so that a failed upload can be
// understood afterwards. Lines also go to standard error.
class UploaderLog
{
public:
    // "<home>/zov_qm_student/logs", the folder the client keeps its own logs in.
    static QString defaultFolder();
    static QString fileNameFor(const QDateTime& start);

    // Creates the folder when needed; false when the file cannot be written (lines then
    // reach standard error only).
    bool open(const QString& folder, const QDateTime& start);
    QString filePath() const { return m_file.fileName(); }

    void info(const QString& text);
    void error(const QString& text);

private:
    void write(const char* level, const QString& text);

    QFile m_file;
};
