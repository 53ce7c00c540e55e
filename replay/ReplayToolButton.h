#pragma once

#include <QString>

class QToolButton;
class QWidget;

// A flat button of the replay window's bars: an icon (or text) on the dark background,
// a hand cursor, and no keyboard focus, since keys belong to the window's player
// shortcuts and not to the last button clicked.
QToolButton* makeReplayToolButton(
    QWidget* parent, const QString& name, const QString& icon, int iconSize, const char* style);
