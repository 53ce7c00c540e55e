#include "replay/ReplayQmlTypes.h"

#include "replay/MainHelper.h"
#include "replay/VideoImageItem.h"

#include <QQmlEngine>

void registerReplayQmlTypes()
{
    qmlRegisterType<VideoImageItem>("GLGraphics", 1, 0, "VideoImageItem");
    qmlRegisterType<MainHelper>("GLGraphics", 1, 0, "MainHelper");
}
