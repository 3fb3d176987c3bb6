// Minimal graph object classes for tests and benchmarks: a rectangular node
// with a body hit test and one corner marker, and a polyline link that refers
// to its ends by identifier. Header-only, so benchmarks can use them without
// linking the test support library.
#pragma once

#include <algorithm>

#include "GraphControl/Control.h"
#include "GraphControl/Geometry.h"
#include "GraphControl/GraphObject.h"
#include "platform/Canvas.h"

namespace gc::test {

// Hit codes of the test node (the same bit values as real nodes).
inline constexpr THitCode thBottomRight = 0x0100;
inline constexpr THitCode thBody = 0x0200;
// Hit code of the test link's body.
inline constexpr THitCode thLinkBody = 0x0004;

class TTestNode : public TGraphObject {
 public:
  static const TGraphObjectClass* StaticClass() {
    static const TGraphObjectClass cls("TTestNode", TGraphObject::StaticClass(), false, &Make,
                                       &CreateWithBounds);
    return &cls;
  }
  const TGraphObjectClass* ClassType() const override { return StaticClass(); }

  static TGraphObject* CreateWithBounds(const TGraphObjectClass* cls, TGraphControl* owner,
                                        const TRect& bounds) {
    return Construct(cls, owner, [&](TGraphObject* o) { static_cast<TTestNode*>(o)->Bounds_ = bounds; });
  }
  static TTestNode* Create(TGraphControl* owner, const TRect& bounds) {
    return static_cast<TTestNode*>(CreateWithBounds(StaticClass(), owner, bounds));
  }
  // An object as a stream read leaves it: stored identifier, references unresolved.
  static TTestNode* CreateLoaded(TGraphControl* owner, uint32_t id, const TRect& bounds) {
    return static_cast<TTestNode*>(Construct(StaticClass(), owner, [&](TGraphObject* o) {
      auto* node = static_cast<TTestNode*>(o);
      node->AddState(stLoading);
      node->SetID(id);
      node->Bounds_ = bounds;
    }));
  }

  const TRect& Bounds() const { return Bounds_; }
  int PrepareCount = 0;
  int ComputeCount = 0;

  TPoint GetCenter() const override { return CenterOfRect(Bounds_); }
  TPoint GetAttachPoint(TPoint) const override { return GetCenter(); }
  TRect ComputePaintBounds() override {
    ++ComputeCount;
    return Bounds_;
  }
  void SetBoundsRect(const TRect& r) override {
    const TRect old = Bounds_;
    Bounds_ = r;
    BoundsChanged(r.Left - old.Left, r.Top - old.Top, r.Width() - old.Width(), r.Height() - old.Height());
  }
  TRect GetBoundsRect() const override { return Bounds_; }
  void MoveBy(int32_t dx, int32_t dy) override {
    SetBoundsRect({Bounds_.Left + dx, Bounds_.Top + dy, Bounds_.Right + dx, Bounds_.Bottom + dy});
  }
  void Prepare() override {
    ++PrepareCount;
    TGraphObject::Prepare();
  }

  THitCode ShapeHitTest(TPoint p) const override {
    if (Selected() && MakeSquare(Bounds_.BottomRight(), GrabRadius()).Contains(p)) return thBottomRight;
    return Bounds_.Contains(p) ? thBody : htNone;
  }
  TGraphSides DragSides(THitCode ht) const override {
    if (ht & thBody) return gsAll;
    if (ht & thBottomRight) return gsRight | gsBottom;
    return 0;
  }
  bool ApplyDrag(THitCode ht, int32_t dx, int32_t dy) override {
    if (ht & thBody) {
      MoveBy(dx, dy);
      return true;
    }
    if (ht & thBottomRight) {
      SetBoundsRect({Bounds_.Left, Bounds_.Top, Bounds_.Right + dx, Bounds_.Bottom + dy});
      return true;
    }
    return false;
  }

  void DrawMarkers(TCanvas& canvas) override { DrawMarker(canvas, Bounds_.BottomRight(), true); }
  void DrawDragOutline(TCanvas& canvas) override { canvas.Rectangle(Bounds_); }
  void DrawCaption(TCanvas& canvas) override {
    if (!Text().empty()) canvas.TextOut(Bounds_.Left, Bounds_.Top, Text());
  }
  void DrawBody(TCanvas& canvas) override { canvas.Rectangle(Bounds_); }

 protected:
  explicit TTestNode(TGraphControl* owner) : TGraphObject(owner) {}

 private:
  static TGraphObject* Make(TGraphControl* owner) { return new TTestNode(owner); }
  TRect Bounds_;
};

// A node class derived from TTestNode, for class filters.
class TTestSubNode : public TTestNode {
 public:
  static const TGraphObjectClass* StaticClass() {
    static const TGraphObjectClass cls("TTestSubNode", TTestNode::StaticClass(), false, &Make);
    return &cls;
  }
  const TGraphObjectClass* ClassType() const override { return StaticClass(); }
  static TTestSubNode* Create(TGraphControl* owner, const TRect& bounds) {
    return static_cast<TTestSubNode*>(CreateWithBounds(StaticClass(), owner, bounds));
  }

 protected:
  explicit TTestSubNode(TGraphControl* owner) : TTestNode(owner) {}

 private:
  static TGraphObject* Make(TGraphControl* owner) { return new TTestSubNode(owner); }
};

class TTestLink : public TGraphObject {
 public:
  static const TGraphObjectClass* StaticClass() {
    static const TGraphObjectClass cls("TTestLink", TGraphObject::StaticClass(), true, &Make, nullptr,
                                       &CreateLink);
    return &cls;
  }
  const TGraphObjectClass* ClassType() const override { return StaticClass(); }

  static TGraphObject* CreateLink(const TGraphObjectClass* cls, TGraphControl* owner, TGraphObject* source,
                                  const TPoints& points, TGraphObject* target) {
    return Construct(cls, owner, [&](TGraphObject* o) {
      auto* link = static_cast<TTestLink*>(o);
      link->Points_ = points;
      link->SourceID_ = source ? source->ID() : 0;
      link->TargetID_ = target ? target->ID() : 0;
    });
  }
  static TTestLink* Create(TGraphControl* owner, const TPoints& points, TGraphObject* source = nullptr,
                           TGraphObject* target = nullptr) {
    return static_cast<TTestLink*>(CreateLink(StaticClass(), owner, source, points, target));
  }
  static TTestLink* CreateLoaded(TGraphControl* owner, uint32_t id, uint32_t sourceID, uint32_t targetID) {
    return static_cast<TTestLink*>(Construct(StaticClass(), owner, [&](TGraphObject* o) {
      auto* link = static_cast<TTestLink*>(o);
      link->AddState(stLoading);
      link->SetID(id);
      link->SourceID_ = sourceID;
      link->TargetID_ = targetID;
      link->Points_ = {{0, 0}, {10, 10}};
    }));
  }

  const TPoints& Points() const { return Points_; }
  uint32_t SourceID() const { return SourceID_; }
  uint32_t TargetID() const { return TargetID_; }
  TGraphObject* Source() const { return Source_; }
  TGraphObject* Target() const { return Target_; }

  void RenumberID(uint32_t oldID, uint32_t newID) override {
    TGraphObject::RenumberID(oldID, newID);
    if (SourceID_ == oldID) SourceID_ = newID;
    if (TargetID_ == oldID) TargetID_ = newID;
  }
  void GetReferencedIDs(std::vector<uint32_t>& ids) const override {
    ids.push_back(SourceID_);
    ids.push_back(TargetID_);
  }
  void ResolveReferences() override {
    Source_ = SourceID_ ? Owner()->ObjectByID(SourceID_) : nullptr;
    Target_ = TargetID_ ? Owner()->ObjectByID(TargetID_) : nullptr;
  }

  TPoint GetCenter() const override { return CenterOfRect(GetBoundsRect()); }
  TPoint GetAttachPoint(TPoint) const override { return GetCenter(); }
  TRect ComputePaintBounds() override {
    const TRect r = GetBoundsRect();
    return {r.Left, r.Top, r.Right + 1, r.Bottom + 1};
  }
  void SetBoundsRect(const TRect&) override {}
  TRect GetBoundsRect() const override { return Points_.empty() ? TRect{} : BoundsOfPoints(Points_); }
  void MoveBy(int32_t dx, int32_t dy) override {
    for (TPoint& p : Points_) p = {p.X + dx, p.Y + dy};
    BoundsChanged(dx, dy, 0, 0);
  }
  THitCode ShapeHitTest(TPoint) const override { return thLinkBody; }
  TGraphSides DragSides(THitCode) const override { return gsAll; }
  bool ApplyDrag(THitCode, int32_t dx, int32_t dy) override {
    MoveBy(dx, dy);
    return true;
  }

  void DrawMarkers(TCanvas& canvas) override {
    for (TPoint p : Points_) DrawMarker(canvas, p, true);
  }
  void DrawDragOutline(TCanvas& canvas) override { DrawBody(canvas); }
  void DrawCaption(TCanvas&) override {}
  void DrawBody(TCanvas& canvas) override {
    canvas.Polyline(Points_.data(), static_cast<int>(Points_.size()));
  }

 protected:
  explicit TTestLink(TGraphControl* owner) : TGraphObject(owner) {}

 private:
  static TGraphObject* Make(TGraphControl* owner) { return new TTestLink(owner); }
  TPoints Points_;
  uint32_t SourceID_ = 0;
  uint32_t TargetID_ = 0;
  TGraphObject* Source_ = nullptr;
  TGraphObject* Target_ = nullptr;
};

// Unassigns every event of the control, so that handlers capturing locals of a
// finished test are not called while the control frees its objects.
inline void ResetEvents(TGraphControl& g) {
  g.OnObjectInitInstance = g.OnObjectInsert = g.OnObjectRemove = g.OnObjectChange = g.OnObjectSelect =
      nullptr;
  g.OnObjectClick = g.OnObjectDblClick = g.OnObjectMouseEnter = g.OnObjectMouseLeave = nullptr;
  g.OnObjectContextPopup = nullptr;
  g.OnObjectBeforeDraw = g.OnObjectAfterDraw = nullptr;
  g.OnObjectBeginDrag = nullptr;
  g.OnObjectEndDrag = nullptr;
  g.OnObjectRead = g.OnObjectWrite = nullptr;
  g.OnObjectHook = g.OnObjectUnhook = nullptr;
  g.OnCanHookLink = nullptr;
  g.OnCanLinkObjects = nullptr;
  g.OnCanMoveResizeNode = nullptr;
  g.OnCanRemoveObject = nullptr;
  g.OnNodeMoveResize = nullptr;
  g.OnGraphChange = g.OnCommandModeChange = g.OnZoomChange = g.OnClick = g.OnDblClick = nullptr;
  g.OnBeforeDraw = g.OnAfterDraw = nullptr;
  g.OnInfoTip = nullptr;
  g.OnContextPopup = nullptr;
}

// Exposes the control's protected helpers to tests.
class TTestControl : public TGraphControl {
 public:
  using TGraphControl::RenumberAppendedObjects;
};

}  // namespace gc::test
