#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>

// Stands in for the program's click record: a type of its own that it teaches
// QVariant to turn into a string list.
struct ClickRecord
{
    QString name;
    QString second;
    QString third;
};

Q_DECLARE_METATYPE(ClickRecord)

inline void registerClickRecord()
{
    static const bool registered
        = QMetaType::registerConverter<ClickRecord, QStringList>([](const ClickRecord& record) {
              return QStringList { record.name, record.second, record.third };
          });
    Q_UNUSED(registered)
}
