import QtQuick 2.12
import QtQuick.Shapes 1.12

Shape {
    property int key: 0
    property int m_pwidth: 2
    property string m_color: "#000000"
    property point m_pt1
    property point m_pt2
    property point m_pt3
    antialiasing: true

    ShapePath {
        strokeWidth: m_pwidth
        strokeColor: m_color
        fillColor: "transparent"
        joinStyle: ShapePath.RoundJoin
        startX: m_pt1.x
        startY: m_pt1.y
        PathLine { x: m_pt2.x; y: m_pt2.y }
        PathLine { x: m_pt3.x; y: m_pt3.y }
        PathLine { x: m_pt1.x; y: m_pt1.y }
    }
}
