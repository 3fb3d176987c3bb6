// TGraphLink: the connector of a diagram, an open polyline whose first point
// may be hooked to a source object and whose last point may be hooked to a
// target object (a node or another link). The link keeps its hooked end
// points on the outlines of the hooked objects, draws its line with end
// decorations and a caption laid out along one segment, and lets the mouse
// move, insert and remove its points and hook its ends.
//
// Model and hooks: GraphLink.cpp; drawing and caption: LinkDrawing.cpp;
// hit testing and mouse editing: LinkEditing.cpp.
#pragma once

#include <cstdint>
#include <vector>

#include "GraphControl/GraphObject.h"
#include "GraphControl/Region.h"
#include "GraphControl/Types.h"

namespace gc {

class TCanvas;
template <class T>
struct TPropertyTable;
struct TRecordType;

// Decoration drawn at an end of a link.
enum TLinkBeginEndStyle : uint8_t { lsNone = 0, lsArrow = 1, lsArrowSimple = 2, lsCircle = 3, lsDiamond = 4 };

// Link options; stored as one byte, bit 0 = gloFixedStartPoint.
using TGraphLinkOptions = uint8_t;
inline constexpr TGraphLinkOptions gloFixedStartPoint = 1;   // the start point cannot be moved
inline constexpr TGraphLinkOptions gloFixedEndPoint = 2;     // the end point cannot be moved
inline constexpr TGraphLinkOptions gloFixedBreakPoints = 4;  // break points cannot be moved, added or removed

// Link hit codes: the low 16 bits say what was hit, the high 16 bits carry the
// point or segment index (LinkHitIndex).
inline constexpr THitCode lhBody = htBody;        // any part of a link that is not selected
inline constexpr THitCode lhCaption = htCaption;  // inside the caption (always with lhBody)
inline constexpr THitCode lhPoint = 0x0800;       // a point of a selected link
inline constexpr THitCode lhSegment = 0x1000;     // a segment of a selected link (always with lhBody)

constexpr THitCode MakeLinkHitCode(int32_t index, THitCode part) {
  return (static_cast<THitCode>(index) << 16) + part;
}
constexpr int32_t LinkHitIndex(THitCode hit) { return static_cast<int32_t>(hit >> 16); }

// What TidyBreakPoints removes.
using TLinkTidyOptions = uint8_t;
inline constexpr TLinkTidyOptions ltoClosePoints = 1;    // points within GrabRadius of their predecessor
inline constexpr TLinkTidyOptions ltoSameDirection = 2;  // break points on a straight run

// The mouse action a press on the link would start (prepared from the hit).
enum TLinkPendingAction : uint8_t {
  paNone = 0,
  paInsertPoint = 1,
  paRemovePoint = 2,
  paMovePoint = 3,
  paMoveLink = 4
};

class TGraphLink : public TGraphObject {
 public:
  static const TGraphObjectClass* StaticClass();
  const TGraphObjectClass* ClassType() const override;

  // The named constructor (the class descriptor's link factory, used by
  // TGraphControl::AddLink): the C++ constructor of `cls`, then the source's
  // centre, the given points and the target's centre as points, then the
  // hooks. Raises EGraphInvalidOperation "Cannot create link with the
  // specified parameters" when a requested end could not be hooked; the
  // half-built link is destroyed and never enters the diagram.
  static TGraphObject* CreateNew(const TGraphObjectClass* cls, TGraphControl* owner, TGraphObject* source,
                                 const TPoints& points, TGraphObject* target);
  static TGraphLink* CreateNew(TGraphControl* owner, TGraphObject* source, const TPoints& points,
                               TGraphObject* target);

  // ---- Points -----------------------------------------------------------------
  int32_t PointCount() const { return static_cast<int32_t>(Points_.size()); }
  // Raises EPointListError "Invalid point index. (%d)" outside 0..PointCount-1.
  TPoint Points(int32_t index) const;
  const TPoints& Polyline() const { return Points_; }
  // Replacing the points with a different list unhooks both ends.
  void SetPolyline(const TPoints& points);

  // ---- Hooked objects ---------------------------------------------------------
  TGraphObject* Source() const { return Source_; }
  TGraphObject* Target() const { return Target_; }
  // Identifiers of Source and Target (0 = none); what streams store. During
  // loading they are set while the references are still unresolved.
  uint32_t SourceID() const { return SourceID_; }
  uint32_t TargetID() const { return TargetID_; }

  // ---- Published properties -----------------------------------------------------
  TLinkBeginEndStyle BeginStyle() const { return BeginStyle_; }
  void SetBeginStyle(TLinkBeginEndStyle value);
  uint8_t BeginSize() const { return BeginSize_; }
  void SetBeginSize(uint8_t value);
  TLinkBeginEndStyle EndStyle() const { return EndStyle_; }
  void SetEndStyle(TLinkBeginEndStyle value);
  uint8_t EndSize() const { return EndSize_; }
  void SetEndSize(uint8_t value);
  TGraphLinkOptions LinkOptions() const { return LinkOptions_; }
  void SetLinkOptions(TGraphLinkOptions value);
  // Segment carrying the caption; out of range (-1 too) means the longest one.
  int32_t TextPosition() const { return TextPosition_; }
  void SetTextPosition(int32_t value);
  // Extra distance between the line and the caption.
  int32_t TextSpacing() const { return TextSpacing_; }
  void SetTextSpacing(int32_t value);

  // ---- Caption layout and mouse editing state ----------------------------------------
  const TOptionalRegion& CaptionRegion() const { return CaptionRegion_; }
  double CaptionAngle() const { return CaptionAngle_; }
  // The middle of the caption's bottom edge.
  TPoint CaptionAnchor() const { return CaptionAnchor_; }
  int32_t CaptionSegment() const { return CaptionSegment_; }
  TLinkPendingAction PendingAction() const { return PendingAction_; }
  bool CanHookHover() const { return CanHookHover_; }
  TGraphObject* HoverObject() const { return HoverObject_; }
  // The point being dragged or inserted; -1 for none.
  int32_t ActivePoint() const { return ActivePoint_; }

  // ---- Overrides of TGraphObject -------------------------------------------------
  void Assign(const TGraphObject& source) override;
  void Prepare() override;
  void FinishLoading() override;
  void RenumberID(uint32_t oldID, uint32_t newID) override;
  void GetReferencedIDs(std::vector<uint32_t>& ids) const override;
  void SubstituteObject(TGraphObject* oldObject, TGraphObject* newObject) override;
  void BroadcastToDependents(TGraphDependencyKind kind) override;
  void ResolveReferences() override;
  void RefreshHooks() override;
  void DependencyChanged(TGraphObject* object, TGraphDependencyKind kind) override;
  void UpdateCaptionPlacement(bool recompute, int32_t dx, int32_t dy) override;
  TPoint GetCenter() const override;
  TPoint GetAttachPoint(TPoint reference) const override;
  void DrawMarkers(TCanvas& canvas) override;
  void DrawDragOutline(TCanvas& canvas) override;
  void DrawCaption(TCanvas& canvas) override;
  void DrawBody(TCanvas& canvas) override;
  TRect ComputePaintBounds() override;
  TRect HitBounds() const override;
  THitCode ShapeHitTest(TPoint point) const override;
  bool OverlapsRect(const TRect& rect) const override;
  TCursor CursorFor(THitCode hitCode) const override;
  TGraphSides DragSides(THitCode hitCode) const override;
  bool ApplyDrag(THitCode hitCode, int32_t dx, int32_t dy) override;
  void SnapDragOffset(THitCode hitCode, int32_t& dx, int32_t& dy) override;
  bool JoinDrag(THitCode hitCode) override;
  void MoveBy(int32_t dx, int32_t dy) override;
  void MouseDown(TMouseButton button, TShiftState shift, TPoint point) override;
  void MouseMove(TShiftState shift, TPoint point) override;
  void MouseUp(TMouseButton button, TShiftState shift, TPoint point) override;
  void UndoPressEdits() override;
  // Links have no settable bounds; the bounds follow the points.
  void SetBoundsRect(const TRect& rect) override;
  // The inclusive bounds of the points.
  TRect GetBoundsRect() const override;

  // ---- Operations of the link ----------------------------------------------------
  // The caption layout: fills DisplayText, CaptionSegment, CaptionAngle and
  // CaptionAnchor; no region when the caption does not fit its segment.
  virtual TOptionalRegion CreateCaptionRegion();
  // -1 with fewer than two points; ties keep the earlier segment.
  virtual int32_t IndexOfLongestSegment() const;
  // The segment nearest to `point` within `tolerance`; -1 when none.
  virtual int32_t IndexOfNearestSegment(TPoint point, int32_t tolerance) const;
  virtual void PrepareMouseAction(THitCode hitCode, TShiftState shift);
  // The effective size in graph units of a decoration with the current pen.
  virtual int32_t DecorationSize(TLinkBeginEndStyle style, int32_t size) const;
  virtual TRect GetDecorationBounds(TPoint point, TLinkBeginEndStyle style, int32_t size, double angle) const;
  // Draws the decoration at `point` for a segment arriving with direction
  // `angle`; returns where the line must end.
  virtual TPoint DrawDecoration(TCanvas& canvas, TPoint point, int32_t size, TLinkBeginEndStyle style,
                                double angle);
  // True only for a free link without fixed options.
  virtual bool CanTransform() const;
  // Appends a point (detaching the target); returns its index.
  virtual int32_t AddPoint(TPoint point);
  // A negative index inserts at 0 and detaches the source; an index past the
  // end appends.
  virtual void InsertPoint(int32_t index, TPoint point);
  // Out-of-range indices are ignored; removing an end point unhooks it.
  virtual void RemovePoint(int32_t index);
  // The first point inside the square of half size `tolerance` around `point`; -1 when none.
  virtual int32_t IndexOfPoint(TPoint point, int32_t tolerance) const;
  // Inserts a break point on the segment near `point`; returns its index, or
  // 0 when no segment is near.
  virtual int32_t PlaceBreakPoint(TPoint point);
  // Removes redundant break points; true when any point was removed. End
  // points are never removed.
  virtual bool TidyBreakPoints(TLinkTidyOptions options);
  virtual bool PointIsFixed(int32_t index, bool hookedToo) const;
  virtual bool PointIsHooked(int32_t index) const;
  virtual TGraphObject* ObjectHookedAt(int32_t index) const;
  // 0 for Source, PointCount-1 for Target, -1 otherwise.
  virtual int32_t IndexOfHook(const TGraphObject* object) const;
  virtual int32_t CountHookedPoints() const;
  // Asks OnCanHookLink (and OnCanLinkObjects when the other end is hooked).
  // Refused without asking when the hook would close a circle of links
  // hooked onto links (ClosesCircle).
  virtual bool CanHook(int32_t index, TGraphObject* object);
  // Whether hooking an end of this link to `object` would close a circle:
  // `object` is this link, or a link whose hooks lead, link by link, back to
  // this one. A circle would pass every change around it forever.
  bool ClosesCircle(const TGraphObject* object) const;
  virtual bool Hook(int32_t index, TGraphObject* object);
  // Returns the index of the end that was hooked to `object`, or -1.
  virtual int32_t Unhook(TGraphObject* object);
  virtual bool UnhookPoint(int32_t index);
  virtual bool CanLink(TGraphObject* source, TGraphObject* target);
  // Hooks both ends in one update: OnObjectHook fires for the source, then
  // for the target, and the end points are placed after both.
  virtual bool Link(TGraphObject* source, TGraphObject* target);
  // Refused (false, nothing changes) unless CanTransform and the result stays
  // within the owner's constraints.
  virtual bool Rotate(TPoint center, double angle);
  virtual bool Scale(double factor);
  // Swaps the ends and the order of the points; the caption stays on its segment.
  virtual void Reverse();
  // Unhooks the ends whose stored identifier differs from the hooked object,
  // restores the state, and reports the ends it hooked anew (OnObjectHook).
  void RestoreState(const std::vector<uint8_t>& state) override;

  // The records a link's property stream may hold, in stored order (RecordSchema.h).
  static const std::vector<TRecordType>& StreamRecordTypes();

 protected:
  explicit TGraphLink(TGraphControl* owner);
  ~TGraphLink() override = default;

  // For stream readers, while the link is loading: the identifiers of the
  // ends, resolved into references by ResolveReferences.
  void SetSourceID(uint32_t id) { SourceID_ = id; }
  void SetTargetID(uint32_t id) { TargetID_ = id; }

  // Places the hooked end points on the hooked objects' outlines; true when
  // either end point moved. Callers hold the refreshing flag.
  bool PlaceHookedEnds();

  // Streaming (ObjectStreaming.cpp): the link's property table, and taking
  // over the hooked references of the link it replaces.
  void WriteStreamProperties(TPropertyWriter& writer, const std::string& prefix) const override;
  void ReadStreamProperty(TPropertyReader& reader, std::string_view path) override;
  void TakeOverFrom(TGraphObject& old) override;

 private:
  static TGraphObject* Make(TGraphControl* owner);
  static const TPropertyTable<TGraphLink>& StreamTable();

  // Sets a published property: store and notify when it differs.
  template <class T>
  void SetProperty(T& field, T value, TGraphChangeFlags flags);
  // Both ends of a hook: the reference, the identifier and the object's list.
  bool Alive(const TGraphObject* object) const;
  void AttachSource(TGraphObject* object);
  void AttachTarget(TGraphObject* object);
  // A point is usable as another link's attach point when it is not hooked to a node.
  bool PointIsUsableForAttach(int32_t index) const;
  // Mouse editing, one step each.
  void DropBreakPointWhileDragging(TShiftState shift, TPoint point);
  void ResetMouseAction();
  bool RemoveClickedPoint(THitCode hit);
  bool MoveAllPoints(int32_t dx, int32_t dy);
  bool SpreadByMarker(THitCode hitCode, int32_t dx, int32_t dy);

  TPoints Points_;
  TGraphObject* Source_ = nullptr;
  TGraphObject* Target_ = nullptr;
  int32_t TextPosition_ = -1;
  int32_t TextSpacing_ = 0;
  TLinkBeginEndStyle BeginStyle_ = lsNone;
  uint8_t BeginSize_ = 6;
  TLinkBeginEndStyle EndStyle_ = lsArrow;
  uint8_t EndSize_ = 6;
  TGraphLinkOptions LinkOptions_ = 0;
  TOptionalRegion CaptionRegion_;
  double CaptionAngle_ = 0;
  TPoint CaptionAnchor_;
  int32_t CaptionSegment_ = 0;
  TLinkPendingAction PendingAction_ = paNone;
  bool CanHookHover_ = false;
  TGraphObject* HoverObject_ = nullptr;
  int32_t ActivePoint_ = -1;
  // What the last press changed before its drag began, for UndoPressEdits:
  // the object an end was unhooked from (and which end), the index of a
  // break point it inserted.
  TGraphObject* PressUnhooked_ = nullptr;
  bool PressUnhookedStart_ = false;
  int32_t PressInsertedPoint_ = -1;
  uint32_t SourceID_ = 0;
  uint32_t TargetID_ = 0;
  bool Refreshing_ = false;
  // The link leaves its hooked ends where they are: it is placing them now,
  // or the owner keeps every link's points (undo and redo restore them).
  bool KeepsPoints() const;
  bool Linking_ = false;
};

}  // namespace gc
