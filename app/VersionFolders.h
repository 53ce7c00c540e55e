#pragma once

#include <QString>
#include <QStringList>

// The installation keeps one folder per program version ("1.6.7.0") side by side in
// a launcher folder. Once a newer version runs, the older folders are removed.

// True when both versions have four parts and a is strictly greater than b.
bool versionGreater(const QStringList& a, const QStringList& b);

// Removes the version folders beside the running program's folder whose four-part
// version is strictly lower than the running one.
void clearOldVersions();

// The same for a program at exePath ("/" separators).
void clearOldVersionsFor(const QString& exePath);
