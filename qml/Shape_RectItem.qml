import QtQuick 2.12

Rectangle {
    property int key: 0
    property int m_pwidth: 2
    property string m_color: "#000000"
    property point m_pt1
    property point m_pt2
    x: m_pt1.x
    y: m_pt1.y
    width: m_pt2.x - m_pt1.x
    height: m_pt2.y - m_pt1.y
    color: "transparent"
    border.width: m_pwidth
    border.color: m_color
    antialiasing: true
}
