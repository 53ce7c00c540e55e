#pragma once

#include <QLabel>

// A label that reports left clicks. It keeps the clicks to itself, so that a list it sits
// in does not act on them as well.
class MyLabel : public QLabel
{
    Q_OBJECT

public:
    explicit MyLabel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
