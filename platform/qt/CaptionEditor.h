// Editing a node's caption where it is shown: a text field over the node's
// caption area, in the node's font, colours and alignment at the view's zoom.
// Return, or the focus going to another widget of the window, commits the
// text as one undo step named "text"; Escape cancels; Shift+Return starts a
// new line (stored as CR LF, the line break captions are drawn with).
//
// The editor keeps the node by identifier, so a node that undo, a program or
// another view removes meanwhile only closes the editor. It follows the
// node's moves, the zoom and the scroll positions, and closes itself (it is
// deleted later, as Qt's deleteLater) once committed or cancelled.
#pragma once

#include <QTextEdit>
#include <string>

namespace gc {
class TGraphNode;
}

namespace gc::qt {

class TGraphWidget;

class TCaptionEditor : public QTextEdit {
  Q_OBJECT

 public:
  TCaptionEditor(TGraphWidget* view, TGraphNode* node);

  uint32_t NodeID() const { return NodeID_; }
  // Gives the node the edited text (one undo step, nothing when unchanged)
  // and closes; Cancel closes and leaves the node as it was.
  void Commit();
  void Cancel();

 signals:
  // Once, when the editor closes; `committed` is false for a cancel.
  void finished(bool committed);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  TGraphNode* Node() const;
  // Puts the field over the caption area as the view shows it now.
  void Place();
  // Places the lines vertically as the node's Layout places its caption.
  void PlaceLines();
  void Close(bool commit);

  TGraphWidget* View_;
  uint32_t NodeID_;
  std::string Original_;
  bool Closed_ = false;
};

// The caption's text with every line break as "\n", as the field shows it,
// and back as the node stores it ("\r\n").
QString CaptionToField(const std::string& text);
std::string FieldToCaption(const QString& text);

}  // namespace gc::qt
