#pragma once

#include <QSize>

// How the whiteboard's pen layers fit a scene of a given size: the 4:3 page box fitted
// into the widget, grown by the part of the page below the box. The view ratio (layer
// pixels per page pixel) is shared by every whiteboard of the run.
QSize whiteboardLayerSize(const QSize& contentSize, const QSize& widgetSize);
float whiteboardViewRatio();
