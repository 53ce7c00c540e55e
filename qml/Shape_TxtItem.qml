import QtQuick 2.12

// A text box from m_pt1 to m_pt2 whose text scrolls by contentY, as it was scrolled
// when the lesson was recorded.
Flickable {
    property int key: 0
    property int m_pwidth: 2
    property string m_color: "#000000"
    property point m_pt1
    property point m_pt2
    property string m_commtext
    property int m_fontzise: 16
    x: m_pt1.x
    y: m_pt1.y
    width: m_pt2.x - m_pt1.x
    height: m_pt2.y - m_pt1.y
    interactive: false
    clip: true
    contentHeight: label.height + 20

    Text {
        id: label
        x: 10
        y: 10
        width: parent.width - 20
        wrapMode: Text.Wrap
        font.family: "Microsoft Yahei"
        font.pixelSize: m_fontzise
        color: m_color
        text: m_commtext
    }
}
