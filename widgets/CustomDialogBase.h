#pragma once

#include <QAbstractNativeEventFilter>
#include <QDialog>
#include <QElapsedTimer>

namespace Ui {
class CustomDialogBase;
}

// The base of every dialog of the program: frameless, rounded and shadowed, with a title
// bar and close button, a central widget for the derived dialog's form, dragging by any
// free spot, and a shake when the user keeps clicking the window a modal dialog blocks.
class CustomDialogBase : public QDialog, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    explicit CustomDialogBase(QWidget* parent = nullptr);
    ~CustomDialogBase() override;

    // Where a derived dialog puts its own form.
    QWidget* centralWidget() const;

    void setTitle(const QString& text, const QString& styleSheet);
    // Without the title bar the central widget takes all four round corners.
    void showTitleBar(bool show);

    virtual void playPromptAnimation();

    bool nativeEventFilter(const QByteArray& eventType, void* message, long* result) override;

protected slots:
    virtual void onClose();
    void onDialogPromptFinished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool watchesActivation() const;
    void onWatchedActivation();
#ifdef Q_OS_WIN
    bool handleWindowsMessage(void* message, long* result);
#else
    void handleXcbEvent(const void* event);
#endif

    Ui::CustomDialogBase* m_ui;
    int m_lastX = 0;
    int m_lastY = 0;
    bool m_dragging = false;
    int m_shadowWidth = 6;
    int m_margin = 6;
    QElapsedTimer m_clock;
    bool m_shakeRunning = false;
};
