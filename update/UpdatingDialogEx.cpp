#include "update/UpdatingDialogEx.h"

#include "update/PaintedButton.h"
#include "update/StyledMessageBox.h"
#include "update/UpdateDialogStyle.h"
#include "update/UpdateProgressWidget.h"
#include "update/ZovLogoWidgetEx.h"

#include <QApplication>
#include <QDebug>
#include <QKeyEvent>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString OfficialSite = QStringLiteral("https://www.zov1v1.com/");
constexpr int QuitOk = 2;
constexpr int QuitCancel = 4;
// A forced update opened during start-up has no window to return to: the program ends,
// a moment later so that the dialog's own event handling unwinds first.
constexpr int QuitDelayMs = 50;

QString failureText()
{
    return QStringLiteral(
        "更新下载失败，点击重试或去<a style=\"color:red;\" href=\"%1\">官网下载</a>")
        .arg(OfficialSite);
}

PaintedButton* placedButton(const QString& text, const QString& name, PaintedButton::Style style,
    QWidget* page, int x, int y)
{
    auto* button = new PaintedButton(text, style, page);
    button->setObjectName(name);
    button->setGeometry(x, y, 130, 30);
    return button;
}

} // namespace

UpdatingDialogEx::UpdatingDialogEx(const QString& versionText, bool isImportant, QWidget* parent)
    : CustomDialogBase(parent)
    , m_versionText(versionText)
    , m_isImportant(isImportant)
    , m_logo(new ZovLogoWidgetEx(centralWidget()))
    , m_pages(new QStackedWidget(centralWidget()))
    , m_bar(new UpdateProgressWidget)
{
    UpdateDialogStyle::prepare(this);
    setFixedSize(500, 400);
    UpdateDialogStyle::setCloseButtonVisible(this, !isImportant);

    m_pages->setObjectName(QStringLiteral("pages"));
    m_pages->setFixedHeight(100);
    m_pages->addWidget(m_bar);
    m_pages->addWidget(createSuccessPage());
    m_pages->addWidget(createFailurePage());

    auto* layout = new QVBoxLayout(centralWidget());
    layout->setContentsMargins(50, 10, 50, 0);
    layout->setSpacing(10);
    layout->addWidget(m_logo);
    layout->addWidget(m_pages);

    setProgressWidget();
}

QWidget* UpdatingDialogEx::createSuccessPage()
{
    auto* page = new QWidget;
    auto* restart = placedButton(QStringLiteral("立即重启"), QStringLiteral("restartButton"),
        PaintedButton::Primary, page, 125, 0);
    connect(restart, &QPushButton::clicked, this, &UpdatingDialogEx::onRestart);
    return page;
}

QWidget* UpdatingDialogEx::createFailurePage()
{
    auto* page = new QWidget;
    auto* retry = placedButton(QStringLiteral("重试"), QStringLiteral("retryButton"),
        PaintedButton::Primary, page, 45, 30);
    auto* cancel = placedButton(QStringLiteral("取消"), QStringLiteral("cancelButton"),
        PaintedButton::Secondary, page, 205, 30);
    connect(retry, &QPushButton::clicked, this, &UpdatingDialogEx::onRetry);
    connect(cancel, &QPushButton::clicked, this, &UpdatingDialogEx::onCancel);
    return page;
}

void UpdatingDialogEx::setProgressWidget()
{
    qInfo() << "UpdatingDialogEx::setProgressWidget()";
    showProgressPage(0);
}

void UpdatingDialogEx::setSuccessWidget()
{
    qInfo() << "UpdatingDialogEx::setSuccessWidget()";
    if (!m_confirming) {
        showSuccessPage();
    }
}

void UpdatingDialogEx::setFailedWidget(const QString& title)
{
    qInfo() << "UpdatingDialogEx::setFailedWidget()";
    if (!m_confirming) {
        showFailurePage(title);
    }
    m_failed = true;
}

void UpdatingDialogEx::onProgress(float value)
{
    if (!m_confirming) {
        m_bar->setValue(value);
    }
    m_progress = value;
    m_logo->setProgress(value);
}

void UpdatingDialogEx::onClose()
{
    if (m_pages->currentIndex() == ProgressPage && !confirmQuit()) {
        return;
    }
    leave();
}

// Escape would otherwise reject the dialog behind the close button's back: no question while
// the download runs, and a download left going with nobody to finish it.
void UpdatingDialogEx::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        onClose();
        return;
    }
    CustomDialogBase::keyPressEvent(event);
}

void UpdatingDialogEx::onRetry()
{
    qInfo() << "UpdatingDialogEx::onRetry()";
    emit retryDownload();
}

void UpdatingDialogEx::onCancel()
{
    qInfo() << "UpdatingDialogEx::onCancel()";
    leave();
}

void UpdatingDialogEx::onRestart()
{
    qInfo() << "UpdatingDialogEx::onRestart()";
    if (m_newAppPath.isEmpty()) {
        qInfo() << "m_newAppPath isEmpty, restart failed.";
        return;
    }
    qInfo().noquote() << "open local pkg: " + m_newAppPath;
    close();
    qApp->setProperty("RestartExePath", m_newAppPath);
    QCoreApplication::quit();
}

void UpdatingDialogEx::showProgressPage(float value)
{
    setTitle(QStringLiteral("正在下载"), UpdateDialogStyle::titleStyle());
    m_logo->setLineText(m_versionText);
    m_bar->setValue(value);
    m_pages->setCurrentIndex(ProgressPage);
}

void UpdatingDialogEx::showSuccessPage()
{
    m_logo->hideProgress();
    setTitle(QStringLiteral("下载完成"), UpdateDialogStyle::titleStyle());
    m_logo->setLineText(QStringLiteral("更新准备完成，重启后立即生效"));
    m_pages->setCurrentIndex(SuccessPage);
}

void UpdatingDialogEx::showFailurePage(const QString& title)
{
    setTitle(title, UpdateDialogStyle::titleStyle());
    m_logo->setLineText(failureText());
    m_pages->setCurrentIndex(FailurePage);
}

// While the box is open the manager may still report progress, success or failure; the
// pages stay put until the student has answered, and then show whatever is current.
bool UpdatingDialogEx::confirmQuit()
{
    auto* box = new StyledMessageBox(this);
    box->setTitle(QStringLiteral("退出更新"), UpdateDialogStyle::titleStyle());
    UpdateDialogStyle::setCloseButtonVisible(box, false);
    box->setText(QStringLiteral("正在下载更新，确定退出吗？"));
    box->addButton(QStringLiteral("确定"), QuitOk, PaintedButton::Primary);
    box->addButton(QStringLiteral("取消"), QuitCancel, PaintedButton::Secondary);
    box->setFixedSize(410, 200);
    box->move(frameGeometry().center() - box->rect().center());

    m_confirming = true;
    const int result = box->exec();
    box->deleteLater();

    if (result == QuitOk && m_progress < 1.0f) {
        emit cancelDownload();
        qInfo() << "cancelDownload();";
    }
    if (m_pages->currentIndex() == ProgressPage
        && (result == StyledMessageBox::Closed || result == QuitCancel)) {
        restorePageAfterConfirm();
    }
    m_confirming = false;
    m_failed = false;
    return result == QuitOk;
}

void UpdatingDialogEx::restorePageAfterConfirm()
{
    if (m_failed) {
        showFailurePage(QStringLiteral("下载失败"));
    } else if (m_progress < 0.999999f) {
        showProgressPage(m_progress);
    } else {
        showSuccessPage();
    }
}

void UpdatingDialogEx::leave()
{
    if (m_isImportant && !mainWindowExists()) {
        QTimer::singleShot(QuitDelayMs, qApp, &QCoreApplication::quit);
        return;
    }
    reject();
}

bool UpdatingDialogEx::mainWindowExists()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.cbegin(), windows.cend(), [](const QWidget* window) {
        return window->objectName() == QLatin1String("WebMainWindow");
    });
}
