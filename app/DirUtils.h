#pragma once

#include <QString>

// Deletes the folder at path with everything in it, hidden entries included.
// A folder that does not exist counts as removed.
bool removeDir(const QString& path);
