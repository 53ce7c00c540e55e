import QtQuick 2.12
import GLGraphics 1.0

// The whiteboard of a replayed lesson: the courseware video, and above it, in a layer
// that scrolls with the page, the shapes drawn on it.
Item {
    id: root
    width: 960
    height: 720
    property int content_x: 0
    property int content_y: 0
    antialiasing: true
    layer.samples: 8

    Image {
        anchors.fill: parent
        source: "qrc:/opengl/default_ppt_4x3.png"
        z: 9
    }

    VideoImageItem {
        objectName: "pptVideo"
        anchors.fill: parent
        z: 10
    }

    Flickable {
        id: flickable
        objectName: "flickableObj"
        anchors.fill: parent
        z: 11
        interactive: false
        contentX: root.content_x
        contentY: root.content_y

        MainHelper {
            objectName: "mainHelper"

            Component.onCompleted: {
                width = getWidth();
                height = getHeight();
                loadCompleted();
            }

            function create(file, uuid, properties) {
                var component = Qt.createComponent(file);
                if (component.status !== Component.Ready) {
                    console.log(component.errorString());
                    return;
                }
                properties.z = 11;
                properties.key = uuid;
                insertFinished(component.createObject(flickable.contentItem, properties));
            }

            function twoPoints(pw, color, x1, y1, x2, y2) {
                return { m_pwidth: pw, m_color: color, m_pt1: Qt.point(x1, y1), m_pt2: Qt.point(x2, y2) };
            }

            function insertLine(uuid, pw, color, x1, y1, x2, y2) {
                create("qrc:/qml/Shape_LineItem.qml", uuid, twoPoints(pw, color, x1, y1, x2, y2));
            }

            function insertdash(uuid, pw, color, x1, y1, x2, y2) {
                create("qrc:/qml/Shape_DashItem.qml", uuid, twoPoints(pw, color, x1, y1, x2, y2));
            }

            function insertArrowLine(uuid, sendData, x1, y1, x2, y2, x3, y3, x4, y4) {
                var pen = JSON.parse(sendData);
                var properties = twoPoints(pen.pw, pen.color, x1, y1, x2, y2);
                properties.m_pt3 = Qt.point(x3, y3);
                properties.m_pt4 = Qt.point(x4, y4);
                create("qrc:/qml/Shape_LineItemArrow.qml", uuid, properties);
            }

            function insertTrianle(uuid, pw, color, x1, y1, x2, y2, x3, y3) {
                var properties = twoPoints(pw, color, x1, y1, x2, y2);
                properties.m_pt3 = Qt.point(x3, y3);
                create("qrc:/qml/Shape_TriangleItem.qml", uuid, properties);
            }

            function insertRect(uuid, pw, color, x1, y1, x2, y2) {
                create("qrc:/qml/Shape_RectItem.qml", uuid, twoPoints(pw, color, x1, y1, x2, y2));
            }

            function insertEllipse(uuid, pw, color, x1, y1, x2, y2) {
                create("qrc:/qml/Shape_EllipseItem.qml", uuid, twoPoints(pw, color, x1, y1, x2, y2));
            }

            function insertText(uuid, pw, color, x1, y1, x2, y2, texts, txtsize, borderviser) {
                var properties = twoPoints(pw, color, x1, y1, x2, y2);
                properties.m_commtext = texts;
                properties.m_fontzise = txtsize;
                create("qrc:/qml/Shape_TxtItem.qml", uuid, properties);
            }
        }
    }
}
