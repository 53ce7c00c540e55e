#include "replay/WhiteboardLayout.h"

namespace {

float viewRatio = 1.0f;

} // namespace

QSize whiteboardLayerSize(const QSize& contentSize, const QSize& widgetSize)
{
    const QSize base(contentSize.width(), int(contentSize.width() * 0.75));
    const int extra = qMax(0, contentSize.height() - base.height());
    if (base.width() <= 0 || base.height() <= 0)
        return widgetSize;
    QSize fitted;
    if (widgetSize.height() * base.width() >= widgetSize.width() * base.height())
        fitted = QSize(widgetSize.width(), widgetSize.width() * base.height() / base.width());
    else
        fitted = QSize(widgetSize.height() * base.width() / base.height(), widgetSize.height());
    viewRatio = float(fitted.width()) / float(contentSize.width());
    return QSize(fitted.width(), fitted.height() + int(extra * viewRatio));
}

float whiteboardViewRatio()
{
    return viewRatio;
}
