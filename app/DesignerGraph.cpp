#include "app/DesignerGraph.h"

#include <QPainter>
#include <QRegion>

#include "platform/Canvas.h"
#include "platform/qt/QtCanvas.h"

namespace gc::app {

namespace {

// The frame's edge, and the veil over what lies outside the screen.
constexpr TColor FrameColor = 0x00C07030;
const QColor OutsideVeil(40, 40, 60, 44);

}  // namespace

void TDesignerGraph::FollowScreen() {
  const TScreenProperties screen = Screen();
  const TRect frame = screen.Size ? TRect{0, 0, screen.Size->Width, screen.Size->Height} : TRect();
  if (frame == Frame_ && screen.Background == Background_) return;
  Frame_ = frame;
  Background_ = screen.Background;
  SetGuideFrame(frame);
  Invalidate();
}

void TDesignerGraph::DoGraphChange() {
  FollowScreen();
  TScreenGraph::DoGraphChange();
}

void TDesignerGraph::DoObjectInsert(TGraphObject* object) {
  TScreenGraph::DoObjectInsert(object);
  if (IsScreenObject(object)) FollowScreen();
}

void TDesignerGraph::DoObjectRemove(TGraphObject* object) {
  const bool screen = IsScreenObject(object);
  TScreenGraph::DoObjectRemove(object);
  if (screen) FollowScreen();
}

void TDesignerGraph::Paint(TCanvas& canvas) {
  FollowScreen();
  if (Frame_.IsEmpty()) return TScreenGraph::Paint(canvas);
  canvas.Brush().SetStyle(TBrushStyle::bsSolid);
  canvas.Brush().SetColor(Background_.value_or(Color()));
  canvas.FillRect(Frame_);
  TScreenGraph::Paint(canvas);

  const TPoint topLeft = canvas.LogicalToDevice(Frame_.TopLeft());
  const TPoint bottomRight = canvas.LogicalToDevice(Frame_.BottomRight());
  const QRect frame(QPoint(topLeft.X, topLeft.Y), QPoint(bottomRight.X - 1, bottomRight.Y - 1));
  auto* qtCanvas = dynamic_cast<qt::TQtCanvas*>(&canvas);
  if (!qtCanvas || !qtCanvas->Painter()) {
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    canvas.Pen().SetMode(TPenMode::pmCopy);
    canvas.Pen().SetStyle(TPenStyle::psSolid);
    canvas.Pen().SetWidth(0);
    canvas.Pen().SetColor(FrameColor);
    canvas.Rectangle(Frame_);
    return;
  }
  QPainter& painter = *qtCanvas->Painter();
  const TRect clip = canvas.ClipRect();
  const TPoint clipTopLeft = canvas.LogicalToDevice(clip.TopLeft());
  const TPoint clipBottomRight = canvas.LogicalToDevice(clip.BottomRight());
  const QRegion outside =
      QRegion(QRect(QPoint(clipTopLeft.X, clipTopLeft.Y), QPoint(clipBottomRight.X, clipBottomRight.Y)))
          .subtracted(QRegion(frame));
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (const QRect& r : outside) painter.fillRect(r, OutsideVeil);
  // One device pixel just outside the frame, whatever the zoom.
  painter.setPen(QPen(QColor(FrameColor & 0xFF, (FrameColor >> 8) & 0xFF, (FrameColor >> 16) & 0xFF), 0));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(frame.adjusted(-1, -1, 0, 0));
  painter.restore();
}

}  // namespace gc::app
