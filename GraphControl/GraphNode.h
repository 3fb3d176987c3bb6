// TGraphNode: a box-like graph object with integer bounds, a caption laid out
// inside it, an optional background picture and a shape. Everything that does
// not depend on the shape lives here; the shape classes (NodeShapes.h) supply
// the outline, its region, its drawing and its crossings with a line.
// TPolygonalNode keeps the outline of the polygon shapes as a list of vertices.
//
// Region, PolygonPoints, CaptionRect, DisplayText and PaintBounds are derived
// from the bounds and cached: rebuilt by Prepare and by size or caption
// changes, offset by a pure move.
#pragma once

#include <cstdint>
#include <vector>

#include "GraphControl/GraphObject.h"
#include "GraphControl/Picture.h"
#include "GraphControl/Region.h"
#include "GraphControl/Types.h"

namespace gc {

class TCanvas;
template <class T>
struct TPropertyTable;
struct TRecordType;

// Horizontal caption alignment (streamed by ordinal).
enum TAlignment : uint8_t { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };
// Vertical caption placement (streamed by ordinal).
enum TTextLayout : uint8_t { tlTop = 0, tlCenter = 1, tlBottom = 2 };

// Node options; stored as one byte, bit 0 = gnoMovable.
using TGraphNodeOptions = uint8_t;
inline constexpr TGraphNodeOptions gnoMovable = 1;         // the node may be moved
inline constexpr TGraphNodeOptions gnoResizable = 2;       // the node may be resized
inline constexpr TGraphNodeOptions gnoShowBackground = 4;  // the background picture is drawn
inline constexpr TGraphNodeOptions gnoAllOptions = gnoMovable | gnoResizable | gnoShowBackground;

// Node hit codes. Marker codes never combine; nhBody and nhCaption do.
inline constexpr THitCode nhLeft = 0x0002;         // marker at the middle of the left edge
inline constexpr THitCode nhTop = 0x0004;          // marker at the middle of the top edge
inline constexpr THitCode nhRight = 0x0008;        // marker at the middle of the right edge
inline constexpr THitCode nhBottom = 0x0010;       // marker at the middle of the bottom edge
inline constexpr THitCode nhTopLeft = 0x0020;      // corner marker (L, T)
inline constexpr THitCode nhTopRight = 0x0040;     // corner marker (R, T)
inline constexpr THitCode nhBottomLeft = 0x0080;   // corner marker (L, B)
inline constexpr THitCode nhBottomRight = 0x0100;  // corner marker (R, B)
inline constexpr THitCode nhBody = htBody;         // inside Region
inline constexpr THitCode nhCaption = htCaption;   // inside CaptionRect while goShowCaption is set
// Every code that names a part of a node.
inline constexpr THitCode nhAnyPart = 0x07FE;

class TGraphNode : public TGraphObject {
 public:
  static const TGraphObjectClass* StaticClass();
  const TGraphObjectClass* ClassType() const override;

  // The named constructor the control inserts nodes with (the class
  // descriptor's node factory): the C++ constructor of `cls`, then
  // SetBoundsRect(rect), then the post-construction steps.
  static TGraphObject* CreateWithBounds(const TGraphObjectClass* cls, TGraphControl* owner,
                                        const TRect& rect);
  // Typed form: TGraphNode::CreateWithBounds<TEllipticNode>(owner, rect).
  template <class TNode>
  static TNode* CreateWithBounds(TGraphControl* owner, const TRect& rect) {
    return static_cast<TNode*>(CreateWithBounds(TNode::StaticClass(), owner, rect));
  }

  // ---- Bounds ---------------------------------------------------------------
  // While the node is being read from a stream the setters store the value as
  // it is; otherwise they go through SetBounds (clamping, permission events).
  int32_t Left() const { return Left_; }
  void SetLeft(int32_t value);
  int32_t Top() const { return Top_; }
  void SetTop(int32_t value);
  int32_t Width() const { return Width_; }
  void SetWidth(int32_t value);
  int32_t Height() const { return Height_; }
  void SetHeight(int32_t value);

  // ---- Caption and appearance -------------------------------------------------
  TAlignment Alignment() const { return Alignment_; }
  void SetAlignment(TAlignment value);
  TTextLayout Layout() const { return Layout_; }
  void SetLayout(TTextLayout value);
  // Distance between the outline allowance and the caption area.
  int32_t Margin() const { return Margin_; }
  void SetMargin(int32_t value);
  // The owned picture; editing it directly reports a change as well.
  const TPicture& Background() const { return Background_; }
  TPicture& Background() { return Background_; }
  void SetBackground(const TPicture& value) { Background_.Assign(value); }
  // Insets of the background picture in percent of Width (Left, Right) and
  // Height (Top, Bottom).
  const TRect& BackgroundMargins() const { return BackgroundMargins_; }
  void SetBackgroundMargins(const TRect& value);
  TGraphNodeOptions NodeOptions() const { return NodeOptions_; }
  void SetNodeOptions(TGraphNodeOptions value);

  // ---- Derived data ---------------------------------------------------------------
  // The filled area of the shape in graph coordinates; empty only before
  // Prepare. It is made when first needed (hit, painted, read): most nodes
  // of a large diagram are never on screen.
  const TOptionalRegion& Region() const {
    if (RegionStale_) {
      RegionStale_ = false;
      Region_ = CreateShapeRegion();
    }
    return Region_;
  }
  // Where DisplayText is drawn, in graph coordinates; (0,0,0,0) without Text.
  const TRect& CaptionRect() const {
    EnsureCaptionLayout();
    return CaptionRect_;
  }
  // Lays the caption out if a change asked for it since the last layout.
  void EnsureCaptionLayout() const override;

  // ---- Node operations ------------------------------------------------------------
  // Where the line through `point` with direction `angle` crosses the outline.
  virtual TPoints OutlineIntersections(TPoint point, double angle) const = 0;
  // The area the caption may use: the bounds shrunk by the pen allowance and Margin.
  virtual TRect GetCaptionBounds() const;
  // Fits Text into the caption area (filling DisplayText) and returns the
  // rectangle the fitted text occupies, placed by Alignment and Layout.
  virtual TRect LayoutCaption();
  virtual TRegion CreateShapeRegion() const = 0;
  // Region as seen through the canvas's view mapping (device pixels), for
  // platform code that works on device regions. The canvas's own clipping
  // takes logical regions.
  virtual TOptionalRegion CreateDeviceRegion(const TCanvas& canvas) const;
  // Stretches the background picture into the inset target, clipped to the
  // shape, and outlines the shape again on top of it.
  virtual void DrawBackground(TCanvas& canvas);
  // Fills and outlines the shape with the canvas's current brush and pen.
  virtual void DrawShape(TCanvas& canvas) = 0;
  virtual TPoint GetShapeCenter() const;
  // Clamps a proposed placement to MinNodeSize and the owner's constraints,
  // then lets OnCanMoveResizeNode adjust it and refuse the move or the resize.
  virtual void CheckMoveResize(int32_t& left, int32_t& top, int32_t& width, int32_t& height, bool& canMove,
                               bool& canResize);
  // Never fails: values are clamped and a refused move or resize is ignored.
  virtual void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);

  // ---- Overrides of TGraphObject ---------------------------------------------------
  void Assign(const TGraphObject& source) override;
  void Prepare() override;
  void UpdateCaptionPlacement(bool recompute, int32_t dx, int32_t dy) override;
  void Changed(TGraphChangeFlags flags) override;
  void BoundsChanged(int32_t dx, int32_t dy, int32_t dWidth, int32_t dHeight) override;
  TPoint GetCenter() const override { return GetShapeCenter(); }
  TPoint GetAttachPoint(TPoint reference) const override;
  void DrawMarkers(TCanvas& canvas) override;
  void DrawDragOutline(TCanvas& canvas) override { DrawShape(canvas); }
  void DrawCaption(TCanvas& canvas) override;
  void DrawBody(TCanvas& canvas) override;
  TRect ComputePaintBounds() override;
  THitCode ShapeHitTest(TPoint point) const override;
  TCursor CursorFor(THitCode hitCode) const override;
  TGraphSides DragSides(THitCode hitCode) const override;
  bool ApplyDrag(THitCode hitCode, int32_t dx, int32_t dy) override;
  void SnapDragOffset(THitCode hitCode, int32_t& dx, int32_t& dy) override;
  bool JoinDrag(THitCode hitCode) override;
  void MoveBy(int32_t dx, int32_t dy) override;
  void SetBoundsRect(const TRect& rect) override;
  TRect GetBoundsRect() const override;
  bool OverlapsRect(const TRect& rect) const override;
  // Streaming (ObjectStreaming.cpp): the node's property table.
  void WriteStreamProperties(TPropertyWriter& writer, const std::string& prefix) const override;
  void ReadStreamProperty(TPropertyReader& reader, std::string_view path) override;
  // The records a node's property stream may hold, in stored order (RecordSchema.h).
  static const std::vector<TRecordType>& StreamRecordTypes();

 protected:
  explicit TGraphNode(TGraphControl* owner);

  // Rebuilds the cached outline (polygon shapes their vertices; Region is
  // made anew when next needed) from the current bounds.
  virtual void RebuildShape();
  // Shifts the cached outline with a pure move instead of rebuilding it.
  virtual void OffsetShape(int32_t dx, int32_t dy);

  // The bounds' parts, with sums of coordinates formed without overflow.
  int32_t Right() const;
  int32_t Bottom() const;

 private:
  // The eight marker points in drawing order.
  struct TMarker {
    TPoint Point;
    THitCode Code;
  };
  void Markers(TMarker (&markers)[8]) const;
  static const TPropertyTable<TGraphNode>& StreamTable();
  bool ApplyResize(THitCode hitCode, int32_t dx, int32_t dy);

  // The small members share a word (see TGraphObject's).
  int32_t Left_ = 0;
  int32_t Top_ = 0;
  int32_t Width_ = 0;
  int32_t Height_ = 0;
  TAlignment Alignment_ = taCenter;
  TTextLayout Layout_ = tlCenter;
  TGraphNodeOptions NodeOptions_ = gnoAllOptions;
  // A change asked for a new caption layout, which is made when the caption
  // is first needed (painted, hit, read): measuring text is the main cost of
  // creating and loading nodes, and most nodes of a large diagram are never
  // on screen.
  mutable bool CaptionStale_ = false;
  // The bounds were stored while update-locked; the outline is rebuilt by the
  // next unlocked change.
  bool ShapeStale_ = false;
  // Region_ is to be made from the outline when next asked for.
  mutable bool RegionStale_ = false;

 protected:
  // The same for a polygon shape's vertices (kept here, where it shares a
  // word with the flags above).
  mutable bool VerticesStale_ = false;

 private:
  int32_t Margin_ = 8;
  TPicture Background_;
  TRect BackgroundMargins_;
  mutable TOptionalRegion Region_;
  TRect CaptionRect_;
};

// A node whose outline is a polygon, kept as vertices in graph coordinates.
class TPolygonalNode : public TGraphNode {
 public:
  static const TGraphObjectClass* StaticClass();
  const TGraphObjectClass* ClassType() const override;

  // The vertices, made when first needed like Region.
  const TPoints& PolygonPoints() const {
    if (VerticesStale_) {
      VerticesStale_ = false;
      PolygonPoints_.clear();
      BuildPolygon(GetBoundsRect(), PolygonPoints_);
    }
    return PolygonPoints_;
  }

  // Fills `points` with the shape's vertices for the bounds rectangle.
  virtual void BuildPolygon(const TRect& rect, TPoints& points) const = 0;

  TPoints OutlineIntersections(TPoint point, double angle) const override;
  TRegion CreateShapeRegion() const override;
  void DrawShape(TCanvas& canvas) override;
  TPoint GetShapeCenter() const override;

 protected:
  explicit TPolygonalNode(TGraphControl* owner) : TGraphNode(owner) {}

  void RebuildShape() override;
  void OffsetShape(int32_t dx, int32_t dy) override;

 private:
  mutable TPoints PolygonPoints_;
};

}  // namespace gc
