#include "replay/MainHelper.h"

#include "replay/MainQuickWidget.h"
#include "replay/ReplayPlayPage.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <cmath>

namespace {

constexpr int kLoadedDelayMs = 100;
constexpr double kBarbLength = 10;
constexpr double kBarbAngle = 0.5;

struct ArrowPoints
{
    QPoint tip;
    QPoint tail;
    QPoint barb1;
    QPoint barb2;
};

// The second point is the tip; the barbs lean back from it by half a radian each way.
ArrowPoints arrowPoints(const QList<QPoint>& points)
{
    ArrowPoints arrow { points.at(1), points.at(0), {}, {} };
    const double angle = std::atan2(arrow.tip.y() - arrow.tail.y(), arrow.tip.x() - arrow.tail.x());
    const auto barb = [&arrow](double direction) {
        return QPoint(int(arrow.tip.x() - kBarbLength * std::cos(direction)),
            int(arrow.tip.y() - kBarbLength * std::sin(direction)));
    };
    arrow.barb1 = barb(angle - kBarbAngle);
    arrow.barb2 = barb(angle + kBarbAngle);
    return arrow;
}

// Rectangles and text boxes are laid out from their top-left corner.
QPair<QPoint, QPoint> normalised(const QPoint& a, const QPoint& b)
{
    return { QPoint(qMin(a.x(), b.x()), qMin(a.y(), b.y())),
        QPoint(qMax(a.x(), b.x()), qMax(a.y(), b.y())) };
}

int pointsNeeded(qint16 shapeType)
{
    return shapeType == GraphicsData::Triangle ? 3 : 2;
}

bool isKnownShape(qint16 shapeType)
{
    switch (shapeType) {
    case GraphicsData::Line:
    case GraphicsData::Arrow:
    case GraphicsData::Triangle:
    case GraphicsData::Rectangle:
    case GraphicsData::Ellipse:
    case GraphicsData::Text:
    case GraphicsData::DashedLine:
        return true;
    default:
        return false;
    }
}

MainQuickWidget* currentScene()
{
    ReplayPlayPage* page = ReplayPlayPage::current();
    return page ? page->whiteboardScene() : nullptr;
}

} // namespace

MainHelper::MainHelper(QQuickItem* parent)
    : QQuickItem(parent)
{ }

void MainHelper::loadCompleted()
{
    qDebug() << "MainHelper::loadCompleted";
    QTimer::singleShot(kLoadedDelayMs, [] {
        if (MainQuickWidget* scene = currentScene())
            scene->onQmlLoadCompleted();
    });
}

int MainHelper::getWidth()
{
    MainQuickWidget* scene = currentScene();
    return scene ? scene->width() : 960;
}

int MainHelper::getHeight()
{
    MainQuickWidget* scene = currentScene();
    return scene ? scene->height() : 720;
}

void MainHelper::insertFinished(QObject* item)
{
    if (!item) {
        qDebug() << "MainHelper::insertFinished Error: item is null";
        return;
    }
    const int key = item->property("key").toInt();
    qDebug() << "MainQuickWidget::onDrawFinished" << key;
    if (m_items.contains(key)) {
        qDebug() << "MainHelper::insertFinished id:" << key << "has inserted";
        return;
    }
    m_items.insert(key, item);
}

void MainHelper::clear()
{
    for (const QPointer<QObject>& item : qAsConst(m_items)) {
        if (item)
            item->deleteLater();
    }
    m_items.clear();
}

void MainHelper::remove(const QList<qint32>& ids)
{
    for (const qint32 id : ids) {
        if (QObject* item = m_items.take(id))
            item->deleteLater();
    }
}

void MainHelper::insert(const GraphicsData& data)
{
    if (data.actionType == GraphicsData::Delete) {
        remove(data.ids);
        return;
    }
    qDebug() << "MainHelper::insert" << data.actionType << data.shapeType << data.graphicId;
    if (!isKnownShape(data.shapeType) || data.points.size() < pointsNeeded(data.shapeType))
        return;
    const QString colour
        = QStringLiteral("#%1").arg(data.color & 0xFFFFFF, 6, 16, QLatin1Char('0'));
    QObject* existing = m_items.value(data.graphicId);
    if (data.actionType == GraphicsData::Update && existing)
        updateItem(existing, data, colour);
    else
        createItem(data, colour);
}

void MainHelper::createItem(const GraphicsData& data, const QString& colour)
{
    const QList<QPoint>& points = data.points;
    const int width = data.lineWidth;
    switch (data.shapeType) {
    case GraphicsData::Line:
    case GraphicsData::DashedLine:
    case GraphicsData::Ellipse: {
        const char* function = data.shapeType == GraphicsData::Line ? "insertLine"
            : data.shapeType == GraphicsData::DashedLine            ? "insertdash"
                                                                    : "insertEllipse";
        QMetaObject::invokeMethod(this, function, Q_ARG(QVariant, data.graphicId),
            Q_ARG(QVariant, width), Q_ARG(QVariant, colour), Q_ARG(QVariant, points[0].x()),
            Q_ARG(QVariant, points[0].y()), Q_ARG(QVariant, points[1].x()),
            Q_ARG(QVariant, points[1].y()));
        break;
    }
    case GraphicsData::Rectangle: {
        const auto [topLeft, bottomRight] = normalised(points[0], points[1]);
        QMetaObject::invokeMethod(this, "insertRect", Q_ARG(QVariant, data.graphicId),
            Q_ARG(QVariant, width), Q_ARG(QVariant, colour), Q_ARG(QVariant, topLeft.x()),
            Q_ARG(QVariant, topLeft.y()), Q_ARG(QVariant, bottomRight.x()),
            Q_ARG(QVariant, bottomRight.y()));
        break;
    }
    case GraphicsData::Text: {
        const auto [topLeft, bottomRight] = normalised(points[0], points[1]);
        QMetaObject::invokeMethod(this, "insertText", Q_ARG(QVariant, data.graphicId),
            Q_ARG(QVariant, width), Q_ARG(QVariant, colour), Q_ARG(QVariant, topLeft.x()),
            Q_ARG(QVariant, topLeft.y()), Q_ARG(QVariant, bottomRight.x()),
            Q_ARG(QVariant, bottomRight.y()), Q_ARG(QVariant, QString::fromUtf8(data.text)),
            Q_ARG(QVariant, int(data.fontSize)), Q_ARG(QVariant, false));
        break;
    }
    case GraphicsData::Triangle:
        QMetaObject::invokeMethod(this, "insertTrianle", Q_ARG(QVariant, data.graphicId),
            Q_ARG(QVariant, width), Q_ARG(QVariant, colour), Q_ARG(QVariant, points[0].x()),
            Q_ARG(QVariant, points[0].y()), Q_ARG(QVariant, points[1].x()),
            Q_ARG(QVariant, points[1].y()), Q_ARG(QVariant, points[2].x()),
            Q_ARG(QVariant, points[2].y()));
        break;
    case GraphicsData::Arrow: {
        const ArrowPoints arrow = arrowPoints(points);
        const QJsonObject pen { { QStringLiteral("pw"), width },
            { QStringLiteral("color"), colour } };
        QMetaObject::invokeMethod(this, "insertArrowLine", Q_ARG(QVariant, data.graphicId),
            Q_ARG(QVariant, QString::fromUtf8(QJsonDocument(pen).toJson(QJsonDocument::Compact))),
            Q_ARG(QVariant, arrow.tip.x()), Q_ARG(QVariant, arrow.tip.y()),
            Q_ARG(QVariant, arrow.tail.x()), Q_ARG(QVariant, arrow.tail.y()),
            Q_ARG(QVariant, arrow.barb1.x()), Q_ARG(QVariant, arrow.barb1.y()),
            Q_ARG(QVariant, arrow.barb2.x()), Q_ARG(QVariant, arrow.barb2.y()));
        break;
    }
    default:
        break;
    }
}

void MainHelper::updateItem(QObject* item, const GraphicsData& data, const QString& colour)
{
    QPoint first = data.points[0];
    QPoint second = data.points[1];
    if (data.shapeType == GraphicsData::Rectangle || data.shapeType == GraphicsData::Text) {
        const QPair<QPoint, QPoint> corners = normalised(first, second);
        first = corners.first;
        second = corners.second;
    }
    if (data.shapeType == GraphicsData::Arrow) {
        const ArrowPoints arrow = arrowPoints(data.points);
        first = arrow.tip;
        second = arrow.tail;
        item->setProperty("m_pt3", QPointF(arrow.barb1));
        item->setProperty("m_pt4", QPointF(arrow.barb2));
    }
    item->setProperty("m_pt1", QPointF(first));
    item->setProperty("m_pt2", QPointF(second));
    if (data.shapeType == GraphicsData::Triangle)
        item->setProperty("m_pt3", QPointF(data.points[2]));
    item->setProperty("m_pwidth", int(data.lineWidth));
    item->setProperty("m_color", colour);
    if (data.shapeType == GraphicsData::Text) {
        item->setProperty("m_commtext", QString::fromUtf8(data.text));
        item->setProperty("m_fontzise", int(data.fontSize));
        item->setProperty("contentY", double(data.contentY));
    }
}
