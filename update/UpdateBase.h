#pragma once

#include "update/UpdateInfo.h"

#include <QObject>
#include <QString>

class CurlHttpDownLoader;

// Downloads one update package into the temporary "zov_setup" folder and checks its
// MD5. One object serves one attempt; the next attempt is a new object that starts
// from the next package URL, because the URL index outlives the objects.
class UpdateBase : public QObject
{
    Q_OBJECT

public:
    explicit UpdateBase(QObject* parent);

    // Keeps a copy of info and starts the download.
    void setUpdateInfo(const UpdateInfo& info);
    QString downloadFilePath() const { return m_filePath; }

    // Unpacks zipPath into destDir with the archive tool, waiting until it ends.
    static bool unzip(const QString& zipPath, const QString& destDir);
    // Deletes a file, or a folder with everything in it. False when nothing is there.
    static bool removeFileOrDir(const QString& path);

    // The index into the package URLs the next download uses.
    static int serverIndex();
    // Starts the URL rotation over, as a new run of the program does.
    static void resetServerIndex();

signals:
    void progress(float value);
    void finished(int code, QString errMsg);

public slots:
    void onCurlProgress(int done);
    void onCurlFinished(int code, QString dstPath);

private:
    void initFolder();
    void fullUpdate();
    QString expectedMd5() const;

    UpdateInfo m_info;
    CurlHttpDownLoader* m_curl = nullptr;
    QString m_folder;
    QString m_filePath;
};
