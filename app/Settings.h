#pragma once

#include <QString>
#include <QVariant>

// The per-user data folder and the INI files the program keeps between runs.
// setting.ini and ss.ini live in the data folder; config.ini lives in the launcher
// folder that holds one folder per installed version. Every call opens its file,
// acts and closes it again.

// "zov_qm_student": the data folder's name inside the home folder.
QString appFolderName();

// dir = home folder + "/zov_qm_student", created on demand. False when there is no
// home folder or the data folder cannot be created.
bool getHomeDir(QString& dir);

QVariant readSetting(const QString& group, const QString& key);
void writeSetting(const QString& group, const QString& key, const QString& value);

// config.ini beside the version folders: the parent of the program's own folder.
QString configIniPath();
QVariant readConfigIni(const QString& group, const QString& key);
void writeConfigIni(const QString& group, const QString& key, const QString& value);

// The empty file whose presence tells that a student has logged in on this computer.
QString agreementMarkerPath();
// Whether a replay starts where the student left it: the settings menu's choice, for this
// run or stored.
bool playRestoreEnabled();

// True when the MD5 of the file at path, as lower-case hex, equals md5 exactly.
bool compareFileMd5(const QString& path, const QString& md5);
