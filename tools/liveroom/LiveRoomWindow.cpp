#include "LiveRoomWindow.h"

#include "ControlChannel.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QUuid>
#include <QVBoxLayout>

namespace {

const char* const kStyleSheet = R"(
LiveRoomWindow { background: #ffffff; }
QLabel { color: #333333; font-size: 13px; }
QLabel#title { color: #222222; font-size: 18px; font-weight: bold; }
QLabel[role="key"] { color: #8a8f99; }
QLabel#status { color: #5b6170; background: #f4f5f7; border-radius: 4px; padding: 6px 10px; }
QPushButton { min-width: 104px; min-height: 34px; border-radius: 17px; font-size: 14px; }
QPushButton#enter { color: #ffffff; background: #fa4f42; border: none; }
QPushButton#enter:hover { background: #ff6a5e; }
QPushButton#enter:disabled { background: #f9bab5; }
QPushButton#leave { color: #5b6170; background: #ffffff; border: 1px solid #d5d8de; }
QPushButton#leave:hover { border-color: #fa4f42; color: #fa4f42; }
)";

QString orDash(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("—") : text;
}

QLabel* keyLabel(const QString& text)
{
    auto* label = new QLabel(text);
    label->setProperty("role", QStringLiteral("key"));
    return label;
}

} // namespace

LiveRoomWindow::LiveRoomWindow(const LessonInfo& lesson, ControlChannel* channel, QWidget* parent)
    : QWidget(parent)
    , m_lesson(lesson)
    , m_channel(channel)
    , m_sid(QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    setWindowTitle(QStringLiteral("直播课堂"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QString::fromUtf8(kStyleSheet));
    setFixedSize(420, 260);
    buildLayout();

    connect(m_enterButton, &QPushButton::clicked, this, &LiveRoomWindow::onEnterClicked);
    connect(m_leaveButton, &QPushButton::clicked, this, &LiveRoomWindow::onLeaveClicked);
    connect(m_channel, &ControlChannel::connected, this, &LiveRoomWindow::onConnected);
    connect(
        m_channel, &ControlChannel::connectionFailed, this, &LiveRoomWindow::onConnectionFailed);
    connect(m_channel, &ControlChannel::disconnected, this, &LiveRoomWindow::onDisconnected);
}

void LiveRoomWindow::buildLayout()
{
    auto* title = new QLabel(QStringLiteral("直播课堂"));
    title->setObjectName(QStringLiteral("title"));

    m_status = new QLabel(QStringLiteral("正在连接学生端…"));
    m_status->setObjectName(QStringLiteral("status"));

    m_enterButton = new QPushButton(QStringLiteral("进入课堂"));
    m_enterButton->setObjectName(QStringLiteral("enter"));
    m_enterButton->setEnabled(false);
    m_leaveButton = new QPushButton(QStringLiteral("离开课堂"));
    m_leaveButton->setObjectName(QStringLiteral("leave"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_leaveButton);
    buttons->addSpacing(12);
    buttons->addWidget(m_enterButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 22, 28, 22);
    layout->setSpacing(12);
    layout->addWidget(title);
    layout->addWidget(buildLessonTable());
    layout->addWidget(m_status);
    layout->addStretch();
    layout->addLayout(buttons);
}

QWidget* LiveRoomWindow::buildLessonTable()
{
    auto* table = new QWidget;
    auto* form = new QFormLayout(table);
    form->setContentsMargins(0, 0, 0, 0);
    form->setHorizontalSpacing(16);
    form->setVerticalSpacing(6);
    auto* host = new QLabel(orDash(m_lesson.host));
    host->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(keyLabel(QStringLiteral("课程编号")), new QLabel(orDash(m_lesson.planId)));
    form->addRow(keyLabel(QStringLiteral("课程类型")), new QLabel(orDash(m_lesson.courseType)));
    form->addRow(keyLabel(QStringLiteral("服务地址")), host);
    return table;
}

void LiveRoomWindow::pressEnter()
{
    m_enterButton->click();
}

void LiveRoomWindow::pressLeave()
{
    m_leaveButton->click();
}

void LiveRoomWindow::onEnterClicked()
{
    m_channel->sendMessage({ { QStringLiteral("type"), QStringLiteral("enterRoom") } });
    m_enterButton->setEnabled(false);
    setStatus(QStringLiteral("已进入课堂"));
}

void LiveRoomWindow::onLeaveClicked()
{
    QJsonObject message { { QStringLiteral("type"), QStringLiteral("leaveRoom") },
        { QStringLiteral("sid"), m_sid } };
    if (!m_lesson.evaluationUrl.isEmpty())
        message.insert(QStringLiteral("evaluationUrl"), m_lesson.evaluationUrl);
    m_channel->sendMessage(message);
    m_channel->flush();
    QCoreApplication::exit(0);
}

void LiveRoomWindow::onConnected()
{
    m_enterButton->setEnabled(true);
    setStatus(QStringLiteral("已连接学生端，可以进入课堂"));
}

void LiveRoomWindow::onConnectionFailed()
{
    m_enterButton->setEnabled(false);
    setStatus(QStringLiteral("无法连接学生端，请关闭后重新进入"));
}

void LiveRoomWindow::onDisconnected()
{
    m_enterButton->setEnabled(false);
    setStatus(QStringLiteral("与学生端的连接已断开"));
}

void LiveRoomWindow::setStatus(const QString& text)
{
    m_status->setText(text);
}
