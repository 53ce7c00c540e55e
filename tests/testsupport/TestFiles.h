#pragma once

#include <QByteArray>
#include <QString>

// Small file helpers the suites share.
namespace testfiles {

// Empty when the file cannot be read.
QByteArray readFile(const QString& path);
// Creates the parent folder when it is missing.
bool writeFile(const QString& path, const QByteArray& content);
// Lower-case hexadecimal, as the version reply carries it.
QByteArray md5Hex(const QByteArray& content);

} // namespace testfiles
