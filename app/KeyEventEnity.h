#pragma once

#include <QMetaType>
#include <QString>

// One usage-tracking record's payload: the clicked widget's object name first.
struct KeyEventEnity
{
    QString name;
    QString second;
    QString third;
};
Q_DECLARE_METATYPE(KeyEventEnity)

// Registers the type under "KeyEventEnity" and lets the tracking library read it as a
// string list. Safe to call more than once.
void registerKeyEventEnity();
