#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

class QMessageLogContext;

// Every message logged through qDebug, qInfo, qWarning and qCritical ends up in one
// log file per run, "student_yyyy_MM_dd_hh_mm_ss.txt" in the data folder's "logs".

// Size of one log entry's piece and of the formatting buffer.
constexpr int kLogPieceSize = 20480;

QString logFolderPath();
QString logFileNameFor(const class QDateTime& startTime);

// Sets up this run's log file; logDir receives the log folder. False when the file
// cannot be written.
bool createLogFile(QString& logDir);

void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& msg);
void writeLogLine(QtMsgType type, const QByteArray& piece, const QMessageLogContext& context);

// The parts messageHandler is made of.
bool isDroppedLogMessage(const QString& msg);
QList<QByteArray> splitLogMessage(const QByteArray& bytes);
// Writes the line for one piece into line, zero-terminated, and returns its length.
int formatLogLine(QtMsgType type, const QByteArray& piece, char (&line)[kLogPieceSize]);
