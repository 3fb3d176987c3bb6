#include "app/ScreenGraph.h"

#include <algorithm>
#include <limits>

#include "GraphControl/GraphNode.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Stream.h"

namespace gc::app {

namespace {

// Sets a flag for the lifetime of the scope.
class TFlagScope {
 public:
  explicit TFlagScope(bool& flag) : Flag_(flag), Saved_(flag) { Flag_ = true; }
  ~TFlagScope() { Flag_ = Saved_; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& Flag_;
  bool Saved_;
};

// The bounds of the screen object: the screen's size, or the size the XML
// export writes for a screen without one.
TRect ScreenObjectBounds(const TScreenProperties& screen) {
  return screen.Size ? TRect{0, 0, screen.Size->Width, screen.Size->Height} : TRect{0, 0, 100, 100};
}

}  // namespace

// ---- Widgets ------------------------------------------------------------------------------------

std::vector<TGraphObject*> TScreenGraph::Widgets() const {
  std::vector<TGraphObject*> widgets;
  widgets.reserve(static_cast<size_t>(Objects().Count()));
  for (TGraphObject* object : Objects())
    if (!IsScreenObject(object)) widgets.push_back(object);
  return widgets;
}

int32_t TScreenGraph::WidgetIndex(const TGraphObject* object) const {
  if (IsScreenObject(object)) return -1;
  const int32_t index = object->ZOrder();
  int32_t below = 0;
  for (const TGraphObject* screen : ScreenMarked_)
    if (HoldsObject(screen) && screen->ZOrder() < index) ++below;
  return index - below;
}

std::string TScreenGraph::WidgetLabel(const TGraphObject* object) const {
  if (!object->Text().empty()) return object->Text();
  return "Widget" + std::to_string(WidgetIndex(object));
}

// ---- Custom data ----------------------------------------------------------------------------------

const TWidgetData* TScreenGraph::DataOf(const TGraphObject* object) const {
  if (!object->HasCustomData()) return nullptr;
  const auto it = Data_.find(object);
  return it == Data_.end() ? nullptr : &it->second;
}

void TScreenGraph::Forget(const TGraphObject* object) {
  Data_.erase(object);
  ScreenMarked_.erase(object);
}

void TScreenGraph::Keep(TGraphObject* object, TWidgetData data) {
  const TWidgetData* old = DataOf(object);
  if (old ? *old == data : data.IsEmpty()) return;
  const bool had = object->HasCustomData();
  const bool empty = data.IsEmpty();
  if (empty) {
    Forget(object);
  } else {
    if (data.Screen())
      ScreenMarked_.insert(object);
    else
      ScreenMarked_.erase(object);
    Data_[object] = std::move(data);
  }
  // The history records the object's state, custom data included, when the
  // change is reported: the data is in place first.
  if (had == !empty)
    object->Changed(chData);
  else
    object->SetHasCustomData(!empty);
}

void TScreenGraph::DoObjectRead(TGraphObject* object, TStream& stream) {
  std::vector<uint8_t> bytes(static_cast<size_t>(stream.Size()));
  stream.SetPosition(0);
  if (!bytes.empty()) stream.ReadBuffer(bytes.data(), bytes.size());
  stream.SetPosition(0);
  TWidgetData data = TWidgetData::Read(std::move(bytes));
  if (const std::string problem = data.Problem(); !problem.empty()) {
    const int32_t index = HoldsObject(object)
                              ? WidgetIndex(object)
                              : Objects().Count() - static_cast<int32_t>(ScreenMarked_.size());
    Problems_.push_back(
        {object->Text().empty() ? "Widget" + std::to_string(index) : object->Text(), problem});
  }
  if (data.Screen())
    ScreenMarked_.insert(object);
  else
    ScreenMarked_.erase(object);
  Data_[object] = std::move(data);
  LastRead_ = object;
  TGraphControl::DoObjectRead(object, stream);
}

void TScreenGraph::DoObjectWrite(TGraphObject* object, TStream& stream) {
  if (const TWidgetData* data = DataOf(object)) {
    const std::vector<uint8_t> bytes = data->Bytes();
    if (!bytes.empty()) stream.WriteBuffer(bytes.data(), bytes.size());
  }
  TGraphControl::DoObjectWrite(object, stream);
}

// An object that enters without having read custom data (a new one, or one
// whose custom data was empty) keeps nothing an earlier object at its address
// left behind.
void TScreenGraph::DoObjectInsert(TGraphObject* object) {
  if (object != LastRead_) Forget(object);
  LastRead_ = nullptr;
  TGraphControl::DoObjectInsert(object);
}

void TScreenGraph::DoObjectRemove(TGraphObject* object) {
  Forget(object);
  TGraphControl::DoObjectRemove(object);
}

// While undo or redo gives objects their states back: an object that reports
// its change without having read custom data got a state whose custom data
// was empty, so what the designer kept for it goes too. Data the designer
// does not understand never changes but by reading, and stays.
void TScreenGraph::DoObjectChange(TGraphObject* object) {
  if (Restoring_ && object != LastRead_ && object->HasCustomData())
    if (const auto it = Data_.find(object); it != Data_.end() && it->second.Understood()) Forget(object);
  TGraphControl::DoObjectChange(object);
}

void TScreenGraph::LoadFromStream(TStream& stream) {
  struct TReset {
    const TGraphObject*& Last;
    ~TReset() { Last = nullptr; }
  } reset{LastRead_};
  TGraphControl::LoadFromStream(stream);
}

void TScreenGraph::ReadObjects(TStream& stream) {
  struct TReset {
    const TGraphObject*& Last;
    ~TReset() { Last = nullptr; }
  } reset{LastRead_};
  TGraphControl::ReadObjects(stream);
}

bool TScreenGraph::Undo() {
  TFlagScope restoring(Restoring_);
  LastRead_ = nullptr;
  return TGraphControl::Undo();
}

bool TScreenGraph::Redo() {
  TFlagScope restoring(Restoring_);
  LastRead_ = nullptr;
  return TGraphControl::Redo();
}

std::string TScreenGraph::DataProblemsText() const {
  if (Problems_.empty()) return {};
  std::string text = Problems_.size() == 1 ? "A widget carries custom data"
                                           : std::to_string(Problems_.size()) + " widgets carry custom data";
  text +=
      " that this version of the designer does not understand. It is kept as it is and saved with "
      "the screen:";
  constexpr size_t Shown = 8;
  for (size_t i = 0; i < std::min(Problems_.size(), Shown); ++i)
    text += "\n\"" + Problems_[i].Widget + "\": " + Problems_[i].What;
  if (Problems_.size() > Shown) text += "\nand " + std::to_string(Problems_.size() - Shown) + " more.";
  return text;
}

// ---- Bindings -------------------------------------------------------------------------------------

const TWidgetBinding* TScreenGraph::Binding(const TGraphObject* widget) const {
  const TWidgetData* data = DataOf(widget);
  return data && data->Binding() ? &*data->Binding() : nullptr;
}

bool TScreenGraph::CanBind(const TGraphObject* widget) const {
  const TWidgetData* data = DataOf(widget);
  return !IsScreenObject(widget) && (!data || data->Understood());
}

void TScreenGraph::SetBinding(TGraphObject* widget, const TWidgetBinding& binding) {
  if (!CanBind(widget))
    throw EDesignerError("The widget \"" + WidgetLabel(widget) +
                         "\" carries custom data that this version of the designer does not understand; "
                         "it is kept as it is, so the widget's binding cannot be changed.");
  const TWidgetData* old = DataOf(widget);
  TWidgetData data = old ? *old : TWidgetData();
  data.SetBinding(binding);
  Keep(widget, std::move(data));
}

// ---- The screen -----------------------------------------------------------------------------------

TGraphObject* TScreenGraph::ScreenObject() const {
  TGraphObject* lowest = nullptr;
  for (const TGraphObject* marked : ScreenMarked_) {
    auto* object = const_cast<TGraphObject*>(marked);
    if (HoldsObject(object) && object->HasCustomData() && (!lowest || object->ZOrder() < lowest->ZOrder()))
      lowest = object;
  }
  return lowest;
}

TScreenProperties TScreenGraph::Screen() const {
  const TGraphObject* screen = ScreenObject();
  const TWidgetData* data = screen ? DataOf(screen) : nullptr;
  return data && data->Screen() ? *data->Screen() : TScreenProperties();
}

TRect TScreenGraph::ScreenFrame() const {
  const TScreenProperties screen = Screen();
  return screen.Size ? TRect{0, 0, screen.Size->Width, screen.Size->Height} : TRect();
}

void TScreenGraph::SetScreen(const TScreenProperties& screen) {
  if (screen.Size && (screen.Size->Width < 1 || screen.Size->Height < 1 ||
                      screen.Size->Width > MaxScreenSide || screen.Size->Height > MaxScreenSide))
    throw EDesignerError("A screen's width and height are whole numbers from 1 to " +
                         std::to_string(MaxScreenSide) + ".");
  if (screen == Screen()) return;
  THistoryStep step(*this, "screen properties");
  TUpdateLock lock(*this);
  TGraphObject* object = ScreenObject();
  if (screen.IsEmpty()) {
    if (object) object->Destroy();
    return;
  }
  if (!object) {
    object = AddNode(ScreenObjectBounds(screen), TRectangularNode::StaticClass());
    if (!object) throw EDesignerError("The screen's properties cannot be kept in this screen.");
    object->SetVisible(false);
    object->SetOptions(goShowCaption);
    static_cast<TGraphNode*>(object)->SetNodeOptions(gnoShowBackground);
    object->SendToBack();
  } else if (object->IsNode()) {
    const TRect bounds = ScreenObjectBounds(screen);
    static_cast<TGraphNode*>(object)->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
  }
  const TWidgetData* old = DataOf(object);
  TWidgetData data = old ? *old : TWidgetData();
  data.SetScreen(screen);
  Keep(object, std::move(data));
}

}  // namespace gc::app
