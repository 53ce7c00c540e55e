#pragma once

#include <QString>

// Puts the version folder of a full update package into the installation, or nothing at
// all. The archive is unpacked into a staging folder beside the versions, and only its
// "<version>/" folder moves into place, once it is known to hold the program: whatever
// else a package carries (a config.ini of its own, other folders) never lands.
class PackageUnpacker
{
public:
    // A package may expand to at most this many times its size; real ones stay far below.
    static constexpr qint64 mostExpansion = 100;

    // False, with the reason in error, when the package is refused or cannot be unpacked;
    // the installation is then as it was.
    static bool unpackVersion(
        const QString& zipPath, const QString& installDir, const QString& version, QString& error);
    // The bytes the archive's entries take once unpacked, as the archive tool lists them;
    // -1 when it cannot be listed.
    static qint64 unpackedSize(const QString& zipPath);

private:
    static bool fitsOnDisk(const QString& zipPath, const QString& installDir, QString& error);
    static bool moveVersionIntoPlace(
        const QString& staging, const QString& installDir, const QString& version, QString& error);
};
