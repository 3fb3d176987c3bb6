// TGraphOverview: the whole diagram of a TGraphWidget drawn small, with the
// rectangle the widget shows on it. Pressing or dragging in the overview
// scrolls the widget so that the point under the mouse comes to the middle of
// its view. The overview follows the widget's changes, zoom and scrolling.
//
// It only reads the control (it is not a host): objects come from the
// control's spatial index and are drawn without captions, an object smaller
// than a pixel as one pixel, so a picture of 100,000 objects stays cheap.
// The picture is kept between repaints and drawn afresh after the diagram
// changed (while it keeps changing, at most once in ten times what a picture
// takes); scrolling and zooming only move the view's rectangle.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "GraphControl/Types.h"

namespace gc {
class TGraphControl;
}

namespace gc::qt {

class TGraphWidget;

class TGraphOverview : public QWidget {
  Q_OBJECT

 public:
  explicit TGraphOverview(QWidget* parent = nullptr);
  explicit TGraphOverview(TGraphWidget* view, QWidget* parent = nullptr);
  ~TGraphOverview() override;

  // The widget whose diagram is shown and scrolled (or none). Not owned; a
  // destroyed widget leaves the overview empty.
  TGraphWidget* View() const { return ViewAlive_ ? View_ : nullptr; }
  void SetView(TGraphWidget* view);

  // The graph area the overview shows (the diagram's extent with a margin),
  // and the mapping between overview positions and graph points.
  TRect ShownArea() const { return Shown_; }
  QPointF MapToGraph(const QPointF& overviewPos) const;
  QPointF MapFromGraph(const QPointF& graphPoint) const;
  // Scrolls the view so that `graphPoint` is in the middle of its client
  // area, as far as the scroll ranges allow.
  void CenterViewOn(const QPointF& graphPoint);

  // The diagram drawn small at the overview's size, without the view's
  // rectangle: what a repaint shows after a change.
  QImage RenderDiagram();

  // While the diagram keeps changing (a drag), the picture is drawn afresh
  // at most once in ten times what the last one took, so that a large
  // diagram does not slow the view down. Unthrottled, every repaint after a
  // change draws it afresh (what tests that compare pixels need).
  void SetThrottled(bool throttled) { Throttled_ = throttled; }
  bool Throttled() const { return Throttled_; }

  QSize sizeHint() const override { return {220, 160}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  // Repaints of the view's viewport tell of scrolling.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TGraphControl* Control() const;
  void DiagramChanged();
  void ViewMoved();
  void UpdateShownArea();
  QRectF ViewRect() const;

  // The view, and guards that tell whether it and its viewport still exist.
  // They are QObject pointers: while the view is being destroyed it is no
  // longer a TGraphWidget, and a typed guard would cast it to one.
  TGraphWidget* View_ = nullptr;
  QPointer<QObject> ViewAlive_;
  QPointer<QObject> Viewport_;
  QImage Picture_;
  bool PictureStale_ = true;
  bool Throttled_ = true;
  QElapsedTimer SinceRefresh_;
  qint64 RenderCost_ = 0;  // milliseconds the last picture took
  QTimer RefreshTimer_;
  TRect Shown_;
  TRect LastVisible_;
  bool Dragging_ = false;
};

}  // namespace gc::qt
