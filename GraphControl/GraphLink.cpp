// TGraphLink as a model: points, hooks, the re-placement of hooked end points,
// whole-link transforms, construction, copying and identifiers.
#include "GraphControl/GraphLink.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>
#include <utility>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/ControlInternal.h"
#include "GraphControl/Exceptions.h"
#include "GraphControl/Geometry.h"
#include "GraphControl/ScopedValue.h"

namespace gc {

namespace {

// Every change of the point list reports this.
constexpr TGraphChangeFlags PointsChanged = chVisual | chData | chCaption | chBounds;
constexpr TGraphChangeFlags HookChanged = chVisual | chData | chHooks;
// Passes of the settling loop for a two-point link hooked to a link.
constexpr int MaxSettlingPasses = 5;

}  // namespace

// ---- Class and construction -------------------------------------------------------------

const TGraphObjectClass* TGraphLink::StaticClass() {
  static const TGraphObjectClass cls("TGraphLink", TGraphObject::StaticClass(), true, &Make, nullptr,
                                     &TGraphLink::CreateNew);
  return &cls;
}

const TGraphObjectClass* TGraphLink::ClassType() const { return StaticClass(); }

TGraphObject* TGraphLink::Make(TGraphControl* owner) { return new TGraphLink(owner); }

TGraphLink::TGraphLink(TGraphControl* owner) : TGraphObject(owner) {
  SetVisualTriggers(VisualTriggers() | chCaption);
}

TGraphObject* TGraphLink::CreateNew(const TGraphObjectClass* cls, TGraphControl* owner, TGraphObject* source,
                                    const TPoints& points, TGraphObject* target) {
  return Construct(cls, owner, [&](TGraphObject* object) {
    auto* link = static_cast<TGraphLink*>(object);
    if (source) link->AddPoint(source->GetCenter());
    for (const TPoint& p : points) link->AddPoint(p);
    if (target) link->AddPoint(target->GetCenter());
    if (source && target)
      link->Link(source, target);
    else if (source)
      link->Hook(0, source);
    else if (target)
      link->Hook(link->PointCount() - 1, target);
    if (link->Source_ != source || link->Target_ != target)
      throw EGraphCreateRefused("Cannot create link with the specified parameters");
  });
}

TGraphLink* TGraphLink::CreateNew(TGraphControl* owner, TGraphObject* source, const TPoints& points,
                                  TGraphObject* target) {
  return static_cast<TGraphLink*>(CreateNew(StaticClass(), owner, source, points, target));
}

// The end points are placed before the first layout, so the caption and the
// painted area are computed for the final geometry and the link does not
// report a change before it has entered the diagram.
void TGraphLink::Prepare() {
  if (!HasState(stLoading) && !KeepsPoints()) {
    TScopedValue refreshing(Refreshing_, true);
    PlaceHookedEnds();
  }
  TGraphObject::Prepare();
}

// ---- Published properties -------------------------------------------------------------------

template <class T>
void TGraphLink::SetProperty(T& field, T value, TGraphChangeFlags flags) {
  if (field == value) return;
  field = value;
  Changed(flags);
}

void TGraphLink::SetBeginStyle(TLinkBeginEndStyle value) {
  SetProperty(BeginStyle_, value, chVisual | chData | chCaption);
}
void TGraphLink::SetBeginSize(uint8_t value) {
  SetProperty(BeginSize_, value, chVisual | chData | chCaption);
}
void TGraphLink::SetEndStyle(TLinkBeginEndStyle value) {
  SetProperty(EndStyle_, value, chVisual | chData | chCaption);
}
void TGraphLink::SetEndSize(uint8_t value) { SetProperty(EndSize_, value, chVisual | chData | chCaption); }
void TGraphLink::SetLinkOptions(TGraphLinkOptions value) {
  SetProperty(LinkOptions_, value, chVisual | chData);
}
void TGraphLink::SetTextPosition(int32_t value) {
  SetProperty(TextPosition_, value, chVisual | chData | chCaption);
}
void TGraphLink::SetTextSpacing(int32_t value) {
  SetProperty(TextSpacing_, value, chVisual | chData | chCaption);
}

// ---- Point list ------------------------------------------------------------------------------

TPoint TGraphLink::Points(int32_t index) const {
  if (index < 0 || index >= PointCount()) throw EPointListError(Format("Invalid point index. (%d)", index));
  return Points_[static_cast<size_t>(index)];
}

// One step of the history: the ends let go of their objects before the
// points change, so that no moment of it (nor the unhook handlers) sees an
// end still hooked away from its object.
void TGraphLink::SetPolyline(const TPoints& points) {
  if (points == Points_) return;
  TGraphControl::TDeletionGuard keep(*Owner());
  TGraphControl::THistoryStep step(*Owner());
  Unhook(Source_);
  Unhook(Target_);
  // An unhook handler may have deleted the link.
  if (HasState(stDestroying)) return;
  Points_ = points;
  Changed(PointsChanged);
}

// AddPoint, InsertPoint and RemovePoint are one step of the history each,
// like SetPolyline: an end that lets go of its object and the changed points
// are undone together. An unhook handler may delete the link; it then keeps
// its points.
int32_t TGraphLink::AddPoint(TPoint point) {
  TGraphControl::TDeletionGuard keep(*Owner());
  TGraphControl::THistoryStep step(*Owner());
  Unhook(Target_);
  if (HasState(stDestroying)) return -1;
  const int32_t index = PointCount();
  Points_.push_back(point);
  Changed(PointsChanged);
  return index;
}

void TGraphLink::InsertPoint(int32_t index, TPoint point) {
  TGraphControl::TDeletionGuard keep(*Owner());
  TGraphControl::THistoryStep step(*Owner());
  if (index < 0) {
    index = 0;
    UnhookPoint(0);
    if (HasState(stDestroying)) return;
  } else if (index > PointCount()) {
    index = PointCount();
  }
  Points_.insert(Points_.begin() + index, point);
  Changed(PointsChanged);
}

void TGraphLink::RemovePoint(int32_t index) {
  if (index < 0 || index >= PointCount()) return;
  TGraphControl::TDeletionGuard keep(*Owner());
  TGraphControl::THistoryStep step(*Owner());
  // The last point is both ends: whatever is hooked there lets go, so that
  // no end stays hooked without a point.
  if (PointCount() == 1) {
    Unhook(Source_);
    Unhook(Target_);
  } else {
    UnhookPoint(index);
  }
  if (HasState(stDestroying)) return;
  Points_.erase(Points_.begin() + index);
  Changed(PointsChanged);
}

int32_t TGraphLink::IndexOfPoint(TPoint point, int32_t tolerance) const {
  const TRect square = MakeSquare(point, tolerance);
  for (int32_t i = 0; i < PointCount(); ++i)
    if (square.Contains(Points_[static_cast<size_t>(i)])) return i;
  return -1;
}

int32_t TGraphLink::IndexOfNearestSegment(TPoint point, int32_t tolerance) const {
  int32_t result = -1;
  double best = 1.7e308;
  for (int32_t i = 0; i + 1 < PointCount(); ++i) {
    const double d =
        DistanceToSegment(Points_[static_cast<size_t>(i)], Points_[static_cast<size_t>(i + 1)], point);
    if (std::trunc(d) <= tolerance && d < best) {
      best = d;
      result = i;
    }
  }
  return result;
}

int32_t TGraphLink::IndexOfLongestSegment() const {
  int32_t result = -1;
  double longest = -2147483647.0;
  for (int32_t i = 0; i + 1 < PointCount(); ++i) {
    const double length = LineLength(Points_[static_cast<size_t>(i)], Points_[static_cast<size_t>(i + 1)]);
    if (length > longest) {
      longest = length;
      result = i;
    }
  }
  return result;
}

int32_t TGraphLink::PlaceBreakPoint(TPoint point) {
  const int32_t tolerance = Pen().Width() / 2 + Owner()->MarkerSize();
  const int32_t segment = IndexOfNearestSegment(point, tolerance);
  if (segment < 0) return 0;
  InsertPoint(segment + 1, point);
  return segment + 1;
}

// Both walks stop while only the two end points remain: tidying never removes
// an end point, so hooks survive it.
bool TGraphLink::TidyBreakPoints(TLinkTidyOptions options) {
  if (PointCount() < 3 || options == 0) return false;
  TGraphObject::TUpdateLock lock(*this);
  bool removed = false;
  if (options & ltoClosePoints) {
    const int32_t radius = GrabRadius();
    for (int32_t i = 1; i < PointCount() && PointCount() > 2;) {
      if (LineLength(Points_[static_cast<size_t>(i - 1)], Points_[static_cast<size_t>(i)]) <= radius) {
        RemovePoint(i == PointCount() - 1 ? i - 1 : i);
        removed = true;
      } else {
        ++i;
      }
    }
  }
  if (options & ltoSameDirection) {
    // A break point whose incoming and outgoing segments run the same way is
    // redundant: removing it keeps the drawn shape.
    const double tolerance = Pi / 360;
    for (int32_t i = 1; i < PointCount() - 1 && PointCount() > 2;) {
      const double in = LineAngle(Points_[static_cast<size_t>(i - 1)], Points_[static_cast<size_t>(i)]);
      const double out = LineAngle(Points_[static_cast<size_t>(i)], Points_[static_cast<size_t>(i + 1)]);
      if (std::fabs(NormalizeAngle(out - in)) < tolerance) {
        RemovePoint(i);
        removed = true;
      } else {
        ++i;
      }
    }
  }
  return removed;
}

// ---- Fixed and hooked points ---------------------------------------------------------------------

TGraphObject* TGraphLink::ObjectHookedAt(int32_t index) const {
  if (index == PointCount() - 1) return Target_;
  if (index == 0) return Source_;
  return nullptr;
}

int32_t TGraphLink::IndexOfHook(const TGraphObject* object) const {
  if (!object) return -1;
  if (object == Source_) return 0;
  if (object == Target_) return PointCount() - 1;
  return -1;
}

int32_t TGraphLink::CountHookedPoints() const { return (Source_ ? 1 : 0) + (Target_ ? 1 : 0); }

bool TGraphLink::PointIsHooked(int32_t index) const { return ObjectHookedAt(index) != nullptr; }

bool TGraphLink::PointIsFixed(int32_t index, bool hookedToo) const {
  if (index > 0 && index < PointCount() - 1) return (LinkOptions_ & gloFixedBreakPoints) != 0;
  return (index == 0 && (LinkOptions_ & gloFixedStartPoint)) ||
         (index == PointCount() - 1 && (LinkOptions_ & gloFixedEndPoint)) ||
         (hookedToo && PointIsHooked(index));
}

bool TGraphLink::CanTransform() const { return !Source_ && !Target_ && LinkOptions_ == 0; }

// ---- Hooking --------------------------------------------------------------------------------------

bool TGraphLink::CanHook(int32_t index, TGraphObject* object) {
  if (!object || ClosesCircle(object)) return false;
  const bool isStart = index == 0;
  if (!isStart && index < PointCount() - 1) return false;
  TGraphObject* const same = isStart ? Source_ : Target_;
  TGraphObject* const other = isStart ? Target_ : Source_;
  if (object == same) return true;
  // One object cannot hold both ends (CanLink checks that pair itself).
  if (object == other && !Linking_) return false;
  bool answer = (object->Options() & goLinkable) != 0;
  Owner()->DoCanHookLink(object, this, index, answer);
  if (answer && !Linking_ && other) {
    if (isStart)
      Owner()->DoCanLinkObjects(this, object, other, answer);
    else
      Owner()->DoCanLinkObjects(this, other, object, answer);
  }
  return answer;
}

// Searches from both sides at once, one object from each in turn: forward
// along the hooks from `object`, backward from this link along the links
// hooked onto it (Dependents), and stops as soon as either side runs out. A
// search costs at most about twice the smaller side, so resolving the hooks
// of a long chain of links, in whatever order a file holds them, stays
// close to linear.
bool TGraphLink::ClosesCircle(const TGraphObject* object) const {
  if (object == this) return true;
  if (!object || !object->IsLink()) return false;
  const auto hookedLinks = [](const TGraphObject* link, auto&& visit) {
    for (const TGraphObject* end :
         {static_cast<const TGraphLink*>(link)->Source_, static_cast<const TGraphLink*>(link)->Target_})
      if (end && end->IsLink()) visit(end);
  };
  // The usual case: the object's ends rest on nodes, or nothing hooks onto this link.
  bool forwardLeads = false;
  hookedLinks(object, [&](const TGraphObject*) { forwardLeads = true; });
  if (!forwardLeads || Dependents().IsEmpty()) return false;

  std::unordered_set<const TGraphObject*> ahead{object};  // reached from `object`
  std::unordered_set<const TGraphObject*> behind{this};   // lead to this link
  std::vector<const TGraphObject*> forward{object};
  std::vector<const TGraphObject*> backward{this};
  bool met = false;
  while (!forward.empty() && !backward.empty() && !met) {
    const TGraphObject* from = forward.back();
    forward.pop_back();
    hookedLinks(from, [&](const TGraphObject* next) {
      if (behind.contains(next)) met = true;
      if (ahead.insert(next).second) forward.push_back(next);
    });
    if (met) break;
    const TGraphObject* to = backward.back();
    backward.pop_back();
    for (const TGraphObject* previous : to->Dependents()) {
      if (ahead.contains(previous)) met = true;
      if (behind.insert(previous).second) backward.push_back(previous);
    }
  }
  return met;
}

// Whether this link can still be hooked to `object`: an event handler may
// have destroyed either of them (a deletion guard keeps both whole).
bool TGraphLink::Alive(const TGraphObject* object) const {
  return !HasState(stDestroying) && object && !object->HasState(stDestroying) && Owner()->HoldsObject(object);
}

void TGraphLink::AttachSource(TGraphObject* object) {
  Source_ = object;
  SourceID_ = object->ID();
  object->LinksOut().Add(this);
  Changed(HookChanged);
}

void TGraphLink::AttachTarget(TGraphObject* object) {
  Target_ = object;
  TargetID_ = object->ID();
  object->LinksIn().Add(this);
  Changed(HookChanged);
}

bool TGraphLink::Hook(int32_t index, TGraphObject* object) {
  if (!object) return false;
  const bool isStart = index == 0;
  if (!isStart && index < PointCount() - 1) return false;
  if (object == (isStart ? Source_ : Target_)) return true;
  TGraphControl::TDeletionGuard keep(*Owner());
  if (!CanHook(index, object)) return false;
  // The permission handlers may have deleted either object.
  if (!Alive(object)) return false;
  {
    TGraphObject::TUpdateLock lock(*this);
    if (isStart) {
      Unhook(Source_);
      if (PointCount() < 1) InsertPoint(0, object->GetCenter());
      AttachSource(object);
    } else {
      Unhook(Target_);
      if (PointCount() < 2) AddPoint(object->GetCenter());
      AttachTarget(object);
    }
  }
  Owner()->DoObjectHook(object, this, index);
  return true;
}

int32_t TGraphLink::Unhook(TGraphObject* object) {
  if (!object) return -1;
  int32_t index = -1;
  if (object == Source_) {
    Source_ = nullptr;
    SourceID_ = 0;
    object->LinksOut().Remove(this);
    index = 0;
  }
  if (object == Target_) {
    Target_ = nullptr;
    TargetID_ = 0;
    object->LinksIn().Remove(this);
    index = PointCount() - 1;
  }
  if (index >= 0) {
    Changed(chData);
    Owner()->DoObjectUnhook(object, this, index);
  }
  return index;
}

bool TGraphLink::UnhookPoint(int32_t index) {
  if (index == 0) return Unhook(Source_) >= 0;
  if (index == PointCount() - 1) return Unhook(Target_) >= 0;
  return false;
}

bool TGraphLink::CanLink(TGraphObject* source, TGraphObject* target) {
  if (source == target) return false;
  bool both;
  {
    TScopedValue linking(Linking_, true);
    both = CanHook(0, source) && CanHook(PointCount() - 1, target);
  }
  if (!both) return false;
  bool answer = true;
  Owner()->DoCanLinkObjects(this, source, target, answer);
  return answer;
}

bool TGraphLink::Link(TGraphObject* source, TGraphObject* target) {
  TGraphControl::TDeletionGuard keep(*Owner());
  if (!CanLink(source, target)) return false;
  if (!Alive(source)) return false;
  TGraphObject::TUpdateLock lock(*this);
  if (source != Source_) {
    // When the new source holds the other end now (the ends swap), that end
    // is released first so the source is not unhooked again below.
    if (source == Target_) Unhook(Target_);
    Unhook(Source_);
    if (!Alive(source)) return false;
    if (PointCount() <= 0) InsertPoint(0, source->GetCenter());
    AttachSource(source);
    Owner()->DoObjectHook(source, this, 0);
  }
  if (target != Target_) {
    Unhook(Target_);
    // Event handlers may have deleted the target, or this link, meanwhile.
    if (!Alive(target)) return false;
    if (PointCount() < 2) AddPoint(target->GetCenter());
    AttachTarget(target);
    Owner()->DoObjectHook(target, this, PointCount() - 1);
  }
  return true;
}

// ---- Placement of hooked end points -----------------------------------------------------------------

bool TGraphLink::PlaceHookedEnds() {
  const int32_t n = PointCount();
  if (n < 2 || (!Source_ && !Target_)) return false;
  TPoint& first = Points_.front();
  TPoint& last = Points_.back();
  const TPoint oldFirst = first;
  const TPoint oldLast = last;
  const bool straight = Source_ && Target_ && n < 3;
  if (Source_) first = Source_->GetAttachPoint(straight ? Target_->GetCenter() : Points_[1]);
  if (Target_)
    last = Target_->GetAttachPoint(straight ? Source_->GetCenter() : Points_[static_cast<size_t>(n - 2)]);
  // A link's centre moves with its own end points, so a straight link hooked
  // to a link is placed again until it settles.
  if (straight && (Source_->IsLink() || Target_->IsLink())) {
    for (int pass = 0; pass < MaxSettlingPasses; ++pass) {
      const TPoint a = Source_->GetAttachPoint(Points_[1]);
      const bool firstMoved = a != first;
      first = a;
      const TPoint b = Target_->GetAttachPoint(Points_[static_cast<size_t>(n - 2)]);
      const bool lastMoved = b != last;
      last = b;
      if (!firstMoved && !lastMoved) break;
    }
  }
  return first != oldFirst || last != oldLast;
}

bool TGraphLink::KeepsPoints() const {
  return Refreshing_ || TGraphControl::TLinkPointsKept::Active(*Owner());
}

void TGraphLink::RefreshHooks() {
  if (KeepsPoints()) return;
  TScopedValue refreshing(Refreshing_, true);
  if (PlaceHookedEnds()) Changed(chVisual | chCaption | chBounds);
}

void TGraphLink::DependencyChanged(TGraphObject* object, TGraphDependencyKind kind) {
  if (IndexOfHook(object) >= 0) {
    if (kind == gdkChanged)
      RefreshHooks();
    else
      Unhook(object);
  }
  TGraphObject::DependencyChanged(object, kind);
}

void TGraphLink::BroadcastToDependents(TGraphDependencyKind kind) {
  if (CountHookedPoints() > 0) {
    if (kind == gdkChanged) {
      RefreshHooks();
    } else {
      Unhook(Source_);
      Unhook(Target_);
    }
  }
  TGraphObject::BroadcastToDependents(kind);
}

// ---- Geometry -------------------------------------------------------------------------------------------

TPoint TGraphLink::GetCenter() const {
  const int32_t n = PointCount();
  if (n == 0) return CenterOfRect(Owner()->VisibleArea());
  const auto mid = static_cast<size_t>(n / 2);
  if (n % 2 == 1) return Points_[mid];
  const TPoint pair[2] = {Points_[mid - 1], Points_[mid]};
  return CenterOfPoints(pair, 1);
}

bool TGraphLink::PointIsUsableForAttach(int32_t index) const {
  const TGraphObject* hooked = ObjectHookedAt(index);
  return !hooked || hooked->IsLink();
}

TPoint TGraphLink::GetAttachPoint(TPoint reference) const {
  const int32_t segment = IndexOfNearestSegment(reference, 2147483647);
  if (segment < 0) return PointCount() == 1 ? Points_[0] : reference;
  const TPoint m = NearestPointOnSegment(Points_[static_cast<size_t>(segment)],
                                         Points_[static_cast<size_t>(segment + 1)], reference);
  const int32_t k = IndexOfPoint(m, GrabRadius());
  if (k < 0) return m;
  // Near an existing point: land on it unless a node holds it.
  if (PointIsUsableForAttach(k)) return Points_[static_cast<size_t>(k)];
  if (k == 0 && PointIsUsableForAttach(1)) return Points_[1];
  if (k == PointCount() - 1 && PointIsUsableForAttach(k - 1)) return Points_[static_cast<size_t>(k - 1)];
  return GetCenter();
}

void TGraphLink::SetBoundsRect(const TRect& /*rect*/) {}

TRect TGraphLink::GetBoundsRect() const { return BoundsOfPoints(Points_); }

// ---- Whole-link transforms
// ---------------------------------------------------------------------------------

void TGraphLink::MoveBy(int32_t dx, int32_t dy) {
  if (PointCount() == 0 || (dx == 0 && dy == 0)) return;
  // A point stopped at the coordinate limits changes the link's shape: then
  // its painted area is computed again instead of shifted.
  auto beyond = [](int32_t c, int32_t d) {
    const int64_t moved = int64_t{c} + d;
    return moved < INT32_MIN || moved > INT32_MAX;
  };
  const bool clamped = std::any_of(Points_.begin(), Points_.end(),
                                   [&](const TPoint& p) { return beyond(p.X, dx) || beyond(p.Y, dy); });
  OffsetPoints(Points_, dx, dy);
  if (IsUpdateLocked() || clamped)
    Changed(PointsChanged);
  else
    BoundsChanged(dx, dy, 0, 0);
}

bool TGraphLink::Rotate(TPoint center, double angle) {
  if (!CanTransform() || PointCount() <= 1) return false;
  TPoints copy = Points_;
  RotatePoints(copy, center, angle);
  if (!Owner()->GraphConstraints().WithinBounds(copy)) return false;
  SetPolyline(copy);
  return true;
}

bool TGraphLink::Scale(double factor) {
  if (!CanTransform() || PointCount() <= 1) return false;
  TPoints copy = Points_;
  ScalePoints(copy, CenterOfPoints(copy), factor);
  if (!Owner()->GraphConstraints().WithinBounds(copy)) return false;
  SetPolyline(copy);
  return true;
}

// The caption is laid out again as well: the decorations swapped ends, and
// the caption keeps half a decoration's distance from the end it is near.
void TGraphLink::Reverse() {
  TGraphObject* const oldSource = Source_;
  TGraphObject* const oldTarget = Target_;
  std::swap(Source_, Target_);
  std::swap(SourceID_, TargetID_);
  if (oldSource) {
    oldSource->LinksOut().Remove(this);
    oldSource->LinksIn().Add(this);
  }
  if (oldTarget) {
    oldTarget->LinksIn().Remove(this);
    oldTarget->LinksOut().Add(this);
  }
  if (TextPosition_ >= 0 && PointCount() > 2) TextPosition_ = PointCount() - TextPosition_ - 2;
  std::reverse(Points_.begin(), Points_.end());
  Changed(chVisual | chData | chCaption | chBounds);
}

// ---- Copying and identifiers
// -------------------------------------------------------------------------------

void TGraphLink::Assign(const TGraphObject& source) {
  if (&source == this) return;
  TGraphObject::TUpdateLock lock(*this);
  TGraphObject::Assign(source);
  const auto* link = dynamic_cast<const TGraphLink*>(&source);
  if (!link) return;
  SetPolyline(link->Points_);
  SetBeginStyle(link->BeginStyle_);
  SetBeginSize(link->BeginSize_);
  SetEndStyle(link->EndStyle_);
  SetEndSize(link->EndSize_);
  SetLinkOptions(link->LinkOptions_);
  SetTextPosition(link->TextPosition_);
  SetTextSpacing(link->TextSpacing_);
  // Only objects of this link's own diagram can be hooked.
  if (link->Source_ && link->Target_ && link->Source_->Owner() == Owner() &&
      link->Target_->Owner() == Owner())
    Link(link->Source_, link->Target_);
}

void TGraphLink::ResolveReferences() {
  // A link in the diagram that has read other end identifiers (a snapshot
  // restored) lets go of the objects it no longer names, so that Source and
  // Target always agree with SourceID and TargetID.
  bool rehook = false;
  if (Source_ && SourceID_ != Source_->ID()) {
    Source_->LinksOut().Remove(this);
    Source_ = nullptr;
    rehook = true;
  }
  if (Target_ && TargetID_ != Target_->ID()) {
    Target_->LinksIn().Remove(this);
    Target_ = nullptr;
    rehook = true;
  }
  // A stored end that would close a circle of links hooked onto links (a
  // damaged or hand-made file) is dropped: the end stays where it was stored
  // and free, and its identifier goes, so the hook never comes back.
  if (SourceID_ != 0 && !Source_) {
    TGraphObject* object = Owner()->ObjectByID(SourceID_);
    if (object && object != this && ClosesCircle(object)) {
      SourceID_ = 0;
    } else if (object && object != this) {
      Source_ = object;
      object->LinksOut().Add(this);
    }
  }
  if (TargetID_ != 0 && !Target_) {
    TGraphObject* object = Owner()->ObjectByID(TargetID_);
    if (object && object != this && ClosesCircle(object)) {
      TargetID_ = 0;
    } else if (object && object != this) {
      Target_ = object;
      object->LinksIn().Add(this);
    }
  }
  if (rehook && !KeepsPoints()) {
    TScopedValue refreshing(Refreshing_, true);
    PlaceHookedEnds();
  }
  TGraphObject::ResolveReferences();
}

void TGraphLink::FinishLoading() {
  TGraphObject::FinishLoading();
  // Files from before stored points hold only the two ends.
  if (PointCount() == 0 && Source_ && Target_) {
    Points_ = {TPoint{0, 0}, TPoint{0, 0}};
    RefreshHooks();
  } else if (PointCount() == 0 && (Source_ || Target_)) {
    // One stored end and no points (a damaged file): the end gets the point
    // hooking gives a link without points, so it can be found and let go.
    Points_ = {(Source_ ? Source_ : Target_)->GetCenter()};
    Changed(PointsChanged);
  }
}

void TGraphLink::RenumberID(uint32_t oldID, uint32_t newID) {
  TGraphObject::RenumberID(oldID, newID);
  if (SourceID_ != 0 && SourceID_ == oldID) SourceID_ = newID;
  if (TargetID_ != 0 && TargetID_ == oldID) TargetID_ = newID;
}

void TGraphLink::GetReferencedIDs(std::vector<uint32_t>& ids) const {
  if (SourceID_ != 0) ids.push_back(SourceID_);
  if (TargetID_ != 0) ids.push_back(TargetID_);
}

void TGraphLink::SubstituteObject(TGraphObject* oldObject, TGraphObject* newObject) {
  if (Source_ == oldObject) {
    Source_ = newObject;
    SourceID_ = newObject ? newObject->ID() : 0;
  }
  if (Target_ == oldObject) {
    Target_ = newObject;
    TargetID_ = newObject ? newObject->ID() : 0;
  }
  TGraphObject::SubstituteObject(oldObject, newObject);
}

}  // namespace gc
