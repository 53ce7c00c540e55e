#include "app/DirUtils.h"

#include <QDir>

bool removeDir(const QString& path)
{
    QDir folder(path);
    if (!folder.exists())
        return true;
    return folder.removeRecursively();
}
