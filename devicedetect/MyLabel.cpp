#include "devicedetect/MyLabel.h"

#include <QMouseEvent>

MyLabel::MyLabel(QWidget* parent)
    : QLabel(parent)
{ }

void MyLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    event->accept();
    emit clicked();
}

void MyLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    // A combo box's popup would otherwise take the release as a choice and close at
    // once, before the entry's highlight is seen.
    event->accept();
}
