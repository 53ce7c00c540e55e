#include "app/KeyEventEnity.h"

#include <QStringList>

void registerKeyEventEnity()
{
    static const bool registered = [] {
        qRegisterMetaType<KeyEventEnity>("KeyEventEnity");
        return QMetaType::registerConverter<KeyEventEnity, QStringList>(
            [](const KeyEventEnity& entity) {
                return QStringList { entity.name, entity.second, entity.third };
            });
    }();
    Q_UNUSED(registered)
}
