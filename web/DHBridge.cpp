#include "web/DHBridge.h"

DHBridge::DHBridge(QObject* parent)
    : QObject(parent)
{ }
