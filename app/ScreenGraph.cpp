#include "app/ScreenGraph.h"
#include "GraphControl/ScopedValue.h"

#include <algorithm>
#include <limits>

#include "GraphControl/GraphNode.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Stream.h"

namespace gc::app {

namespace {

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

std::vector<TGraphObject*> TScreenGraph::SelectedWidgets() const {
  std::vector<TGraphObject*> widgets;
  for (TGraphObject* object : SelectedObjects())
    if (!IsScreenObject(object)) widgets.push_back(object);
  std::sort(widgets.begin(), widgets.end(),
            [](const TGraphObject* a, const TGraphObject* b) { return a->ZOrder() < b->ZOrder(); });
  return widgets;
}

void TScreenGraph::SelectWidgets(const std::vector<TGraphObject*>& widgets) {
  TUpdateLock lock(*this);
  // Deselecting takes objects out of the selected list: go through a copy.
  const std::vector<TGraphObject*> selected = SelectedObjects().Items();
  for (TGraphObject* object : selected)
    if (std::find(widgets.begin(), widgets.end(), object) == widgets.end()) object->SetSelected(false);
  for (TGraphObject* widget : widgets)
    if (HoldsObject(widget) && !IsScreenObject(widget)) widget->SetSelected(true);
}

// All of them go to the top first, keeping their order; then each goes down
// to its place, the lowest first, which leaves the ones above it where they are.
void TScreenGraph::MoveWidgets(std::vector<TGraphObject*> widgets, int32_t widgetIndex) {
  std::erase_if(widgets, [this](TGraphObject* w) { return !HoldsObject(w) || IsScreenObject(w); });
  if (widgets.empty()) return;
  std::sort(widgets.begin(), widgets.end(),
            [](const TGraphObject* a, const TGraphObject* b) { return a->ZOrder() < b->ZOrder(); });
  widgets.erase(std::unique(widgets.begin(), widgets.end()), widgets.end());
  // The object index of the first moved widget: after the others below it.
  std::vector<TGraphObject*> others;
  for (TGraphObject* object : Objects())
    if (std::find(widgets.begin(), widgets.end(), object) == widgets.end()) others.push_back(object);
  int32_t place = static_cast<int32_t>(others.size());
  for (int32_t i = 0, seen = 0; i < static_cast<int32_t>(others.size()); ++i) {
    if (IsScreenObject(others[i])) continue;
    if (seen++ == std::max(widgetIndex, 0)) {
      place = i;
      break;
    }
  }
  bool inPlace = true;
  for (size_t i = 0; i < widgets.size(); ++i) inPlace = inPlace && widgets[i]->ZOrder() == place + int32_t(i);
  if (inPlace) return;
  THistoryStep step(*this, "order");
  TUpdateLock lock(*this);
  for (TGraphObject* widget : widgets) widget->BringToFront();
  for (size_t i = 0; i < widgets.size(); ++i) widgets[i]->SetZOrder(place + static_cast<int32_t>(i));
}

bool TScreenGraph::IsLocked(const TGraphObject* widget) {
  return widget->IsNode() &&
         !(static_cast<const TGraphNode*>(widget)->NodeOptions() & (gnoMovable | gnoResizable));
}

void TScreenGraph::SetWidgetsVisible(const std::vector<TGraphObject*>& widgets, bool visible) {
  THistoryStep step(*this, visible ? "show" : "hide");
  TUpdateLock lock(*this);
  for (TGraphObject* widget : widgets)
    if (HoldsObject(widget) && !IsScreenObject(widget)) widget->SetVisible(visible);
}

void TScreenGraph::SetWidgetsLocked(const std::vector<TGraphObject*>& widgets, bool locked) {
  THistoryStep step(*this, locked ? "lock" : "unlock");
  TUpdateLock lock(*this);
  for (TGraphObject* widget : widgets) {
    if (!HoldsObject(widget) || IsScreenObject(widget) || !widget->IsNode()) continue;
    auto* node = static_cast<TGraphNode*>(widget);
    const TGraphNodeOptions moving = gnoMovable | gnoResizable;
    node->SetNodeOptions(locked ? node->NodeOptions() & ~moving : node->NodeOptions() | moving);
  }
}

// ---- Observers ------------------------------------------------------------------------------------

void TScreenGraph::AddObserver(IObserver* observer) {
  if (std::find(Observers_.begin(), Observers_.end(), observer) == Observers_.end())
    Observers_.push_back(observer);
}

void TScreenGraph::RemoveObserver(IObserver* observer) { std::erase(Observers_, observer); }

void TScreenGraph::Notify(uint8_t changes) {
  for (IObserver* observer : std::vector<IObserver*>(Observers_)) observer->ScreenChanged(changes);
}

void TScreenGraph::DoObjectSelect(TGraphObject* object) {
  Notify(chgSelection);
  TGraphControl::DoObjectSelect(object);
}

void TScreenGraph::DoGraphChange() {
  Notify(chgContent);
  TGraphControl::DoGraphChange();
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
  if (const std::string problem = data.Problem(); Reading_ && !problem.empty()) {
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
  Notify(chgContent);
  TGraphControl::DoObjectInsert(object);
}

void TScreenGraph::DoObjectRemove(TGraphObject* object) {
  Forget(object);
  Notify(chgContent);
  TGraphControl::DoObjectRemove(object);
}

void TScreenGraph::DoObjectChange(TGraphObject* object) {
  Notify(chgContent);
  TGraphControl::DoObjectChange(object);
}

void TScreenGraph::DoObjectRestore(TGraphObject* object) {
  Forget(object);
  TGraphControl::DoObjectRestore(object);
}

// Reading objects ends with nothing read last, whether it succeeds or not.
void TScreenGraph::LoadFromStream(TStream& stream) {
  TScopeExit forgetLastRead([this] { LastRead_ = nullptr; });
  TScopedValue reading(Reading_, true);
  TGraphControl::LoadFromStream(stream);
}

void TScreenGraph::ReadObjects(TStream& stream) {
  TScopeExit forgetLastRead([this] { LastRead_ = nullptr; });
  TScopedValue reading(Reading_, true);
  TGraphControl::ReadObjects(stream);
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
    // The object cannot be moved or resized but to follow the screen's size.
    auto* node = static_cast<TGraphNode*>(object);
    const TGraphNodeOptions options = node->NodeOptions();
    node->SetNodeOptions(options | gnoMovable | gnoResizable);
    node->SetBoundsRect(ScreenObjectBounds(screen));
    node->SetNodeOptions(options);
  }
  const TWidgetData* old = DataOf(object);
  TWidgetData data = old ? *old : TWidgetData();
  data.SetScreen(screen);
  Keep(object, std::move(data));
}

}  // namespace gc::app
