#pragma once

#include "LessonInfo.h"

#include <QWidget>

class ControlChannel;
class QLabel;
class QPushButton;

// The live room's window: the lesson it was started for, the state of the control
// socket, and the two buttons that report entering and leaving the lesson.
class LiveRoomWindow : public QWidget
{
    Q_OBJECT
public:
    LiveRoomWindow(const LessonInfo& lesson, ControlChannel* channel, QWidget* parent = nullptr);

    // The same as the user pressing the button.
    void pressEnter();
    void pressLeave();

private:
    void buildLayout();
    QWidget* buildLessonTable();
    void onEnterClicked();
    void onLeaveClicked();
    void onConnected();
    void onConnectionFailed();
    void onDisconnected();
    void setStatus(const QString& text);

    LessonInfo m_lesson;
    ControlChannel* m_channel;
    // Names this stay in the room, so the client can match the evaluation to it.
    QString m_sid;
    QLabel* m_status = nullptr;
    QPushButton* m_enterButton = nullptr;
    QPushButton* m_leaveButton = nullptr;
};
