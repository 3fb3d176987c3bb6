import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import GraphControl

ApplicationWindow {
    width: 720
    height: 420
    visible: true
    title: "Diagram in Qt Quick" + (diagram.modified ? " *" : "")

    header: ToolBar {
        RowLayout {
            anchors.fill: parent
            ToolButton {
                text: "Edit"
                checkable: true
                checked: diagram.commandMode === GraphItem.Edit
                onClicked: diagram.commandMode = GraphItem.Edit
            }
            ToolButton {
                text: "Node"
                checkable: true
                checked: diagram.commandMode === GraphItem.AddNode
                onClicked: diagram.commandMode = GraphItem.AddNode
            }
            ToolButton {
                text: "Link"
                checkable: true
                checked: diagram.commandMode === GraphItem.AddLink
                onClicked: diagram.commandMode = GraphItem.AddLink
            }
            ToolSeparator {}
            ToolButton { text: "Undo"; enabled: diagram.canUndo; onClicked: diagram.undo() }
            ToolButton { text: "Redo"; enabled: diagram.canRedo; onClicked: diagram.redo() }
            ToolButton {
                text: "Delete"
                enabled: diagram.selectionCount > 0
                onClicked: diagram.deleteSelection()
            }
            Item { Layout.fillWidth: true }
            Label { text: diagram.zoom + " %"; rightPadding: 8 }
        }
    }

    GraphItem {
        id: diagram
        objectName: "diagram"
        anchors.fill: parent
        focus: true
        Keys.onDeletePressed: deleteSelection()
        onObjectDoubleClicked: (id) => console.log("double-clicked object", id)
    }
}
