// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick

Rectangle {
    width: 724
    height: 540
    color: "#EEF2F7"
    Text {
        anchors.centerIn: parent
        text: "Minimal window"
    }
}
