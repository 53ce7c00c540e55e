#pragma once

#include <QPoint>
#include <QWidget>

class QLabel;
class QToolButton;

// The replay window's own title bar: back, the lesson's name, minimise, maximise and
// close, and dragging the frameless window by it.
class RoomTitleWidget : public QWidget
{
    Q_OBJECT
public:
    explicit RoomTitleWidget(QWidget* parent = nullptr);

    void setTitle(const QString& title);

signals:
    // The drag has ended and the window stands somewhere new.
    void posChanged();
    void sigMoveWindow(int ox, int oy);
    void sigCloseWindow();
    void sigMinWindow();
    void sigMaxWindow();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QToolButton* iconButton(const QString& name, const QString& icon);

    QLabel* m_title;
    bool m_dragging = false;
    QPoint m_lastGlobalPos;
};
