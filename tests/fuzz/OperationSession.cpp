// Whole editing sessions: the input is read as a sequence of operations on
// a TGraphControl with a fake host window and a fake clipboard (adding nodes
// of every shape and links to nodes and to links, deleting, selecting,
// rubber band, dragging and cancelling with the mouse, nudging, z-order,
// Reverse / Rotate / Scale, class conversion, property edits, zoom and
// scroll, clear, save, load, merge and snapshot restore, undo and redo,
// copy, cut, paste and duplicate, alignment), while event handlers now and
// then delete objects or refuse permissions. After every operation the
// diagram must be consistent:
// - identifiers unique and not 0, no object left loading or half destroyed;
// - SelectedObjects, DraggingObjects, the drag source and the hover object
//   refer only to objects of Objects, and Selected agrees with SelectedObjects;
// - the link bookkeeping agrees: Dependents = LinksIn + LinksOut, every link
//   in the lists of the objects it is hooked to and only there, and every
//   end hooked to a node lies where the node places it;
// - every cached painted rectangle and the three cached extents equal a fresh
//   computation, and the spatial index finds what a scan of Objects finds;
// - saving, loading into a fresh control and saving again gives the same bytes.
// Where no handler interfered, the history must also hold: the steps an
// operation recorded undo one at a time, each to a consistent diagram, to the
// bytes and Modified from before it, and redo to those after it; undoing
// every step gives the diagram the history started with.
// The checks stay close to linear in the size of the diagram, so that
// sessions can start from large hostile files.
// A broken invariant aborts with a message naming it.
//
// The input starts with a header: two bytes of TChaos bits, the chaos
// period, and a byte of session flags (SessionFlag); then one byte chooses
// each operation, followed by the operation's own bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/CustomDataKeeper.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/GraphNode.h"
#include "GraphControl/Numeric.h"
#include "GraphControl/Stream.h"
#include "GraphControl/Unit.h"
#include "fuzz/OperationSession.h"
#include "support/FakeClipboard.h"
#include "support/FakeHost.h"
#include "support/FixedWidthCanvas.h"
#include "support/TestObjects.h"

namespace gc::fuzz {
namespace {

// OPERATION_FUZZ_TRACE=1 prints each operation (for reproducing a finding).
const bool Trace = std::getenv("OPERATION_FUZZ_TRACE") != nullptr;

// Clearing, loading and clearing the history start the history afresh; a
// step recorded around one of them (a group) undoes to the diagram of that
// moment, not to the one before the group.
int HistoryResets = 0;
// Modified as the last reset left it: the history starts afresh from it.
bool ModifiedAtReset = false;
void HistoryReset(const TGraphControl& graph) {
  ++HistoryResets;
  ModifiedAtReset = graph.Modified();
}
// Operations grouped into one step nest; while a group is open its changes
// are in no step yet.
int GroupDepth = 0;
// Edits of plain fields, which reach no step of the history.
int SilentEdits = 0;
// Drags cancelled with Escape.
int CancelledGestures = 0;
// Whether links hooked to nodes have their ends where the nodes place them.
// A file keeps its stored points as it loads, so a session that starts from
// a hand-made file does not check that.
bool EndsPlaced = true;

[[noreturn]] void Broken(const char* invariant, int step) {
  std::fprintf(stderr, "invariant broken after operation %d: %s\n", step, invariant);
  std::abort();
}

// The input as a stream of small decisions; exhausted input reads as zeros.
class TInput {
 public:
  TInput(const uint8_t* data, size_t size) : Data_(data), Size_(size) {}
  bool Empty() const { return Pos_ >= Size_; }
  uint8_t Byte() { return Pos_ < Size_ ? Data_[Pos_++] : 0; }
  uint32_t Below(uint32_t n) { return n == 0 ? 0 : Byte() % n; }
  bool Flag() { return Byte() & 1; }
  int32_t Int32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t{Byte()} << (8 * i);
    return static_cast<int32_t>(v);
  }
  // Mostly a coordinate near the visible area, now and then any 32-bit value.
  int32_t Coord() {
    const uint8_t b = Byte();
    if (b == 0xFF) return Int32();
    return static_cast<int32_t>(b) * 4 - 40;
  }
  TPoint Point() { return {Coord(), Coord()}; }

 private:
  const uint8_t* Data_;
  size_t Size_;
  size_t Pos_ = 0;
};

constexpr int32_t MaxObjects = 48;
constexpr int MaxSteps = 80;

// The fourth header byte.
enum SessionFlag : uint8_t {
  DeleteOther = 1 << 0,       // handlers delete some object, not the one the event is about
  ScanIndex = 1 << 1,         // start with the reference scan instead of the R-tree
  HistoryLimitBits = 3 << 2,  // 0: the default budget, 1: no history, 2: 2 KB, 3: 64 KB
  CheckEveryStep = 1 << 4,    // one-step operations are checked with the handlers taking part
};
constexpr int64_t HistoryLimits[] = {DefaultHistoryLimit, 0, 2048, 65536};

// The diagram stream, written as a copy that leaves Modified alone.
std::vector<uint8_t> Save(TGraphControl& graph) {
  TMemoryStream stream;
  graph.SaveCopyToStream(stream);
  return stream.Bytes();
}

// Custom data is a few bytes derived from the object's tag; a control that
// reloads a saved diagram keeps what it read and writes it back unchanged.
void WriteCustomData(TGraphControl*, TGraphObject* object, TStream& stream) {
  const int32_t tag = object->Tag();
  const auto count = static_cast<size_t>(static_cast<uint32_t>(tag) % 5);
  for (size_t i = 0; i < count; ++i) stream.WriteUInt8(static_cast<uint8_t>(tag >> i));
}

// Event handlers that disturb the session: every `Period`-th call of an event
// whose bit is in `Mask` deletes an object (the one the event is about, or
// another) or refuses the permission asked. Handlers never nest their mischief.
class TChaos {
 public:
  enum : uint16_t {
    DeleteOnInsert = 1 << 0,
    DeleteOnRemove = 1 << 1,
    DeleteOnChange = 1 << 2,
    DeleteOnSelect = 1 << 3,
    DeleteOnGraphChange = 1 << 4,
    DeleteOnHook = 1 << 5,
    DeleteOnEndDrag = 1 << 6,
    RefuseRemove = 1 << 7,
    RefuseHook = 1 << 8,
    RefuseLink = 1 << 9,
    RefuseMoveResize = 1 << 10,
    DeleteOnMouse = 1 << 11,
    DeleteOnCommandMode = 1 << 12,
  };

  TChaos(TGraphControl& graph, uint16_t mask, uint8_t period, bool deleteOther)
      : Graph_(graph), Mask_(mask), Period_(std::max<uint8_t>(period, 1)), DeleteOther_(deleteOther) {
    graph.OnObjectInsert = [this](TGraphControl*, TGraphObject* o) { MaybeDelete(DeleteOnInsert, o); };
    graph.OnObjectRemove = [this](TGraphControl*, TGraphObject* o) { MaybeDelete(DeleteOnRemove, o); };
    graph.OnObjectChange = [this](TGraphControl*, TGraphObject* o) { MaybeDelete(DeleteOnChange, o); };
    graph.OnObjectSelect = [this](TGraphControl*, TGraphObject* o) { MaybeDelete(DeleteOnSelect, o); };
    graph.OnGraphChange = [this](TGraphControl*) { MaybeDelete(DeleteOnGraphChange, nullptr); };
    graph.OnObjectHook = [this](TGraphControl*, TGraphObject* o, TGraphLink*, int32_t) {
      MaybeDelete(DeleteOnHook, o);
    };
    graph.OnObjectUnhook = graph.OnObjectHook;
    graph.OnObjectEndDrag = [this](TGraphControl*, TGraphObject* o, THitCode, bool) {
      MaybeDelete(DeleteOnEndDrag, o);
    };
    graph.OnObjectMouseEnter = [this](TGraphControl*, TGraphObject* o) { MaybeDelete(DeleteOnMouse, o); };
    graph.OnObjectMouseLeave = graph.OnObjectMouseEnter;
    graph.OnCommandModeChange = [this](TGraphControl*) { MaybeDelete(DeleteOnCommandMode, nullptr); };
    graph.OnCanRemoveObject = [this](TGraphControl*, TGraphObject*, bool& allow) {
      if (Due(RefuseRemove)) allow = false;
    };
    graph.OnCanHookLink = [this](TGraphControl*, TGraphObject*, TGraphLink*, int32_t, bool& allow) {
      if (Due(RefuseHook)) allow = false;
    };
    graph.OnCanLinkObjects = [this](TGraphControl*, TGraphLink*, TGraphObject*, TGraphObject*, bool& allow) {
      if (Due(RefuseLink)) allow = false;
    };
    graph.OnCanMoveResizeNode = [this](TGraphControl*, TGraphNode*, int32_t&, int32_t&, int32_t& width,
                                       int32_t&, bool& canMove, bool& canResize) {
      if (!Due(RefuseMoveResize)) return;
      if (Calls_ % 3 == 0) canMove = false;
      if (Calls_ % 3 == 1) canResize = false;
      if (Calls_ % 3 == 2) width += 7;
    };
    graph.OnObjectWrite = WriteCustomData;
  }

 public:
  // How often a handler has deleted an object or changed an answer so far.
  uint32_t Acts() const { return Acts_; }
  // While held, the handlers neither act nor count their calls: the session
  // then goes on exactly as if what ran meanwhile had not.
  void Hold(bool held) { Held_ = held; }

 private:
  bool Due(uint16_t bit) {
    if (Held_ || !(Mask_ & bit) || ++Calls_ % Period_ != 0) return false;
    ++Acts_;
    return true;
  }

  void MaybeDelete(uint16_t bit, TGraphObject* about) {
    if (Busy_ || !Due(bit)) return;
    Busy_ = true;
    struct TDone {
      bool& Busy;
      ~TDone() { Busy = false; }
    } done{Busy_};
    TGraphObjectList& objects = Graph_.Objects();
    TGraphObject* victim = about;
    if ((DeleteOther_ || !victim) && objects.Count() > 0) victim = objects.Items(Calls_ % objects.Count());
    if (victim && Graph_.HoldsObject(victim)) victim->Delete();
  }

  TGraphControl& Graph_;
  uint16_t Mask_;
  uint8_t Period_;
  bool DeleteOther_;
  bool Held_ = false;
  uint32_t Calls_ = 0;
  uint32_t Acts_ = 0;
  bool Busy_ = false;
};

// ---- Invariants ---------------------------------------------------------------------------------

// How often each object occurs in a list.
std::unordered_map<const TGraphObject*, int> Occurrences(const TGraphObjectList& list) {
  std::unordered_map<const TGraphObject*, int> counts;
  for (const TGraphObject* object : list) ++counts[object];
  return counts;
}

int CountIn(const std::unordered_map<const TGraphObject*, int>& counts, const TGraphObject* object) {
  const auto found = counts.find(object);
  return found == counts.end() ? 0 : found->second;
}

// No link is hooked, link by link, back onto itself: a depth-first walk
// along the hooks meets no link that is still on its path.
void CheckNoHookCircle(TGraphControl& graph, int step) {
  enum TMark : uint8_t { OnPath = 1, Done = 2 };
  std::unordered_map<const TGraphObject*, uint8_t> marks;
  auto hookedLinks = [](const TGraphObject* object) {
    std::vector<const TGraphObject*> ends;
    for (const TGraphObject* end :
         {static_cast<const TGraphLink*>(object)->Source(), static_cast<const TGraphLink*>(object)->Target()})
      if (end && end->IsLink()) ends.push_back(end);
    return ends;
  };
  for (const TGraphObject* root : graph.Objects()) {
    if (!root->IsLink() || marks.contains(root)) continue;
    // Each entry: a link and the ends of it still to visit.
    std::vector<std::pair<const TGraphObject*, std::vector<const TGraphObject*>>> path;
    marks[root] = OnPath;
    path.emplace_back(root, hookedLinks(root));
    while (!path.empty()) {
      auto& [link, ends] = path.back();
      if (ends.empty()) {
        marks[link] = Done;
        path.pop_back();
        continue;
      }
      const TGraphObject* next = ends.back();
      ends.pop_back();
      const uint8_t mark = marks[next];
      if (mark == OnPath) Broken("no link is hooked, link by link, onto itself", step);
      if (mark == Done) continue;
      marks[next] = OnPath;
      path.emplace_back(next, hookedLinks(next));
    }
  }
}

void CheckLinkBookkeeping(TGraphControl& graph, int step) {
  const TGraphObjectList& objects = graph.Objects();
  // How often each link is listed in the LinksIn and LinksOut lists of all objects.
  std::unordered_map<const TGraphObject*, int> listedIn;
  std::unordered_map<const TGraphObject*, int> listedOut;
  for (TGraphObject* object : objects) {
    const auto dependents = Occurrences(object->Dependents());
    const auto in = Occurrences(object->LinksIn());
    const auto out = Occurrences(object->LinksOut());
    for (const auto& [dependent, count] : dependents)
      if (count != CountIn(in, dependent) + CountIn(out, dependent))
        Broken("Dependents holds exactly LinksIn and LinksOut", step);
    if (object->Dependents().Count() != object->LinksIn().Count() + object->LinksOut().Count())
      Broken("Dependents holds exactly LinksIn and LinksOut", step);
    for (TGraphObject* link : object->LinksIn()) {
      if (!graph.HoldsObject(link) || !link->IsLink()) Broken("LinksIn holds links of the diagram", step);
      if (static_cast<TGraphLink*>(link)->Target() != object)
        Broken("a link in LinksIn ends at the object", step);
      ++listedIn[link];
    }
    for (TGraphObject* link : object->LinksOut()) {
      if (!graph.HoldsObject(link) || !link->IsLink()) Broken("LinksOut holds links of the diagram", step);
      if (static_cast<TGraphLink*>(link)->Source() != object)
        Broken("a link in LinksOut starts at the object", step);
      ++listedOut[link];
    }
  }
  for (TGraphObject* object : objects) {
    if (!object->IsLink()) continue;
    auto* link = static_cast<TGraphLink*>(object);
    TGraphObject* source = link->Source();
    TGraphObject* target = link->Target();
    // Every listing names the link's own end (checked above), so a count of
    // one means the end's list holds it once and no other list holds it.
    if ((source && !graph.HoldsObject(source)) || CountIn(listedOut, link) != (source ? 1 : 0))
      Broken("a link's source is in the diagram and lists the link once in LinksOut", step);
    if ((target && !graph.HoldsObject(target)) || CountIn(listedIn, link) != (target ? 1 : 0))
      Broken("a link's target is in the diagram and lists the link once in LinksIn", step);
    if ((source || target) && link->PointCount() == 0) Broken("a hooked end has a point", step);
    if (source && link->SourceID() != source->ID()) Broken("SourceID is the source's identifier", step);
    if (target && link->TargetID() != target->ID()) Broken("TargetID is the target's identifier", step);
    // An end hooked to a node lies on the node; with both ends on nodes, each
    // exactly where its node places it. (Unhooking one end moves no point,
    // so the other keeps the place it was given for the old pair.)
    const TPoints& points = link->Polyline();
    const size_t n = points.size();
    if (n < 2 || !EndsPlaced) continue;
    auto onNode = [](const TGraphObject* node, TPoint p) {
      const TRect& r = node->PaintBounds();
      return int64_t{p.X} >= int64_t{r.Left} - 1 && p.X <= r.Right && int64_t{p.Y} >= int64_t{r.Top} - 1 &&
             p.Y <= r.Bottom;
    };
    if (source && source->IsNode() && !onNode(source, points.front())) {
      const TRect& r = source->PaintBounds();
      std::fprintf(stderr, "link %u starts at (%d, %d), its source %u paints (%d, %d, %d, %d)\n", link->ID(),
                   points.front().X, points.front().Y, source->ID(), r.Left, r.Top, r.Right, r.Bottom);
      std::fprintf(stderr, "source %s (%d, %d, %d, %d), next point (%d, %d)\n",
                   source->ClassType()->ClassName().c_str(), source->GetBoundsRect().Left,
                   source->GetBoundsRect().Top, source->GetBoundsRect().Right, source->GetBoundsRect().Bottom,
                   points[1].X, points[1].Y);
      Broken("a link's start lies on its source", step);
    }
    if (target && target->IsNode() && !onNode(target, points.back()))
      Broken("a link's end lies on its target", step);
    if (!source || !target || !source->IsNode() || !target->IsNode()) continue;
    const bool straight = n < 3;
    const TPoint start = source->GetAttachPoint(straight ? target->GetCenter() : points[1]);
    const TPoint end = target->GetAttachPoint(straight ? source->GetCenter() : points[n - 2]);
    if (points.front() != start || points.back() != end) {
      std::fprintf(stderr, "link %u runs (%d, %d) to (%d, %d), its nodes place it (%d, %d) to (%d, %d)\n",
                   link->ID(), points.front().X, points.front().Y, points.back().X, points.back().Y, start.X,
                   start.Y, end.X, end.Y);
      Broken("a link hooked to two nodes has its ends where the nodes place them", step);
    }
  }
}

void CheckExtent(const TRect& cached, const TRect& fresh, const char* of, int step) {
  if (cached == fresh) return;
  std::fprintf(stderr, "extent of %s: cached (%d, %d, %d, %d), measured (%d, %d, %d, %d)\n", of, cached.Left,
               cached.Top, cached.Right, cached.Bottom, fresh.Left, fresh.Top, fresh.Right, fresh.Bottom);
  Broken("the cached extents equal a fresh measurement", step);
}

// The spatial index answers an area query as a scan of Objects does: for
// the whole extent and for the painted area of every object.
void CheckSpatialIndex(TGraphControl& graph, int step) {
  std::vector<TRect> probes{graph.AllExtent(), {0, 0, 100, 100}};
  // Each object's own area, or in a large diagram those of 64 objects spread
  // over the z-order, so that a check stays linear in the diagram's size.
  const TGraphObjectList& objects = graph.Objects();
  const int32_t every = std::max(1, objects.Count() / 64);
  for (int32_t i = 0; i < objects.Count(); i += every) probes.push_back(objects.Items(i)->PaintBounds());
  std::vector<TGraphObject*> found;
  std::vector<TGraphObject*> scanned;
  for (const TRect& probe : probes) {
    found.clear();
    scanned.clear();
    graph.ObjectsInRect(probe, found);
    for (TGraphObject* object : graph.Objects())
      if (object->OverlapsRect(probe)) scanned.push_back(object);
    if (found != scanned) {
      std::fprintf(stderr, "query (%d, %d, %d, %d): the index finds %zu objects, a scan %zu\n", probe.Left,
                   probe.Top, probe.Right, probe.Bottom, found.size(), scanned.size());
      Broken("the spatial index finds what a scan of Objects finds", step);
    }
  }
}

// Diagrams whose bytes have already been saved, loaded into a fresh control
// and saved again in this session. Loading depends on the bytes alone, so the
// same bytes need that round trip only once; undoing and redoing bring back
// the bytes of a moment checked before, and a session spends most of its
// time there.
std::vector<std::vector<uint8_t>> RoundTripped;
constexpr size_t RoundTripsKept = 8;

void CheckRoundTrip(const std::vector<uint8_t>& saved, int32_t count, int step) {
  if (std::find(RoundTripped.begin(), RoundTripped.end(), saved) != RoundTripped.end()) return;
  TGraphControl copy;
  TCustomDataKeeper keeper(copy);
  try {
    TMemoryStream in(saved);
    copy.LoadFromStream(in);
  } catch (const EGraphException& e) {
    std::fprintf(stderr, "%s\n", e.what());
    Broken("a saved diagram loads", step);
  }
  if (copy.Objects().Count() != count) Broken("a saved diagram loads every object", step);
  if (const std::vector<uint8_t> again = Save(copy); again != saved) {
    size_t at = 0;
    while (at < saved.size() && at < again.size() && saved[at] == again[at]) ++at;
    std::fprintf(stderr, "%zu and %zu bytes, first difference at %zu\n", saved.size(), again.size(), at);
    if (Trace) {
      std::FILE* out = std::fopen("first.Screen", "wb");
      std::fwrite(saved.data(), 1, saved.size(), out);
      std::fclose(out);
      out = std::fopen("again.Screen", "wb");
      std::fwrite(again.data(), 1, again.size(), out);
      std::fclose(out);
    }
    Broken("save, load and save again gives the same bytes", step);
  }
  if (RoundTripped.size() == RoundTripsKept) RoundTripped.erase(RoundTripped.begin());
  RoundTripped.push_back(saved);
}

// Checks every invariant and returns the diagram's bytes.
std::vector<uint8_t> CheckInvariants(TGraphControl& graph, int step) {
  const TGraphObjectList& objects = graph.Objects();
  std::vector<uint32_t> ids;
  const auto held = Occurrences(objects);
  const auto selected = Occurrences(graph.SelectedObjects());
  const auto dragging = Occurrences(graph.DraggingObjects());
  for (TGraphObject* object : objects) {
    if (object->Owner() != &graph) Broken("Objects holds only own objects", step);
    if (object->ID() == 0) Broken("no identifier is 0", step);
    if (object->HasState(stLoading | stDestroying | stCreating | stReading | stWriting | stUpdating))
      Broken("no object is left loading, destroying, creating, reading, writing or updating", step);
    if (CountIn(held, object) != 1) Broken("each object is in Objects once", step);
    if (object->Selected() != (CountIn(selected, object) == 1))
      Broken("Selected agrees with SelectedObjects", step);
    if (object->HasState(stDragging) != (CountIn(dragging, object) == 1))
      Broken("the dragging state agrees with DraggingObjects", step);
    if (object->PaintBounds() != object->ComputePaintBounds()) {
      const TRect cached = object->PaintBounds(), fresh = object->ComputePaintBounds();
      std::fprintf(stderr, "%s %u: cached (%d, %d, %d, %d), computed (%d, %d, %d, %d)\n",
                   object->IsLink() ? "link" : "node", object->ID(), cached.Left, cached.Top, cached.Right,
                   cached.Bottom, fresh.Left, fresh.Top, fresh.Right, fresh.Bottom);
      if (object->IsLink())
        for (TPoint p : static_cast<TGraphLink*>(object)->Polyline())
          std::fprintf(stderr, "  (%d, %d)\n", p.X, p.Y);
      Broken("the cached PaintBounds is current", step);
    }
    ids.push_back(object->ID());
  }
  std::sort(ids.begin(), ids.end());
  if (std::adjacent_find(ids.begin(), ids.end()) != ids.end()) Broken("identifiers are unique", step);
  for (const auto* counts : {&selected, &dragging})
    for (const auto& [object, count] : *counts)
      if (!graph.HoldsObject(object) || count != 1)
        Broken("SelectedObjects and DraggingObjects hold objects of Objects, once", step);
  if (graph.DragSource() && !graph.HoldsObject(graph.DragSource()))
    Broken("the drag source is in Objects", step);
  if (graph.ObjectUnderMouse() && !graph.HoldsObject(graph.ObjectUnderMouse()))
    Broken("the hover object is in Objects", step);
  if (graph.UpdateCount() != 0 || graph.QuerySuppressCount() != 0) Broken("locks are released", step);
  CheckLinkBookkeeping(graph, step);
  CheckNoHookCircle(graph, step);

  CheckExtent(graph.AllExtent(), graph.MeasureObjects(graph.Objects()), "all objects", step);
  CheckExtent(graph.SelectedExtent(), graph.MeasureObjects(graph.SelectedObjects()), "the selection", step);
  CheckExtent(graph.DraggingExtent(), graph.MeasureObjects(graph.DraggingObjects()), "the dragging objects",
              step);
  CheckSpatialIndex(graph, step);

  std::vector<uint8_t> saved = Save(graph);
  CheckRoundTrip(saved, objects.Count(), step);
  return saved;
}

// Each object of the diagram on one line: a node's class and bounds, a
// link's end identifiers and points.
void TraceObjects(TGraphControl& graph) {
  std::fprintf(stderr, " ");
  for (TGraphObject* o : graph.Objects()) {
    std::fprintf(stderr, " %s %u", o->IsLink() ? "link" : "node", o->ID());
    if (o->IsLink()) {
      const auto* link = static_cast<const TGraphLink*>(o);
      std::fprintf(stderr, " [%u>%u", link->SourceID(), link->TargetID());
      for (TPoint p : link->Polyline()) std::fprintf(stderr, " %d,%d", p.X, p.Y);
      std::fprintf(stderr, "]");
    } else {
      const TRect& r = o->GetBoundsRect();
      std::fprintf(stderr, " [%s %d,%d,%d,%d]", o->ClassType()->ClassName().c_str(), r.Left, r.Top, r.Right,
                   r.Bottom);
    }
  }
  std::fprintf(stderr, "\n");
}

// ---- Operations ---------------------------------------------------------------------------------

TGraphObject* PickObject(TGraphControl& graph, TInput& in) {
  const int32_t count = graph.Objects().Count();
  const uint32_t pick = in.Below(static_cast<uint32_t>(count) + 1);
  return pick < static_cast<uint32_t>(count) ? graph.Objects().Items(static_cast<int32_t>(pick)) : nullptr;
}

TGraphLink* PickLink(TGraphControl& graph, TInput& in) {
  TGraphObject* object = PickObject(graph, in);
  return object && object->IsLink() ? static_cast<TGraphLink*>(object) : nullptr;
}

TGraphNode* PickNode(TGraphControl& graph, TInput& in) {
  TGraphObject* object = PickObject(graph, in);
  return object && object->IsNode() ? static_cast<TGraphNode*>(object) : nullptr;
}

TPoints SomePoints(TInput& in) {
  TPoints points(in.Below(5));
  for (TPoint& p : points) p = in.Point();
  return points;
}

void EditProperty(TGraphControl& graph, TInput& in) {
  TGraphObject* object = PickObject(graph, in);
  if (!object) return;
  const uint8_t which = in.Byte();
  if (Trace) std::fprintf(stderr, "  edit property %d (%d) of %u\n", which % 24, which % 6, object->ID());
  switch (which % 24) {
    case 0: {
      static const char* const texts[] = {"", "Node", "Größe", "ÄÖ", "a much longer caption that wraps"};
      object->SetText(texts[in.Below(5)]);
      break;
    }
    case 1:
      object->SetHint(in.Flag() ? "hint" : "");
      break;
    case 2:
      object->Brush().SetColor(static_cast<TColor>(in.Int32()));
      break;
    case 3:
      object->Brush().SetStyle(static_cast<TBrushStyle>(in.Below(8)));
      break;
    case 4:
      object->Pen().SetWidth(static_cast<int32_t>(in.Below(12)));
      break;
    case 5:
      object->Pen().SetStyle(static_cast<TPenStyle>(in.Below(7)));
      break;
    case 6:
      object->Pen().SetMode(static_cast<TPenMode>(in.Below(16)));
      break;
    case 7:
      object->Font().SetSize(static_cast<int32_t>(in.Below(40)) - 4);
      break;
    case 8:
      object->Font().SetStyle(static_cast<TFontStyles>(in.Below(16)));
      break;
    case 9:
      object->SetParentFont(in.Flag());
      break;
    case 10:
      object->SetOptions(static_cast<TGraphObjectOptions>(in.Below(8)));
      break;
    case 11:
      object->SetVisible(in.Flag());
      break;
    case 12:
      // Tag is a plain field: no change is reported, and undo and redo leave
      // it as the program set it, so the diagram the history started with may
      // hold other Tags (and custom data derived from them).
      object->SetTag(static_cast<int32_t>(in.Byte()));
      ++SilentEdits;
      object->SetHasCustomData(in.Flag());
      break;
    case 13:
      object->Font().SetCharset(static_cast<TFontCharset>(in.Byte()));
      break;
    case 14:
      object->Font().SetPitch(static_cast<TFontPitch>(in.Below(3)));
      break;
    default:
      if (object->IsNode()) {
        auto* node = static_cast<TGraphNode*>(object);
        switch (which % 6) {
          case 0:
            node->SetAlignment(static_cast<TAlignment>(in.Below(3)));
            break;
          case 1:
            node->SetLayout(static_cast<TTextLayout>(in.Below(3)));
            break;
          case 2:
            node->SetMargin(static_cast<int32_t>(in.Below(30)) - 5);
            break;
          case 3:
            node->SetNodeOptions(static_cast<TGraphNodeOptions>(in.Below(8)));
            break;
          case 4:
            node->SetBackgroundMargins(
                {static_cast<int32_t>(in.Below(60)), static_cast<int32_t>(in.Below(60)),
                 static_cast<int32_t>(in.Below(60)), static_cast<int32_t>(in.Below(60))});
            break;
          default: {
            const TGraphic icon{"TIcon", {1, 2, 3}};
            node->Background().SetGraphic(in.Flag() ? &icon : nullptr);
            break;
          }
        }
      } else {
        auto* link = static_cast<TGraphLink*>(object);
        switch (which % 6) {
          case 0:
            link->SetBeginStyle(static_cast<TLinkBeginEndStyle>(in.Below(5)));
            break;
          case 1:
            link->SetEndStyle(static_cast<TLinkBeginEndStyle>(in.Below(5)));
            break;
          case 2:
            link->SetBeginSize(in.Byte());
            break;
          case 3:
            link->SetLinkOptions(static_cast<TGraphLinkOptions>(in.Below(8)));
            break;
          case 4:
            link->SetTextPosition(static_cast<int32_t>(in.Below(8)) - 2);
            break;
          default:
            link->SetTextSpacing(static_cast<int32_t>(in.Below(20)) - 10);
            break;
        }
      }
  }
}

void EditLink(TGraphControl& graph, TInput& in) {
  TGraphLink* link = PickLink(graph, in);
  if (!link) return;
  switch (in.Below(11)) {
    case 0:
      link->AddPoint(in.Point());
      break;
    case 1:
      link->InsertPoint(static_cast<int32_t>(in.Below(6)) - 1, in.Point());
      break;
    case 2:
      link->RemovePoint(static_cast<int32_t>(in.Below(6)) - 1);
      break;
    case 3:
      link->Hook(static_cast<int32_t>(in.Below(6)) - 1, PickObject(graph, in));
      break;
    case 4:
      link->UnhookPoint(static_cast<int32_t>(in.Below(6)) - 1);
      break;
    case 5:
      link->Unhook(PickObject(graph, in));
      break;
    case 6:
      link->Reverse();
      break;
    case 7:
      link->Rotate(in.Point(), (in.Byte() - 128) / 20.0);
      break;
    case 8:
      link->Scale(in.Below(40) / 8.0);
      break;
    case 9:
      link->TidyBreakPoints(static_cast<TLinkTidyOptions>(in.Below(4)));
      break;
    default:
      link->SetPolyline(SomePoints(in));
      break;
  }
}

// A press, some moves and a release (or an Escape or nothing) in client pixels.
void MouseGesture(TGraphControl& graph, TFakeHost& host, TInput& in, int step) {
  const TMouseButton button = in.Below(4) == 0 ? TMouseButton::mbRight : TMouseButton::mbLeft;
  const TShiftState shift = static_cast<TShiftState>(in.Below(8)) & (ssShift | ssCtrl | ssAlt);
  TPoint p{static_cast<int32_t>(in.Below(200)) * 4, static_cast<int32_t>(in.Below(150)) * 4};
  host.Captured = true;
  if (Trace) std::fprintf(stderr, "  mouse down %d at (%d, %d), shift %d\n", int(button), p.X, p.Y, shift);
  graph.MouseDown(button, shift, p.X, p.Y);
  if (Trace)
    std::fprintf(stderr, "  drag source %u, %d selected, mode %d\n",
                 graph.DragSource() ? graph.DragSource()->ID() : 0, graph.SelectedObjects().Count(),
                 int(graph.CommandMode()));
  CheckInvariants(graph, step);
  for (uint32_t moves = in.Below(5); moves > 0; --moves) {
    p = {p.X + static_cast<int32_t>(in.Byte()) - 128, p.Y + static_cast<int32_t>(in.Byte()) - 128};
    if (Trace) std::fprintf(stderr, "  mouse move to (%d, %d)\n", p.X, p.Y);
    graph.MouseMove(shift | ssLeft, p.X, p.Y);
    if (Trace) TraceObjects(graph);
    CheckInvariants(graph, step);
  }
  switch (in.Below(3)) {
    case 0: {
      uint16_t key = VK_ESCAPE;
      if (graph.DragSource()) ++CancelledGestures;
      graph.KeyDown(key, 0);
      if (Trace) std::fprintf(stderr, "  escape\n"), TraceObjects(graph);
      break;
    }
    case 1:
      break;  // released later, or never
    default:
      break;
  }
  host.Captured = false;
  graph.MouseUp(button, shift, p.X, p.Y);
}

// Operations 0 to 23: editing, selecting, the mouse and the keyboard,
// streams, settings.
void BasicOperation(uint32_t operation, TGraphControl& graph, TFakeHost& host, TInput& in,
                    std::vector<uint8_t>& snapshot, int step) {
  switch (operation) {
    case 0:
    case 1: {
      if (graph.Objects().Count() >= MaxObjects) break;
      const TPoint a = in.Point();
      auto grow = [](int32_t from, uint32_t by) {
        return static_cast<int32_t>(std::min<int64_t>(int64_t{from} + by, INT32_MAX));
      };
      const TRect bounds{a.X, a.Y, grow(a.X, in.Below(120)), grow(a.Y, in.Below(90))};
      graph.AddNode(bounds, TGraphControl::NodeClasses(static_cast<int32_t>(in.Below(7))));
      break;
    }
    case 2: {
      if (graph.Objects().Count() >= MaxObjects) break;
      TGraphObject* source = PickObject(graph, in);
      TGraphObject* target = PickObject(graph, in);
      const TPoints points = SomePoints(in);
      if (Trace)
        std::fprintf(stderr, "  link from %d to %d through %zu points\n", source ? source->ZOrder() : -1,
                     target ? target->ZOrder() : -1, points.size());
      TGraphLink::CreateNew(&graph, source, points, target);
      break;
    }
    case 3:
      if (TGraphObject* object = PickObject(graph, in)) object->Delete();
      break;
    case 4:
      if (TGraphObject* object = PickObject(graph, in)) object->SetSelected(!object->Selected());
      break;
    case 5:
      graph.SelectFollowing(in.Flag());
      break;
    case 6: {
      const TPoint a = in.Point();
      const TPoint b = in.Point();
      graph.SelectObjectsInRect(
          {std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)}, in.Flag());
      break;
    }
    case 7:
    case 8:
      MouseGesture(graph, host, in, step);
      break;
    case 9: {
      static const uint16_t keys[] = {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, VK_TAB, VK_ESCAPE};
      uint16_t key = keys[in.Below(6)];
      graph.KeyDown(key, static_cast<TShiftState>(in.Below(8)) & (ssShift | ssCtrl | ssAlt));
      break;
    }
    case 10:
      if (TGraphObject* object = PickObject(graph, in)) {
        switch (in.Below(3)) {
          case 0:
            object->BringToFront();
            break;
          case 1:
            object->SendToBack();
            break;
          default:
            object->SetZOrder(static_cast<int32_t>(in.Below(10)) - 2);
            break;
        }
      }
      break;
    case 11:
      EditLink(graph, in);
      break;
    case 12:
    case 13:
      EditProperty(graph, in);
      break;
    case 14:
      switch (in.Below(4)) {
        case 0:
          graph.SetZoom(static_cast<int32_t>(in.Below(64)) * 25);
          break;
        case 1:
          graph.SetZoomAnchored(static_cast<int32_t>(in.Below(40)) * 10,
                                static_cast<TZoomAnchor>(in.Below(4)));
          break;
        case 2:
          graph.HorzScrollBar().SetPosition(in.Coord());
          break;
        default:
          graph.VertScrollBar().SetPosition(in.Coord());
          break;
      }
      break;
    case 15:
      graph.Clear();
      HistoryReset(graph);
      break;
    case 16: {  // save and load back
      const std::vector<uint8_t> bytes = Save(graph);
      TMemoryStream stream(bytes);
      graph.LoadFromStream(stream);
      HistoryReset(graph);
      break;
    }
    case 17: {  // merge the diagram, or what was kept, into itself
      if (graph.Objects().Count() >= MaxObjects / 2) break;
      TMemoryStream block;
      if (in.Flag() || snapshot.empty()) {
        graph.WriteObjects(block, graph.Objects());
      } else {
        block.WriteBuffer(snapshot.data(), snapshot.size());
      }
      block.SetPosition(0);
      graph.ReadObjects(block);
      break;
    }
    case 18: {  // a snapshot of the selection, restored later
      if (in.Flag() || snapshot.empty()) {
        TMemoryStream stream;
        graph.SaveSnapshot(stream,
                           graph.SelectedObjects().IsEmpty() ? graph.Objects() : graph.SelectedObjects());
        snapshot = stream.Bytes();
      } else {
        TMemoryStream stream(snapshot);
        try {
          graph.RestoreSnapshot(stream);
        } catch (const EGraphException&) {
          // A kept object block is not a snapshot.
        }
      }
      break;
    }
    case 19: {
      static const TGraphCommandMode modes[] = {cmBrowse, cmPan, cmEdit, cmAddNode, cmAddLink};
      graph.SetCommandMode(modes[in.Below(5)]);
      break;
    }
    case 20: {
      const uint32_t every = in.Below(4) + 1;
      uint32_t seen = 0;
      graph.VisitObjects(
          [&](TGraphObject* object, int32_t) {
            if (++seen % every == 0) object->Delete();
            return seen < 100;
          },
          0, in.Flag());
      break;
    }
    case 21:
      if (TGraphObject* object = PickObject(graph, in)) {
        const TGraphObjectClass* cls = object->IsLink()
                                           ? TGraphControl::LinkClasses(0)
                                           : TGraphControl::NodeClasses(static_cast<int32_t>(in.Below(7)));
        object->ConvertTo(cls);
      }
      break;
    case 22:
      if (TGraphNode* node = PickNode(graph, in)) {
        const TPoint p = in.Point();
        node->SetBounds(p.X, p.Y, static_cast<int32_t>(in.Below(200)) - 20,
                        static_cast<int32_t>(in.Below(200)) - 20);
      }
      break;
    default:
      switch (in.Below(8)) {
        case 0:
          graph.SetShowHiddenObjects(in.Flag());
          break;
        case 1:
          graph.SetLockNodes(in.Flag());
          break;
        case 2:
          graph.SetLockLinks(in.Flag());
          break;
        case 3:
          graph.SetSnapToGrid(in.Flag());
          break;
        case 4:
          graph.SetGridSize(static_cast<int32_t>(in.Below(140)));
          break;
        case 5:
          graph.SetMarkerSize(static_cast<int32_t>(in.Below(12)));
          break;
        case 6:
          graph.Font().SetSize(static_cast<int32_t>(in.Below(30)) + 1);
          break;
        default: {  // paint the top-left corner of the window
          TRecordingCanvas canvas;
          const TPoint topLeft = graph.ClientToGraph(0, 0);
          const TPoint bottomRight = graph.ClientToGraph(64, 48);
          canvas.SetClipRect({topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y});
          graph.ApplyViewMapping(canvas);
          graph.Paint(canvas);
          break;
        }
      }
      break;
  }
}

// ---- The session: the history's invariants and operations 24 to 31 -------------------------

class TSession {
 public:
  TSession(TInput& in, uint16_t mask, uint8_t period, uint8_t flags, const std::vector<uint8_t>* file)
      : In_(in), Flags_(flags), Limit_(HistoryLimits[(flags & HistoryLimitBits) >> 2]) {
    Graph_.SetSpatialIndexKind((flags & ScanIndex) ? TSpatialIndexKind::Scan : TSpatialIndexKind::RTree);
    Graph_.SetHistoryLimit(Limit_);
    Graph_.SetHost(&Host_);
    Graph_.SetClipboard(&Clipboard_);
    Chaos_.emplace(Graph_, mask, period, (flags & DeleteOther) != 0);
    if (file) {
      // A damaged file loads in part; what it leaves must be consistent.
      try {
        TMemoryStream stream(*file);
        Graph_.LoadFromStream(stream);
      } catch (const EGraphException&) {
      }
      CheckInvariants(Graph_, -1);
    }
    HistoryStart_ = Save(Graph_);
  }
  ~TSession() {
    test::ResetEvents(Graph_);
    Chaos_.reset();
    Graph_.SetHost(nullptr);
  }

  void Run() {
    for (int step = 0; step < MaxSteps && !In_.Empty(); ++step) {
      const std::vector<uint8_t> before = Save(Graph_);
      const bool modifiedBefore = Graph_.Modified();
      const int32_t undoBefore = Graph_.UndoCount();
      const int32_t redoBefore = Graph_.RedoCount();
      NoteMode();
      const uint32_t actsBefore = Chaos_->Acts();
      const int resetsBefore = HistoryResets;
      const int cancelledBefore = CancelledGestures;
      try {
        Operation(step);
      } catch (const EGraphException&) {
        // Refused operations (a load of a kept block, a point index) are fine;
        // the diagram must still be consistent.
      }
      if (Trace) TraceObjects(Graph_);
      const std::vector<uint8_t> after = CheckInvariants(Graph_, step);
      NoteMode();
      // A change taken back within the same step (by a handler, or inside a
      // group) leaves Modified set by a change no step records. A reset in
      // the operation (a load inside a group, say) started the history
      // afresh: from then on no step means an empty history.
      const bool reset = HistoryResets != resetsBefore;
      if (Graph_.UndoCount() == (reset ? 0 : undoBefore) && Graph_.RedoCount() == (reset ? 0 : redoBefore) &&
          Graph_.Modified() != (reset ? ModifiedAtReset : modifiedBefore))
        ModifiedUnrecorded_ = true;
      // Every operation that recorded steps, however many, undoes step by
      // step to the diagram before it: a half-undone operation must still be
      // a consistent diagram.
      const int32_t added = Graph_.UndoCount() - undoBefore;
      if (added > 0 && Graph_.RedoCount() == 0 && Chaos_->Acts() == actsBefore &&
          HistoryResets == resetsBefore) {
        // Sessions kept with CheckEveryStep were recorded with a check of
        // single steps that the handlers took part in; every other check
        // leaves the session's course as it was.
        if ((Flags_ & CheckEveryStep) && added == 1)
          CheckStepsUndo(before, after, modifiedBefore, added, cancelledBefore, step);
        else
          CheckStepsUndoUnseen(before, after, modifiedBefore, added, cancelledBefore, step);
      }
      // A load or clear inside a group started the history afresh at a
      // moment the session did not see.
      if (HistoryResets != resetsBefore) StartKnown_ = false;
      NoteHistoryStart();
    }
  }

 private:
  bool Undisturbed(uint32_t acts) const { return Chaos_->Acts() == acts; }

  // Changes made in an insert mode (by code, while the mouse may be placing
  // an object) leave Modified alone, and a change taken back within its own
  // step sets it without a step; from then on Modified need not follow the
  // history.
  bool ModifiedFollows() const { return !InsertModeSeen_ && !ModifiedUnrecorded_; }
  // After an edit the history does not see, undoing and redoing need not give
  // the bytes back.
  bool HistorySeesAll() const { return SilentEdits == 0; }
  void NoteMode() {
    const TGraphCommandMode mode = Graph_.CommandMode();
    if (mode == cmAddNode || mode == cmAddLink) InsertModeSeen_ = true;
  }

  // With nothing left to undo, the diagram as it is is where undoing every
  // step would lead: the history's start.
  void NoteHistoryStart() {
    if (Graph_.UndoCount() == 0) {
      HistoryStart_ = Save(Graph_);
      StartKnown_ = true;
    }
  }

  // Undoing applies the history's states without recording; a handler that
  // deletes an object meanwhile leaves the history behind the diagram.
  void Disturbed() { StartKnown_ = false; }

  // The `steps` steps the operation just recorded undo, one at a time and
  // each to a consistent diagram, to the bytes and Modified from before it,
  // and redo to those after it.
  void CheckStepsUndo(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after,
                      bool modifiedBefore, int32_t steps, int cancelledBefore, int step) {
    if (!HistorySeesAll()) return;
    if (Limit_ != DefaultHistoryLimit) return;  // a small budget drops old steps
    const bool modifiedAfter = Graph_.Modified();
    const uint32_t acts = Chaos_->Acts();
    if (Trace)
      std::fprintf(stderr, "  undo and redo the %d steps (last %s), Modified %d before and %d after\n", steps,
                   Graph_.UndoName().c_str(), modifiedBefore, modifiedAfter);
    // A handler that deletes what the history recreates makes it fail, and
    // that is not a fault of the history.
    std::vector<uint8_t> now;
    for (int32_t i = 0; i < steps; ++i) {
      const bool undone = Graph_.Undo();
      if (Trace) TraceObjects(Graph_);
      now = CheckInvariants(Graph_, step);
      if (!Undisturbed(acts)) return Disturbed();
      if (!undone) Broken("a step just recorded can be undone", step);
    }
    if (now != before) Broken("undoing an operation's steps gives the diagram from before it", step);
    if (ModifiedFollows() && Graph_.Modified() != modifiedBefore)
      Broken("undoing an operation's steps gives Modified back", step);
    for (int32_t i = 0; i < steps; ++i) {
      const bool redone = Graph_.Redo();
      if (Trace) TraceObjects(Graph_);
      now = CheckInvariants(Graph_, step);
      if (!Undisturbed(acts)) return Disturbed();
      if (!redone) Broken("a step just undone can be redone", step);
    }
    if (Trace)
      std::fprintf(stderr, "  redone: Modified %d, undo %d\n", Graph_.Modified(), Graph_.UndoCount());
    if (now != after) Broken("redoing an operation's steps gives the diagram after it", step);
    // A cancelled gesture leaves Modified as it was before the press, but
    // what it did may be in steps: a drag of several objects records the
    // move and its cancel as two steps, and links hooked onto the object a
    // press edited keep the places the edit gave them. Redoing such steps
    // sets Modified.
    if (ModifiedFollows() && CancelledGestures == cancelledBefore && Graph_.Modified() != modifiedAfter)
      Broken("redoing an operation's steps gives Modified back", step);
  }

  // CheckStepsUndo with the handlers held, and the selection and the object
  // under the mouse put back as they were, which undoing and redoing change.
  void CheckStepsUndoUnseen(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after,
                            bool modifiedBefore, int32_t steps, int cancelledBefore, int step) {
    std::vector<uint32_t> selected;
    for (const TGraphObject* object : Graph_.SelectedObjects()) selected.push_back(object->ID());
    const uint32_t hover = Graph_.ObjectUnderMouse() ? Graph_.ObjectUnderMouse()->ID() : 0;
    Chaos_->Hold(true);
    struct TRelease {
      TChaos& Chaos;
      ~TRelease() { Chaos.Hold(false); }
    } release{*Chaos_};
    CheckStepsUndo(before, after, modifiedBefore, steps, cancelledBefore, step);
    Graph_.SelectedObjects().Clear();
    for (uint32_t id : selected)
      if (TGraphObject* object = Graph_.ObjectByID(id)) object->SetSelected(true);
    Graph_.SetObjectAtCursor(hover ? Graph_.ObjectByID(hover) : nullptr);
  }

  // Undo (or redo), then the opposite and the first again: each gives the
  // bytes and Modified it gave before.
  void UndoOrRedo(bool undo, int step) {
    if (!HistorySeesAll()) {
      undo ? Graph_.Undo() : Graph_.Redo();
      return;
    }
    auto apply = [&](bool back) { return back ? Graph_.Undo() : Graph_.Redo(); };
    const std::vector<uint8_t> before = Save(Graph_);
    const bool modifiedBefore = Graph_.Modified();
    const uint32_t acts = Chaos_->Acts();
    if (!apply(undo)) return;
    if (!Undisturbed(acts)) return Disturbed();
    const std::vector<uint8_t> applied = CheckInvariants(Graph_, step);
    const bool modifiedApplied = Graph_.Modified();
    const bool reverted = apply(!undo);
    if (!Undisturbed(acts)) return Disturbed();
    if (!reverted) Broken("a step undone can be redone and one redone undone", step);
    if (CheckInvariants(Graph_, step) != before || (ModifiedFollows() && Graph_.Modified() != modifiedBefore))
      Broken("undo then redo (or redo then undo) gives the diagram and Modified back", step);
    const bool again = apply(undo);
    if (!Undisturbed(acts)) return Disturbed();
    if (!again) Broken("a step can be applied again", step);
    if (Save(Graph_) != applied || (ModifiedFollows() && Graph_.Modified() != modifiedApplied))
      Broken("applying a step again gives the same diagram and Modified", step);
  }

  // Undoing every step gives the diagram the history started with; redoing
  // them all gives the diagram back.
  void UndoAllRedoAll(int step) {
    if (GroupDepth > 0) return;  // the open group's changes are in no step yet
    if (!HistorySeesAll()) return;
    const std::vector<uint8_t> before = Save(Graph_);
    const int32_t steps = Graph_.UndoCount();
    const uint32_t acts = Chaos_->Acts();
    int32_t undone = 0;
    // Bounded: a handler that changes the diagram after each undo records a
    // new step each time, and undoing would never reach the start.
    while (undone < steps && Graph_.Undo()) ++undone;
    if (!Undisturbed(acts)) return Disturbed();
    CheckInvariants(Graph_, step);
    if (undone != steps) return;  // a step did not match and the history was cleared
    if (StartKnown_ && Limit_ == DefaultHistoryLimit && Save(Graph_) != HistoryStart_)
      Broken("undoing every step gives the diagram the history started with", step);
    int32_t redone = 0;
    while (redone < undone && Graph_.Redo()) ++redone;
    if (!Undisturbed(acts)) return Disturbed();
    if (redone == undone && Save(Graph_) != before)
      Broken("redoing every step undone gives the diagram back", step);
  }

  void Operation(int step) {
    TGraphControl& graph = Graph_;
    TInput& in = In_;
    const uint32_t operation = in.Below(32);
    if (Trace)
      std::fprintf(stderr, "operation %d: %u with %d objects\n", step, operation, graph.Objects().Count());
    switch (operation) {
      case 24:
        UndoOrRedo(true, step);
        break;
      case 25:
        UndoOrRedo(false, step);
        break;
      case 26:
        if (in.Flag())
          graph.CopyToClipboard();
        else
          graph.CutToClipboard();
        break;
      case 27: {
        if (graph.Objects().Count() >= MaxObjects / 2) break;
        switch (in.Below(4)) {
          case 0:
            graph.DuplicateSelection();
            break;
          case 1: {  // at the mouse pointer, or beside the originals
            const TPoint p = in.Point();
            Host_.Cursor = {SaturateToInt32(int64_t{p.X} * 4), SaturateToInt32(int64_t{p.Y} * 4)};
            graph.PasteFromClipboard();
            break;
          }
          case 2: {  // bytes damaged on the clipboard
            std::vector<uint8_t> bytes = Clipboard_.Content.Native;
            if (bytes.empty()) bytes = graph.SelectionStream();
            if (!bytes.empty()) bytes[static_cast<uint32_t>(in.Int32()) % bytes.size()] ^= in.Byte();
            if (in.Flag()) bytes.resize(bytes.size() / 2);
            graph.PasteStream(bytes, in.Flag(), "paste");
            break;
          }
          default:  // a kept snapshot is no diagram stream
            graph.PasteStream(Snapshot_, false, "paste");
            break;
        }
        break;
      }
      case 28: {
        const uint32_t which = in.Below(10);
        if (which < 6)
          graph.AlignSelection(static_cast<TGraphAlignment>(which));
        else if (which < 8)
          graph.DistributeSelection(static_cast<TGraphDistribution>(which - 6));
        else if (which == 8)
          graph.MakeSameWidth();
        else
          graph.MakeSameHeight();
        break;
      }
      case 29:
        UndoAllRedoAll(step);
        break;
      case 30:
        switch (in.Below(4)) {
          case 0:
            graph.ClearHistory();
            HistoryReset(graph);
            break;
          case 1:
            if (Limit_ != DefaultHistoryLimit) graph.SetHistoryLimit(HistoryLimits[in.Below(4)]);
            break;
          default: {  // two operations as one step
            TGraphControl::THistoryStep group(graph, "group");
            struct TOpenGroup {
              TOpenGroup() { ++GroupDepth; }
              ~TOpenGroup() { --GroupDepth; }
            } open;
            Operation(step);
            Operation(step);
            break;
          }
        }
        break;
      case 31:
        graph.SetSpatialIndexKind(graph.SpatialIndexKind() == TSpatialIndexKind::RTree
                                      ? TSpatialIndexKind::Scan
                                      : TSpatialIndexKind::RTree);
        break;
      default:
        BasicOperation(operation, graph, Host_, in, Snapshot_, step);
        break;
    }
    if (Trace)
      std::fprintf(stderr, "  done %u: Modified %d, undo %d, redo %d, %d objects, %u acts\n", operation,
                   graph.Modified(), graph.UndoCount(), graph.RedoCount(), graph.Objects().Count(),
                   Chaos_->Acts());
  }

  TInput& In_;
  uint8_t Flags_;
  int64_t Limit_;
  TFakeHost Host_;
  TFakeClipboard Clipboard_;
  TGraphControl Graph_;
  std::optional<TChaos> Chaos_;
  std::vector<uint8_t> Snapshot_;
  std::vector<uint8_t> HistoryStart_;
  bool StartKnown_ = true;
  bool InsertModeSeen_ = false;
  bool ModifiedUnrecorded_ = false;
};

}  // namespace

void RunSession(const uint8_t* data, size_t size, const std::vector<uint8_t>* file) {
  static const bool started = (GraphControlStartup(), InstallFixedWidthMeasurer(), true);
  (void)started;
  SilentEdits = 0;
  EndsPlaced = file == nullptr;
  TInput in(data, size);
  const auto mask = static_cast<uint16_t>(in.Byte() | in.Byte() << 8);
  const uint8_t period = in.Byte();
  const uint8_t flags = in.Byte();
  TSession(in, mask, period, flags, file).Run();
  // Nothing of the session outlives it: libFuzzer runs an input a second
  // time, looking for leaks, whenever it ends with more allocations than frees.
  std::vector<std::vector<uint8_t>>().swap(RoundTripped);
}

}  // namespace gc::fuzz
