import QtQuick 2.12
import QtQuick.Shapes 1.12

// m_pt1 is the tip; the shaft goes to m_pt2 and the two barbs to m_pt3 and m_pt4.
Shape {
    property int key: 0
    property int m_pwidth: 2
    property string m_color: "#000000"
    property point m_pt1
    property point m_pt2
    property point m_pt3
    property point m_pt4
    antialiasing: true

    ShapePath {
        strokeWidth: m_pwidth
        strokeColor: m_color
        fillColor: "transparent"
        capStyle: ShapePath.RoundCap
        joinStyle: ShapePath.RoundJoin
        startX: m_pt2.x
        startY: m_pt2.y
        PathLine { x: m_pt1.x; y: m_pt1.y }
        PathLine { x: m_pt3.x; y: m_pt3.y }
        PathMove { x: m_pt1.x; y: m_pt1.y }
        PathLine { x: m_pt4.x; y: m_pt4.y }
    }
}
