#include "core/PlainFileName.h"

#include <QUrl>

QString PlainFileName::ofUrl(const QString& url, const QString& fallback)
{
    // Fully decoded, an escaped separator is a separator like any other.
    const QString name = QUrl(url).fileName(QUrl::FullyDecoded);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")
        || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))
        || name.contains(QChar(0)))
        return fallback;
    return name;
}
