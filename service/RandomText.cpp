#include "service/RandomText.h"

#include <QByteArray>
#include <QRandomGenerator>

namespace zovservice {

QString RandomText::hex(int byteCount)
{
    QByteArray bytes(byteCount, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = char(QRandomGenerator::system()->bounded(256));
    return QString::fromLatin1(bytes.toHex());
}

} // namespace zovservice
