#pragma once

#include <QVector>
#include <QWidget>

// The replay's progress bar: the played part in the program's red, a round handle, and
// seeking by clicking or dragging. Values are fractions of the video, 0 to 1.
class VideoPrograssBar : public QWidget
{
    Q_OBJECT
public:
    // A named place on the bar, as a fraction of the video.
    struct Mark
    {
        float value;
        QString text;
    };

    explicit VideoPrograssBar(QWidget* parent = nullptr);

    float value() const { return m_value; }
    // Moves the handle, unless the user is dragging it.
    void setValue(float value);
    QSize sizeHint() const override;
    void setMarks(const QVector<Mark>& marks);

signals:
    // The fraction the user released the handle at.
    void valueChanged(float value);
    // The fraction under the pointer, where to show it, and whether to show it at all.
    void tooltipChanged(float value, QPoint pos, bool show);
    // The text of the mark under the pointer instead.
    void tooltipChanged(QString text, QPoint pos, bool show);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    float fractionAt(int x) const;
    const Mark* markNear(float fraction) const;
    void drawMarks(QPainter& painter, const QRectF& track) const;

    float m_value = 0;
    bool m_dragging = false;
    QVector<Mark> m_marks;
};
