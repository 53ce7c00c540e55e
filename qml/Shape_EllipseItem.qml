import QtQuick 2.12
import QtQuick.Shapes 1.12

// Two half arcs inscribed in the box from m_pt1 to m_pt2.
Shape {
    property int key: 0
    property int m_pwidth: 2
    property string m_color: "#000000"
    property point m_pt1
    property point m_pt2
    readonly property real halfWidth: Math.abs(m_pt2.x - m_pt1.x) / 2
    readonly property real halfHeight: Math.abs(m_pt2.y - m_pt1.y) / 2
    readonly property real centreY: (m_pt1.y + m_pt2.y) / 2
    antialiasing: true

    ShapePath {
        strokeWidth: m_pwidth
        strokeColor: m_color
        fillColor: "transparent"
        startX: Math.min(m_pt1.x, m_pt2.x)
        startY: centreY
        PathArc {
            x: Math.max(m_pt1.x, m_pt2.x); y: centreY
            radiusX: halfWidth; radiusY: halfHeight
        }
        PathArc {
            x: Math.min(m_pt1.x, m_pt2.x); y: centreY
            radiusX: halfWidth; radiusY: halfHeight
        }
    }
}
