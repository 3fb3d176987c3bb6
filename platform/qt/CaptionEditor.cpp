#include "platform/qt/CaptionEditor.h"

#include <QAbstractTextDocumentLayout>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

#include "GraphControl/Control.h"
#include "GraphControl/GraphNode.h"
#include "platform/qt/GraphWidget.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtTypes.h"

namespace gc::qt {

namespace {

// The smallest field, in pixels: room for a few characters even over a tiny
// node or at a small zoom.
constexpr int MinFieldWidth = 48;

Qt::Alignment HorizontalAlignment(TAlignment alignment) {
  switch (alignment) {
    case taLeftJustify:
      return Qt::AlignLeft;
    case taRightJustify:
      return Qt::AlignRight;
    case taCenter:
      break;
  }
  return Qt::AlignHCenter;
}

}  // namespace

QString CaptionToField(const std::string& text) {
  QString field = QString::fromStdString(text);
  field.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  field.replace(QChar('\r'), QChar('\n'));
  return field;
}

std::string FieldToCaption(const QString& text) {
  QString caption = text;
  caption.replace(QChar('\n'), QStringLiteral("\r\n"));
  return caption.toStdString();
}

TCaptionEditor::TCaptionEditor(TGraphWidget* view, TGraphNode* node)
    : QTextEdit(view->viewport()), View_(view), NodeID_(node->ID()), Original_(node->Text()) {
  setObjectName(QStringLiteral("CaptionEditor"));
  setAcceptRichText(false);
  setTabChangesFocus(true);
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setLineWrapMode(QTextEdit::WidgetWidth);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  document()->setDocumentMargin(0);

  // The node's colours: its fill behind the text (the view's colour where the
  // node is not filled) and its font colour.
  QPalette colours = palette();
  const TColor fill =
      node->Brush().Style() == TBrushStyle::bsClear ? view->Control()->Color() : node->Brush().Color();
  colours.setColor(QPalette::Base, ToQColor(fill));
  colours.setColor(QPalette::Text, ToQColor(node->Font().Color()));
  setPalette(colours);
  QTextOption option = document()->defaultTextOption();
  option.setAlignment(HorizontalAlignment(node->Alignment()));
  document()->setDefaultTextOption(option);

  setPlainText(CaptionToField(Original_));
  selectAll();

  connect(document(), &QTextDocument::contentsChanged, this, [this] { PlaceLines(); });
  connect(view, &TGraphWidget::zoomChanged, this, [this] { Place(); });
  connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { Place(); });
  connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { Place(); });
  connect(view, &TGraphWidget::objectChanged, this, [this](quint32 id) {
    if (id == NodeID_) Place();
  });
  connect(view, &TGraphWidget::objectRemoved, this, [this](quint32 id) {
    if (id == NodeID_) Cancel();
  });

  Place();
  show();
  setFocus(Qt::OtherFocusReason);
}

TGraphNode* TCaptionEditor::Node() const {
  TGraphControl* control = View_->Control();
  TGraphObject* object = control ? control->ObjectByID(NodeID_) : nullptr;
  return object && object->IsNode() ? static_cast<TGraphNode*>(object) : nullptr;
}

void TCaptionEditor::Place() {
  const TGraphNode* node = Node();
  if (!node || Closed_) return;
  const double zoom = View_->Control()->Zoom() / 100.0;
  QFont font = TQtCanvas::ToQFont(node->Font());
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * zoom))));
  setFont(font);

  const TRect area = node->GetCaptionBounds();
  const QPointF topLeft = View_->MapFromGraph(QPointF(area.Left, area.Top));
  const QPointF bottomRight = View_->MapFromGraph(QPointF(area.Right, area.Bottom));
  // The frame sits just outside the caption area, so the text starts where
  // the caption is drawn.
  QRect field = QRectF(topLeft, bottomRight).toAlignedRect().adjusted(-1, -1, 1, 1);
  const int lineHeight = QFontMetrics(font).height() + 2;
  const QPoint centre = field.center();
  if (field.width() < MinFieldWidth) field.setWidth(MinFieldWidth);
  if (field.height() < lineHeight) field.setHeight(lineHeight);
  field.moveCenter(centre);
  setGeometry(field);
  PlaceLines();
}

void TCaptionEditor::PlaceLines() {
  const TGraphNode* node = Node();
  if (!node) return;
  const int room = contentsRect().height();
  const int lines = static_cast<int>(std::ceil(document()->documentLayout()->documentSize().height()));
  int top = 0;
  if (node->Layout() == tlCenter)
    top = std::max(0, (room - lines) / 2);
  else if (node->Layout() == tlBottom)
    top = std::max(0, room - lines);
  if (viewportMargins().top() != top) setViewportMargins(0, top, 0, 0);
}

void TCaptionEditor::resizeEvent(QResizeEvent* event) {
  QTextEdit::resizeEvent(event);
  PlaceLines();
}

void TCaptionEditor::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      Cancel();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (event->modifiers() & Qt::ShiftModifier)
        insertPlainText(QStringLiteral("\n"));
      else
        Commit();
      return;
    default:
      QTextEdit::keyPressEvent(event);
  }
}

// Leaving the field for another widget commits; the field's own context
// menu and another window taking the activation do not end the editing.
void TCaptionEditor::focusOutEvent(QFocusEvent* event) {
  QTextEdit::focusOutEvent(event);
  if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason) Close(true);
}

void TCaptionEditor::Commit() { Close(true); }

void TCaptionEditor::Cancel() { Close(false); }

void TCaptionEditor::Close(bool commit) {
  if (Closed_) return;
  Closed_ = true;
  const bool hadFocus = hasFocus();
  if (TGraphNode* node = commit ? Node() : nullptr) {
    const std::string text = FieldToCaption(toPlainText());
    if (text != Original_) {
      TGraphControl::THistoryStep step(*View_->Control(), "text");
      node->SetText(text);
    }
  }
  hide();
  // Return and Escape give the keyboard back to the drawing area; a click
  // elsewhere has taken it already.
  if (hadFocus) View_->setFocus(Qt::OtherFocusReason);
  emit finished(commit);
  deleteLater();
}

}  // namespace gc::qt
