// TGraphControl: copy, cut, paste and duplicate. The diagram's own clipboard
// format holds a diagram stream of the copied objects, so pasting is reading
// an object block: identifiers that are taken are renumbered and links among
// the pasted objects stay linked.
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "GraphControl/Control.h"
#include "GraphControl/ControlInternal.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/GraphNode.h"
#include "GraphControl/Identifiers.h"
#include "GraphControl/Numeric.h"
#include "GraphControl/PropertyStream.h"
#include "GraphControl/RenderHooks.h"
#include "GraphControl/Stream.h"
#include "platform/Clipboard.h"
#include "platform/Platform.h"

namespace gc {

namespace {

constexpr uint8_t DiagramSignature[4] = {0x30, 0x2E, 0x47, 0x53};  // "0.GS", as files start

// Pasted objects step away from objects like them by about this many units,
// rounded up to whole grid steps so they stay on the grid.
constexpr int32_t PasteStep = 10;
// How many steps a paste tries before it settles on the last.
constexpr int32_t MaxPasteSteps = 1000;

// A property stream without the records whose path is in `paths`.
std::vector<uint8_t> WithoutRecords(const std::vector<uint8_t>& bytes,
                                    const std::vector<std::string_view>& paths) {
  TMemoryStream stream(bytes);
  TPropertyReader reader(stream);
  reader.ReadHeader();
  std::vector<uint8_t> result(bytes.begin(), bytes.begin() + stream.Position());
  while (!reader.EndOfList()) {
    const int64_t start = stream.Position();
    const std::string path = reader.ReadPropertyName();
    reader.SkipValue();
    const bool dropped =
        std::any_of(paths.begin(), paths.end(), [&](std::string_view p) { return SameText(p, path); });
    if (!dropped) result.insert(result.end(), bytes.begin() + start, bytes.begin() + stream.Position());
  }
  result.insert(result.end(), bytes.begin() + stream.Position(), bytes.end());
  return result;
}

// A link copied without the object at one of its ends keeps its points and
// loses that hook.
std::vector<uint8_t> CopiedState(TGraphObject* object,
                                 const std::unordered_set<const TGraphObject*>& copied) {
  TMemoryStream stream;
  object->SaveToStream(stream);
  const auto* link = dynamic_cast<const TGraphLink*>(object);
  if (!link) return stream.Bytes();
  std::vector<std::string_view> dropped;
  if (link->Source() && !copied.count(link->Source())) dropped.push_back("G.Source");
  if (link->Target() && !copied.count(link->Target())) dropped.push_back("G.Target");
  return dropped.empty() ? stream.Bytes() : WithoutRecords(stream.Bytes(), dropped);
}

TRect UnionOfBounds(const TGraphObjectList& objects) {
  TRect bounds = EmptyMarkerRect;
  for (TGraphObject* object : objects) {
    const TRect r = object->GetBoundsRect();
    bounds = {std::min(bounds.Left, r.Left), std::min(bounds.Top, r.Top), std::max(bounds.Right, r.Right),
              std::max(bounds.Bottom, r.Bottom)};
  }
  return bounds;
}

TRect Offset(const TRect& r, int32_t dx, int32_t dy) {
  // Saturating: objects near the coordinate limits stay representable.
  return {SaturatingAdd(r.Left, dx), SaturatingAdd(r.Top, dy), SaturatingAdd(r.Right, dx),
          SaturatingAdd(r.Bottom, dy)};
}

struct TPlacement {
  const TGraphObjectClass* Class;
  TRect Bounds;
  bool operator==(const TPlacement&) const = default;
};

struct TPlacementHash {
  size_t operator()(const TPlacement& p) const {
    size_t h = std::hash<const void*>()(p.Class);
    for (int32_t v : {p.Bounds.Left, p.Bounds.Top, p.Bounds.Right, p.Bounds.Bottom})
      h = h * 1000003u ^ std::hash<int32_t>()(v);
    return h;
  }
};

}  // namespace

IClipboard* TGraphControl::Clipboard() const {
  return Clipboard_ ? Clipboard_ : PlatformServices().Clipboard;
}

std::vector<uint8_t> TGraphControl::SelectionStream() const {
  std::vector<TGraphObject*> chosen;
  for (TGraphObject* object : Objects_)
    if (object->Selected()) chosen.push_back(object);
  const std::unordered_set<const TGraphObject*> copied(chosen.begin(), chosen.end());
  TMemoryStream stream;
  stream.WriteBuffer(DiagramSignature, sizeof DiagramSignature);
  stream.WriteInt32(static_cast<int32_t>(chosen.size()));
  for (TGraphObject* object : chosen) {
    const std::string& name = object->ClassType()->ClassName();
    stream.WriteInt32(static_cast<int32_t>(name.size() + 1));
    stream.WriteBuffer(name.data(), name.size());
    stream.WriteUInt8(0);
    const std::vector<uint8_t> state = CopiedState(object, copied);
    stream.WriteBuffer(state.data(), state.size());
  }
  return stream.Bytes();
}

bool TGraphControl::CopyToClipboard() {
  IClipboard* clipboard = Clipboard();
  if (!clipboard || SelectedObjects_.IsEmpty()) return false;
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  TClipboardContent content;
  content.Native = SelectionStream();
  // Pictures and captions in z-order, as the objects are drawn.
  TGraphObjectList chosen;
  for (TGraphObject* object : Objects_) {
    if (!object->Selected()) continue;
    chosen.Add(object);
    if (object->Text().empty()) continue;
    if (!content.Text.empty()) content.Text += '\n';
    content.Text += object->Text();
  }
  if (auto bitmap = RenderBitmap(chosen)) content.Png = bitmap->Encode();
  if (auto metafile = RenderMetafile(chosen)) content.Svg = metafile->Encode();
  clipboard->SetContent(content);
  return true;
}

bool TGraphControl::CutToClipboard() {
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  if (!CopyToClipboard()) return false;
  THistoryStep step(*this, "cut");
  VisitObjects(
      [](TGraphObject* object, int32_t) {
        object->Delete();  // a refused deletion leaves the object; the others still go
        return true;
      },
      0, true);
  return true;
}

bool TGraphControl::PasteFromClipboard() {
  IClipboard* clipboard = Clipboard();
  std::vector<uint8_t> bytes;
  if (!clipboard || !clipboard->GetNative(bytes)) return false;
  return PasteStream(bytes, true, "paste");
}

bool TGraphControl::DuplicateSelection() {
  if (SelectedObjects_.IsEmpty()) return false;
  return PasteStream(SelectionStream(), false, "duplicate");
}

bool TGraphControl::PasteStream(const std::vector<uint8_t>& bytes, bool atCursor,
                                const std::string& stepName) {
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  // Read into a scratch diagram first: a stream that does not read leaves
  // this diagram untouched, and the objects' bounds are known before.
  TGraphControl scratch;
  scratch.SetHistoryLimit(0);
  {
    TMemoryStream stream(bytes);
    scratch.LoadFromStream(stream);
  }
  if (scratch.Objects().IsEmpty()) return false;
  const TRect bounds = UnionOfBounds(scratch.Objects());

  int32_t dx = 0;
  int32_t dy = 0;
  const TPoint mouse = Host_ ? Host_->CursorPos() : TPoint{-1, -1};
  const TSize client = ClientSize();
  if (atCursor && Host_ && mouse.X >= 0 && mouse.Y >= 0 && mouse.X < client.cx && mouse.Y < client.cy) {
    TPoint target = ClientToGraph(mouse);
    if (SnapToGrid_) target = GridSnapPoint(target);
    dx = SaturatingSub(target.X, bounds.Left);
    dy = SaturatingSub(target.Y, bounds.Top);
  } else {
    // Step away while an object of the same class lies exactly where a
    // pasted one would.
    std::unordered_set<TPlacement, TPlacementHash> taken;
    for (TGraphObject* object : Objects_) taken.insert({object->ClassType(), object->GetBoundsRect()});
    const int32_t step = (PasteStep + GridSize_ - 1) / GridSize_ * GridSize_;
    const auto covers = [&](int32_t offset) {
      return std::any_of(scratch.Objects().begin(), scratch.Objects().end(), [&](TGraphObject* o) {
        return taken.count({o->ClassType(), Offset(o->GetBoundsRect(), offset, offset)}) != 0;
      });
    };
    int32_t offset = 0;
    for (int32_t i = 0; i < MaxPasteSteps && covers(offset); ++i) offset += step;
    dx = dy = offset;
  }
  GraphConstraints_.SetSourceRect(bounds);
  GraphConstraints_.ConfineOffset(dx, dy, gsAll);

  THistoryStep historyStep(*this, stepName);
  TUpdateLock lock(*this);
  const int32_t first = Objects_.Count();
  {
    TMemoryStream stream(bytes);
    stream.SetPosition(sizeof DiagramSignature);
    ReadObjects(stream);
  }
  std::vector<TGraphObject*> pasted(Objects_.begin() + first, Objects_.end());
  if (dx != 0 || dy != 0) {
    // Moved all at once, so links follow the nodes they are hooked to
    // exactly; what may move interactively does not matter for a copy.
    TQuerySuppressLock suppress(*this);
    for (TGraphObject* object : pasted) object->BeginUpdate();
    for (TGraphObject* object : pasted) {
      auto* node = dynamic_cast<TGraphNode*>(object);
      const TGraphNodeOptions options = node ? node->NodeOptions() : 0;
      if (node) node->SetNodeOptions(options | gnoMovable);
      object->MoveBy(dx, dy);
      if (node) node->SetNodeOptions(options);
    }
    for (TGraphObject* object : pasted) object->EndUpdate();
  }
  SelectedObjects_.Clear();
  for (int32_t i = first; i < Objects_.Count(); ++i) Objects_.Items(i)->SetSelected(true);
  return !pasted.empty();
}

}  // namespace gc
