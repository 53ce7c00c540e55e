#include "widgets/CustomDialogBase.h"

#include "ui_CustomDialogBase.h"
#include "widgets/ActivationWatch.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QWindow>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include "widgets/XcbButtonPress.h"
#endif

namespace {

constexpr int PromptDurationMs = 500;
constexpr int PromptSteps = 10;

#ifndef Q_OS_WIN
QWindow* topLevelWindowWithId(quint32 id)
{
    const QWindowList windows = QGuiApplication::topLevelWindows();
    for (QWindow* window : windows) {
        if (window->handle() && window->winId() == id) {
            return window;
        }
    }
    return nullptr;
}

const QWindow* rootWindow(const QWindow* window)
{
    for (;;) {
        const QWindow* up = window->parent() ? window->parent() : window->transientParent();
        if (!up) {
            return window;
        }
        window = up;
    }
}

// Follows Qt's own rule for which windows a modal window blocks: everything for an
// application-modal one, the windows of its own family for a window-modal one, never
// its own transient children.
bool isBlockedBy(const QWindow* window, const QWindow* modal)
{
    if (modal->isAncestorOf(window)) {
        return false;
    }
    return modal->modality() == Qt::ApplicationModal || rootWindow(window) == rootWindow(modal);
}
#endif

} // namespace

CustomDialogBase::CustomDialogBase(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::CustomDialogBase)
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);

    m_ui->closeBtn->setFocusPolicy(Qt::NoFocus);
    m_ui->closeBtn->setFixedSize(14, 14);
    m_ui->closeBtn->setIcon(QIcon(QStringLiteral("res/close.png")));
    m_ui->closeBtn->setIconSize(m_ui->closeBtn->size());
    connect(m_ui->closeBtn, &QPushButton::clicked, this, &CustomDialogBase::onClose);

    m_clock.start();
    setContentsMargins(0, 0, 0, 0);
    layout()->setContentsMargins(m_margin, m_margin, m_margin, m_margin);

    QCoreApplication::instance()->installNativeEventFilter(this);
}

CustomDialogBase::~CustomDialogBase()
{
    QCoreApplication::instance()->removeNativeEventFilter(this);
    delete m_ui;
}

QWidget* CustomDialogBase::centralWidget() const
{
    return m_ui->centralWidget;
}

void CustomDialogBase::setTitle(const QString& text, const QString& styleSheet)
{
    QFont font(QStringLiteral("Microsoft YaHei"));
    font.setPixelSize(13);
    m_ui->title->setText(text);
    m_ui->title->setFont(font);
    m_ui->title->setStyleSheet(styleSheet);
    setWindowTitle(text);
}

void CustomDialogBase::showTitleBar(bool show)
{
    m_ui->titleWidget->setVisible(show);
    if (!show) {
        m_ui->centralWidget->setStyleSheet(
            QStringLiteral("background:#FFFFFF;                border-radius:8px;"));
    }
}

void CustomDialogBase::playPromptAnimation()
{
    if (m_shakeRunning) {
        return;
    }
    m_shakeRunning = true;

    const int x = frameGeometry().x();
    const int y = frameGeometry().y();
    auto* animation = new QPropertyAnimation(this, "geometry", this);
    animation->setDuration(PromptDurationMs);
    animation->setKeyValueAt(0.0, QRect(QPoint(x - 3, y - 3), size()));
    for (int step = 1; step < PromptSteps; ++step) {
        const int offset = step % 2 == 1 ? 6 : -6;
        animation->setKeyValueAt(
            step / double(PromptSteps), QRect(QPoint(x + offset, y + offset), size()));
    }
    animation->setKeyValueAt(1.0, QRect(QPoint(x, y), size()));
    connect(
        animation, &QPropertyAnimation::finished, this, &CustomDialogBase::onDialogPromptFinished);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void CustomDialogBase::onClose()
{
    setProperty("res", QStringLiteral("onClose"));
    reject();
}

void CustomDialogBase::onDialogPromptFinished()
{
    m_shakeRunning = false;
}

void CustomDialogBase::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    const QRect inner = rect().adjusted(m_margin, m_margin, -m_margin, -m_margin);
    for (int i = 0; i < m_shadowWidth; ++i) {
        // Darkest against the dialog's edge (alpha 36), fading by 6 per ring outwards.
        painter.setPen(QColor(0, 0, 0, 36 - 6 * i));
        painter.drawRoundedRect(inner.adjusted(-i, -i, i, i), 8.0, 8.0);
    }
    painter.end();
    QDialog::paintEvent(event);
}

void CustomDialogBase::mousePressEvent(QMouseEvent* event)
{
    m_lastX = event->x();
    m_lastY = event->y();
    m_dragging = true;
}

void CustomDialogBase::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging) {
        move(pos() + QPoint(event->x() - m_lastX, event->y() - m_lastY));
    }
}

void CustomDialogBase::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = false;
}

bool CustomDialogBase::nativeEventFilter(const QByteArray& eventType, void* message, long* result)
{
    if (!watchesActivation()) {
        return false;
    }
#ifdef Q_OS_WIN
    return eventType == "windows_generic_MSG" && handleWindowsMessage(message, result);
#else
    Q_UNUSED(result)
    if (eventType == "xcb_generic_event_t") {
        handleXcbEvent(message);
    }
    return false;
#endif
}

bool CustomDialogBase::watchesActivation() const
{
    return isWindow() && isModal() && sender() == nullptr;
}

void CustomDialogBase::onWatchedActivation()
{
    if (ActivationWatch::shared().activate(m_clock.elapsed())) {
        playPromptAnimation();
    }
}

#ifdef Q_OS_WIN
// Windows flashes the modal dialog's frame with WM_NCACTIVATE whenever the user clicks a
// window it blocks.
bool CustomDialogBase::handleWindowsMessage(void* message, long* result)
{
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message != WM_NCACTIVATE || msg->hwnd != reinterpret_cast<HWND>(internalWinId())) {
        return false;
    }
    if (msg->lParam != 0 && msg->lParam != 1) {
        return false;
    }
    onWatchedActivation();
    if (msg->wParam == 0) {
        *result = 1;
    }
    return true;
}
#else
// X11 tells a blocked window nothing; the press on it reaches us here, before Qt drops
// it for being blocked. The press is left for Qt to handle as before.
void CustomDialogBase::handleXcbEvent(const void* event)
{
    const QWindow* modal = windowHandle();
    if (!modal || QGuiApplication::modalWindow() != modal) {
        return;
    }
    const quint32 id = XcbButtonPress::window(event);
    if (id == 0) {
        return;
    }
    const QWindow* clicked = topLevelWindowWithId(id);
    if (clicked && clicked != modal && isBlockedBy(clicked, modal)) {
        onWatchedActivation();
    }
}
#endif
