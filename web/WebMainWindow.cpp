#include "web/WebMainWindow.h"

#include "app/Context.h"
#include "app/Settings.h"
#include "widgets/AboutDialog.h"

#include <QApplication>
#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace {

constexpr int kTitleBarHeight = 48;

QPushButton* titleButton(const QString& objectName, const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setFixedSize(32, 32);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

WebMainWindow::WebMainWindow(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("WebMainWindow"));
    setWindowTitle(QStringLiteral("Zov1对1学生版"));
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    resize(1280, 760);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(createTitleBar());

    m_view = new QWebEngineView(this);
    layout->addWidget(m_view, 1);
    const QString loginUrl = Context::instance()->data().loginUrl;
    qDebug() << "WebMainWindow start url" << loginUrl;
    m_view->load(QUrl(loginUrl));
}

QWidget* WebMainWindow::createTitleBar()
{
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("CourseListTitle"));
    bar->setFixedHeight(kTitleBarHeight);
    bar->setAttribute(Qt::WA_StyledBackground);
    bar->setStyleSheet(QStringLiteral("#CourseListTitle{background:#FFFFFF;border-bottom:1px solid "
                                      "#EEEEEE;} QPushButton{border:none;font-size:16px;"
                                      "color:#858C96;} QPushButton:hover{color:#FF5E50;}"));
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(16, 0, 12, 0);
    layout->setSpacing(6);

    auto* name = new QLabel(QStringLiteral("Zov1对1学生版"), bar);
    name->setStyleSheet(QStringLiteral("font-size:16px;color:#212831;"));
    layout->addWidget(name);
    layout->addStretch(1);

    auto* about = titleButton(QStringLiteral("aboutBtn"), QStringLiteral("ⓘ"), bar);
    auto* minimize = titleButton(QStringLiteral("minBtn"), QStringLiteral("—"), bar);
    auto* close = titleButton(QStringLiteral("closeBtn"), QStringLiteral("✕"), bar);
    layout->addWidget(about);
    layout->addWidget(minimize);
    layout->addWidget(close);
    connect(about, &QPushButton::clicked, this, &WebMainWindow::showAbout);
    connect(minimize, &QPushButton::clicked, this, &QWidget::showMinimized);
    connect(close, &QPushButton::clicked, qApp, &QCoreApplication::quit);
    return bar;
}

void WebMainWindow::showAbout()
{
    const QString version
        = readConfigIni(QStringLiteral("version"), QStringLiteral("ver")).toString();
    auto* about = new AboutDialog(version, this);
    about->show();
}

void WebMainWindow::onWindowMove(QString wname, int dx, int dy)
{
    if (wname.startsWith(objectName()))
        move(x() + dx, y() + dy);
}
