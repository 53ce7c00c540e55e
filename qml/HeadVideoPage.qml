import QtQuick 2.12
import GLGraphics 1.0

// The head videos beside the whiteboard; a closed camera shows until frames come.
Item {
    width: 320
    height: 240

    Image {
        anchors.fill: parent
        source: "qrc:/media/teacherCloseCamera.png"
        z: 10
    }

    VideoImageItem {
        objectName: "video"
        anchors.fill: parent
        z: 11
    }
}
