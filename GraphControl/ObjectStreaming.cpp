// Streaming of one graph object: the property stream written and read through
// the property tables of the object, node and link classes, custom data, the
// background picture, the constructors that read an object or replace one of
// another class, and ConvertTo.
//
// The object travels wrapped in a TGraphStreamableObject: a component with the
// two records "ID" and "G" (the object), so every record of the object itself
// has a path starting with "G.".
#include <algorithm>
#include <cstring>
#include <limits>

#include "GraphControl/Control.h"
#include "GraphControl/DrawingToolProperties.h"
#include "GraphControl/Geometry.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/GraphNode.h"
#include "GraphControl/PropertyTable.h"
#include "GraphControl/ScopedValue.h"
#include "GraphControl/Stream.h"

namespace gc {

namespace {

// The wrapper the object is streamed as. Its name, tag and position are never
// written; only the identifier and the object.
struct TGraphStreamableObject {
  TGraphObject* G = nullptr;
  uint32_t ID = 0;
};

constexpr std::string_view StreamableClassName = "TGraphStreamableObject";

// A 32-bit integer property whose value is shown as unsigned.
template <class T>
TPropertyInfo<T> UnsignedProperty(TPropertyInfo<T> p) {
  p.ValueKind = TValueKind::Unsigned;
  return p;
}

const TPropertyTable<TGraphStreamableObject>& WrapperTable() {
  static const TPropertyTable<TGraphStreamableObject> table{
      .Published = {
          // Identifiers of 2^31 and more are written as negative 32-bit values.
          UnsignedProperty(IntegerProperty<TGraphStreamableObject>(
              "ID", [](const TGraphStreamableObject& w) { return static_cast<int32_t>(w.ID); },
              [](TGraphStreamableObject& w, int32_t v) { w.ID = static_cast<uint32_t>(v); })),
          // The object lists its records through its class's table
          // (StreamRecordTypes below).
          NestedProperty<TGraphStreamableObject>(
              "G",
              [](TPropertyWriter& writer, const TGraphStreamableObject& w, const std::string& prefix) {
                w.G->WriteStreamProperties(writer, prefix);
              },
              [](TPropertyReader& reader, TGraphStreamableObject& w, std::string_view path) {
                w.G->ReadStreamProperty(reader, path);
              }),
      }};
  return table;
}

// Sets `state` among `states` for the scope. Only that bit is cleared at the
// end: other states (stDestroying, say) may change meanwhile.
auto ScopedState(TGraphObjectStates& states, TGraphObjectStates state) {
  states |= state;
  return TScopeExit([&states, state] { states &= static_cast<TGraphObjectStates>(~state); });
}

// A signed 32-bit count of `unitSize`-byte items that must fit in what is left
// of the stream; anything else is a malformed stream, rejected before any
// allocation.
size_t ReadCount(TStream& stream, size_t unitSize) {
  const int32_t count = stream.ReadInt32();
  if (count < 0) throw EReadError(InvalidPropertyValueText);
  if (static_cast<int64_t>(count) * static_cast<int64_t>(unitSize) > stream.Remaining())
    throw EReadError(StreamReadErrorText);
  return static_cast<size_t>(count);
}

// ---- Custom data --------------------------------------------------------------------------

// The object is handed to the application's OnObjectWrite, which may inspect
// it; the write itself does not change it.
void WriteCustomData(TStream& stream, const TGraphObject& object) {
  TMemoryStream data;
  TGraphObject& writable = const_cast<TGraphObject&>(object);
  writable.Owner()->DoObjectWrite(&writable, data);
  const auto& bytes = data.Bytes();
  if (bytes.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    throw EWriteError("Stream-Schreibfehler");
  stream.WriteInt32(static_cast<int32_t>(bytes.size()));
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), bytes.size());
}

void ReadCustomData(TStream& stream, TGraphObject& object) {
  const int32_t size = stream.ReadInt32();
  if (size < 1) return;
  if (size > stream.Remaining()) throw EReadError(StreamReadErrorText);
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  stream.ReadBuffer(bytes.data(), bytes.size());
  TMemoryStream data(std::move(bytes));
  object.Owner()->DoObjectRead(&object, data);
}

// ---- Background picture -------------------------------------------------------------------

constexpr size_t MaxGraphicClassName = 63;

bool IsGraphicClassName(std::string_view name) {
  return name.size() <= MaxGraphicClassName &&
         std::any_of(std::begin(GraphicClassNames), std::end(GraphicClassNames),
                     [&](std::string_view known) { return known == name; });
}

// A graphic of a class the reader does not know is refused, not written.
void WritePictureData(TStream& stream, const TPicture& picture) {
  const TGraphic* graphic = picture.Graphic();
  if (graphic && !IsGraphicClassName(graphic->ClassName)) throw EWriteError(InvalidPropertyValueText);
  TPropertyWriter writer(stream);
  writer.WriteShortString(graphic ? graphic->ClassName : std::string());
  if (!graphic) return;
  if (graphic->Data.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    throw EWriteError("Stream-Schreibfehler");
  stream.WriteInt32(static_cast<int32_t>(graphic->Data.size()));
  if (!graphic->Data.empty()) stream.WriteBuffer(graphic->Data.data(), graphic->Data.size());
}

void ReadPictureData(TStream& stream, TPicture& picture) {
  TPropertyReader reader(stream);
  const std::string className = reader.ReadShortString();
  if (className.empty()) {
    picture.SetGraphic(nullptr);
    return;
  }
  if (!IsGraphicClassName(className)) throw EReadError(InvalidPropertyValueText);
  TGraphic graphic;
  graphic.ClassName = className;
  graphic.Data.resize(ReadCount(stream, 1));
  if (!graphic.Data.empty()) stream.ReadBuffer(graphic.Data.data(), graphic.Data.size());
  picture.SetGraphic(&graphic);
}

const TPropertyTable<TPicture>& PictureTable() {
  static const TPropertyTable<TPicture> table{.Published = {},
                                              .Defined = {{
                                                  .Name = "Data",
                                                  .ValueKind = TValueKind::Picture,
                                                  .Stored = [](const TPicture& p) { return p.HasGraphic(); },
                                                  .WriteData = WritePictureData,
                                                  .ReadData = ReadPictureData,
                                              }}};
  return table;
}

// ---- The object's table -------------------------------------------------------------------

const TPropertyTable<TGraphObject>& ObjectTable() {
  static const TPropertyTable<TGraphObject> table{
      .Published =
          {
              StringProperty<TGraphObject>(
                  "Text", [](const TGraphObject& o) { return o.Text(); },
                  [](TGraphObject& o, const std::string& v) { o.SetText(v); }),
              StringProperty<TGraphObject>(
                  "Hint", [](const TGraphObject& o) { return o.Hint(); },
                  [](TGraphObject& o, const std::string& v) { o.SetHint(v); }),
              ObjectProperty<TGraphObject>(
                  "Brush", BrushPropertyTable(), [](auto& o) -> auto& { return o.Brush(); }),
              ObjectProperty<TGraphObject>(
                  "Pen", PenPropertyTable(), [](auto& o) -> auto& { return o.Pen(); }),
              ObjectProperty<TGraphObject>(
                  "Font", FontPropertyTable(), [](auto& o) -> auto& { return o.Font(); })
                  .StoredWhen([](const TGraphObject& o) { return !o.ParentFont(); }),
              BooleanProperty<TGraphObject>(
                  "ParentFont", [](const TGraphObject& o) { return o.ParentFont(); },
                  [](TGraphObject& o, bool v) { o.SetParentFont(v); }, true),
              SetProperty<TGraphObject>(
                  "Options", GraphObjectOptionIdents, [](const TGraphObject& o) { return o.Options(); },
                  [](TGraphObject& o, TGraphObjectOptions v) { o.SetOptions(v); }, goAllOptions),
              BooleanProperty<TGraphObject>(
                  "Visible", [](const TGraphObject& o) { return o.Visible(); },
                  [](TGraphObject& o, bool v) { o.SetVisible(v); }, true),
              IntegerProperty<TGraphObject>(
                  "Tag", [](const TGraphObject& o) { return o.Tag(); },
                  [](TGraphObject& o, int32_t v) { o.SetTag(v); }, 0),
              BooleanProperty<TGraphObject>(
                  "HasCustomData", [](const TGraphObject& o) { return o.HasCustomData(); },
                  [](TGraphObject& o, bool v) { o.SetHasCustomData(v); }, false),
          },
      .Defined = {{
          .Name = "CustomData",
          .ValueKind = TValueKind::CustomData,
          .Stored = [](const TGraphObject& o) { return o.HasCustomData(); },
          .WriteData = WriteCustomData,
          .ReadData = ReadCustomData,
          .FromApplication = true,
      }}};
  return table;
}

// An integer property of 0..255; other values are rejected rather than cut.
template <class T, class Get, class Set>
TPropertyInfo<T> ByteProperty(std::string name, Get get, Set set, uint8_t defaultValue) {
  TPropertyInfo<T> p = IntegerProperty<T>(
      std::move(name), [get](const T& o) { return static_cast<int32_t>(get(o)); },
      [set](T& o, int32_t v) {
        if (v < 0 || v > 255) throw EReadError(InvalidPropertyValueText);
        set(o, static_cast<uint8_t>(v));
      },
      static_cast<int32_t>(defaultValue));
  p.ValueKind = TValueKind::Byte;
  return p;
}

// Link ends are stored as unsigned identifiers; older writers stored those of
// 2^31 and more as negative 32-bit values.
uint32_t ToLinkEndID(int64_t value) {
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<uint32_t>::max())
    throw EReadError(InvalidPropertyValueText);
  return static_cast<uint32_t>(value);
}

}  // namespace

// ---- Node and link tables -----------------------------------------------------------------

const TPropertyTable<TGraphNode>& TGraphNode::StreamTable() {
  static const TPropertyTable<TGraphNode> table = [] {
    TPropertyTable<TGraphNode> t = InheritTable<TGraphNode>(ObjectTable());
    auto& p = t.Published;
    p.push_back(IntegerProperty<TGraphNode>(
        "Left", [](const TGraphNode& n) { return n.Left(); },
        [](TGraphNode& n, int32_t v) { n.SetLeft(v); }));
    p.push_back(IntegerProperty<TGraphNode>(
        "Top", [](const TGraphNode& n) { return n.Top(); }, [](TGraphNode& n, int32_t v) { n.SetTop(v); }));
    p.push_back(IntegerProperty<TGraphNode>(
        "Width", [](const TGraphNode& n) { return n.Width(); },
        [](TGraphNode& n, int32_t v) { n.SetWidth(v); }));
    p.push_back(IntegerProperty<TGraphNode>(
        "Height", [](const TGraphNode& n) { return n.Height(); },
        [](TGraphNode& n, int32_t v) { n.SetHeight(v); }));
    p.push_back(EnumProperty<TGraphNode>(
        "Alignment", AlignmentIdents, [](const TGraphNode& n) { return n.Alignment(); },
        [](TGraphNode& n, TAlignment v) { n.SetAlignment(v); }, taCenter));
    p.push_back(EnumProperty<TGraphNode>(
        "Layout", TextLayoutIdents, [](const TGraphNode& n) { return n.Layout(); },
        [](TGraphNode& n, TTextLayout v) { n.SetLayout(v); }, tlCenter));
    p.push_back(IntegerProperty<TGraphNode>(
        "Margin", [](const TGraphNode& n) { return n.Margin(); },
        [](TGraphNode& n, int32_t v) { n.SetMargin(v); }, 8));
    p.push_back(ObjectProperty<TGraphNode>(
        "Background", PictureTable(), [](auto& n) -> auto& { return n.Background(); }));
    p.push_back(SetProperty<TGraphNode>(
        "NodeOptions", GraphNodeOptionIdents, [](const TGraphNode& n) { return n.NodeOptions(); },
        [](TGraphNode& n, TGraphNodeOptions v) { n.SetNodeOptions(v); }, gnoAllOptions));
    t.Defined.push_back({
        .Name = "BackgroundMargins",
        .ValueKind = TValueKind::Margins,
        .Stored = [](const TGraphNode& n) { return n.BackgroundMargins() != TRect{}; },
        .Write =
            [](TPropertyWriter& w, const TGraphNode& n) {
              const TRect& m = n.BackgroundMargins();
              w.WriteInteger(m.Left);
              w.WriteInteger(m.Top);
              w.WriteInteger(m.Right);
              w.WriteInteger(m.Bottom);
            },
        .Read =
            [](TPropertyReader& r, TGraphNode& n) {
              TRect m;
              m.Left = r.ReadInteger();
              m.Top = r.ReadInteger();
              m.Right = r.ReadInteger();
              m.Bottom = r.ReadInteger();
              n.SetBackgroundMargins(m);
            },
    });
    return t;
  }();
  return table;
}

const TPropertyTable<TGraphLink>& TGraphLink::StreamTable() {
  static const TPropertyTable<TGraphLink> table = [] {
    TPropertyTable<TGraphLink> t = InheritTable<TGraphLink>(ObjectTable());
    auto& p = t.Published;
    p.push_back(EnumProperty<TGraphLink>(
        "BeginStyle", LinkBeginEndStyleIdents, [](const TGraphLink& l) { return l.BeginStyle(); },
        [](TGraphLink& l, TLinkBeginEndStyle v) { l.SetBeginStyle(v); }, lsNone));
    p.push_back(ByteProperty<TGraphLink>(
        "BeginSize", [](const TGraphLink& l) { return l.BeginSize(); },
        [](TGraphLink& l, uint8_t v) { l.SetBeginSize(v); }, 6));
    p.push_back(EnumProperty<TGraphLink>(
        "EndStyle", LinkBeginEndStyleIdents, [](const TGraphLink& l) { return l.EndStyle(); },
        [](TGraphLink& l, TLinkBeginEndStyle v) { l.SetEndStyle(v); }, lsArrow));
    p.push_back(ByteProperty<TGraphLink>(
        "EndSize", [](const TGraphLink& l) { return l.EndSize(); },
        [](TGraphLink& l, uint8_t v) { l.SetEndSize(v); }, 6));
    p.push_back(gc::SetProperty<TGraphLink>(
        "LinkOptions", GraphLinkOptionIdents, [](const TGraphLink& l) { return l.LinkOptions(); },
        [](TGraphLink& l, TGraphLinkOptions v) { l.SetLinkOptions(v); }, 0));
    p.push_back(IntegerProperty<TGraphLink>(
        "TextPosition", [](const TGraphLink& l) { return l.TextPosition(); },
        [](TGraphLink& l, int32_t v) { l.SetTextPosition(v); }, -1));
    p.push_back(IntegerProperty<TGraphLink>(
        "TextSpacing", [](const TGraphLink& l) { return l.TextSpacing(); },
        [](TGraphLink& l, int32_t v) { l.SetTextSpacing(v); }, 0));

    auto readSource = [](TPropertyReader& r, TGraphLink& l) {
      l.SetSourceID(ToLinkEndID(r.ReadInteger64()));
    };
    auto readTarget = [](TPropertyReader& r, TGraphLink& l) {
      l.SetTargetID(ToLinkEndID(r.ReadInteger64()));
    };
    auto& d = t.Defined;
    d.push_back({
        .Name = "Source",
        .ValueKind = TValueKind::LinkEnd,
        .Stored = [](const TGraphLink& l) { return l.Source() != nullptr; },
        .Write = [](TPropertyWriter& w, const TGraphLink& l) { w.WriteInteger64(l.SourceID()); },
        .Read = readSource,
    });
    d.push_back({
        .Name = "Target",
        .ValueKind = TValueKind::LinkEnd,
        .Stored = [](const TGraphLink& l) { return l.Target() != nullptr; },
        .Write = [](TPropertyWriter& w, const TGraphLink& l) { w.WriteInteger64(l.TargetID()); },
        .Read = readTarget,
    });
    d.push_back({
        .Name = "BreakPoints",
        .ValueKind = TValueKind::Points,
        .Stored = [](const TGraphLink& l) { return l.PointCount() > 0; },
        .WriteData =
            [](TStream& s, const TGraphLink& l) {
              s.WriteInt32(l.PointCount());
              for (const TPoint& pt : l.Points_) {
                s.WriteInt32(pt.X);
                s.WriteInt32(pt.Y);
              }
            },
        .ReadData =
            [](TStream& s, TGraphLink& l) {
              TPoints points(ReadCount(s, 8));
              for (TPoint& pt : points) {
                pt.X = s.ReadInt32();
                pt.Y = s.ReadInt32();
              }
              if (points == l.Points_) return;
              // Stored directly: the hooks stay as they are (a snapshot
              // restores a hooked link's points).
              l.Points_ = std::move(points);
              l.Changed(chVisual | chData | chCaption | chBounds);
            },
    });
    // Paths of older files, read only.
    d.push_back({.Name = "FromNode", .ValueKind = TValueKind::LinkEnd, .Read = readSource});
    d.push_back({.Name = "ToNode", .ValueKind = TValueKind::LinkEnd, .Read = readTarget});
    d.push_back({
        .Name = "Kind",
        .ValueKind = TValueKind::Identifier,
        .Read =
            [](TPropertyReader& r, TGraphLink& l) {
              const std::string kind = r.ReadIdent();
              if (SameText(kind, "lkUndirected"))
                l.SetEndStyle(lsNone);
              else if (SameText(kind, "lkBidirected"))
                l.SetBeginStyle(lsArrow);
            },
    });
    d.push_back({
        .Name = "ArrowSize",
        .Read =
            [](TPropertyReader& r, TGraphLink& l) {
              const auto size = static_cast<uint8_t>(static_cast<uint32_t>(r.ReadInteger()) + 2u);
              l.SetBeginSize(size);
              l.SetEndSize(size);
            },
    });
    return t;
  }();
  return table;
}

// ---- Record types ---------------------------------------------------------------------------

namespace {

// The records of an object streamed through the wrapper: "ID", then the
// object's own under "G.".
template <class T>
TRecordTypes WrappedRecordTypes(const TPropertyTable<T>& table) {
  TRecordTypes types;
  ListRecordTypes(WrapperTable(), {}, types);
  ListRecordTypes(table, "G.", types);
  for (size_t i = 0; i < types.size(); ++i) types[i].Place = i;
  return types;
}

}  // namespace

const TRecordTypes& TGraphNode::StreamRecordTypes() {
  static const TRecordTypes types = WrappedRecordTypes(StreamTable());
  return types;
}
const TRecordTypes& TGraphLink::StreamRecordTypes() {
  static const TRecordTypes types = WrappedRecordTypes(StreamTable());
  return types;
}

// ---- Table dispatch -----------------------------------------------------------------------

void TGraphObject::WriteStreamProperties(TPropertyWriter& writer, const std::string& prefix) const {
  WriteProperties(writer, ObjectTable(), *this, prefix);
}
void TGraphObject::ReadStreamProperty(TPropertyReader& reader, std::string_view path) {
  ReadProperty(reader, ObjectTable(), *this, path);
}
void TGraphNode::WriteStreamProperties(TPropertyWriter& writer, const std::string& prefix) const {
  WriteProperties(writer, StreamTable(), *this, prefix);
}
void TGraphNode::ReadStreamProperty(TPropertyReader& reader, std::string_view path) {
  ReadProperty(reader, StreamTable(), *this, path);
}
void TGraphLink::WriteStreamProperties(TPropertyWriter& writer, const std::string& prefix) const {
  WriteProperties(writer, StreamTable(), *this, prefix);
}
void TGraphLink::ReadStreamProperty(TPropertyReader& reader, std::string_view path) {
  ReadProperty(reader, StreamTable(), *this, path);
}

// ---- Saving and loading one object ------------------------------------------------------

void TGraphObject::SaveToStream(TStream& stream) {
  auto writing = ScopedState(States_, stWriting);
  TGraphStreamableObject wrapper{this, ID_};
  TPropertyWriter writer(stream);
  WritePropertyStream(writer, StreamableClassName, WrapperTable(), wrapper);
}

void TGraphObject::LoadFromStream(TStream& stream) {
  TGraphObject::TUpdateLock lock(*this);
  TGraphStreamableObject wrapper{this, ID_};
  {
    auto reading = ScopedState(States_, stReading);
    TPropertyReader reader(stream);
    ReadPropertyStream(reader, WrapperTable(), wrapper);
  }
  SetID(wrapper.ID);
  if (HasState(stCreating)) return;
  // Reading stores bounds without notification; an object that was already
  // in the diagram (a snapshot restored, a step undone or redone) reports a
  // new place, so that the cached extents and the scroll ranges follow and
  // the old area is repainted, with the selection markers around it (they
  // reach out by at most MarkerSize, whatever pen was read).
  const TRect before = PaintBounds();
  Prepare();
  if (PaintBounds() != before) {
    Owner()->InvalidateRect(InflatedRect(before, Owner()->MarkerSize()));
    Changed(chVisual | chBounds);
  }
}

// ---- Constructors that read or replace ------------------------------------------------------

TGraphObject* TGraphObject::CreateFromStream(const TGraphObjectClass* cls, TGraphControl* owner,
                                             TStream& stream) {
  return Construct(cls, owner, [&stream](TGraphObject* object) {
    object->AddState(stLoading);
    object->LoadFromStream(stream);
  });
}

void TGraphObject::TakeOverFrom(TGraphObject& old) {
  Data_ = old.Data_;
  // The new object takes old's slot in the owner's SelectedObjects as well.
  Selected_ = old.Selected_;
  if (!old.Lists_ && !Lists_) return;
  const TGraphObject& from = old;
  LinksIn().Assign(from.LinksIn());
  LinksOut().Assign(from.LinksOut());
  Dependents().Assign(from.Dependents());
}

void TGraphLink::TakeOverFrom(TGraphObject& old) {
  TGraphObject::TakeOverFrom(old);
  if (!old.IsLink()) return;
  const auto& link = static_cast<const TGraphLink&>(old);
  // The hooked objects list the old link; SubstituteObject puts this one in
  // its place there, so the references are taken over as they are.
  Source_ = link.Source_;
  Target_ = link.Target_;
  SourceID_ = link.SourceID_;
  TargetID_ = link.TargetID_;
}

TGraphObject* TGraphObject::CreateReplacing(const TGraphObjectClass* cls, TGraphObject* old) {
  auto converting = ScopedState(old->States_, stConverting);
  TGraphControl* owner = old->Owner();
  return Construct(cls, owner, [old, owner](TGraphObject* object) {
    object->AddState(stConverting);
    TMemoryStream data;
    old->SaveToStream(data);
    data.SetPosition(0);
    object->LoadFromStream(data);
    object->TakeOverFrom(*old);
    // Nothing below fails: from here on the new object holds old's places.
    owner->ReplaceObject({}, old, object);
    TGraphObjectList& objects = owner->Objects();
    for (int32_t i = objects.Count() - 1; i >= 0; --i) objects.Items(i)->SubstituteObject(old, object);
  });
}

TGraphObject* TGraphObject::ConvertTo(const TGraphObjectClass* cls) {
  if (!cls || cls == ClassType() || cls->IsAbstract() || cls->IsLink() != IsLink()) return this;
  // One undo step: the new object and the hooked links it places anew as it
  // takes the old one's place; undoing gives both back together.
  TGraphControl::THistoryStep step(*Owner());
  TGraphObject* replacement = CreateReplacing(cls, this);
  AddState(stConverting);
  Destroy();
  return replacement;
}

}  // namespace gc
