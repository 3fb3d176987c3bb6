// A diagram that is a screen: its widgets keep their data bindings, and one
// hidden object stands for the screen itself with its name, size, title and
// background colour. Both live in the objects' custom data (WidgetData.h), so
// every reader of the format reads such screens, and a reader that ignores
// custom data shows the same widgets. No Qt in here: the designer's window,
// its export window and the command line all use it.
//
// The screen object is a hidden rectangular node that cannot be selected,
// moved or resized, placed at the bottom of the z-order when it is made, with
// the screen's size as its bounds. It exists only while a screen property is
// set, so a screen that uses none keeps the bytes it always had. The widgets
// are the other objects; a widget's index among them is what the XML export
// counts ("Widget3", zPosition).
//
// Custom data the designer does not understand (another program's, a later
// version's, damaged) is kept byte for byte and written back, and each such
// object is listed in DataProblems.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "GraphControl/Control.h"
#include "app/WidgetData.h"

namespace gc::app {

class TScreenGraph : public TGraphControl {
 public:
  // ---- Widgets -------------------------------------------------------------------------------
  // Marked as the screen (there is normally one; the lowest is used).
  bool IsScreenObject(const TGraphObject* object) const { return ScreenMarked_.count(object) != 0; }
  // Every object but the screen objects, bottom of the z-order first.
  std::vector<TGraphObject*> Widgets() const;
  // The object's place among the widgets; -1 for a screen object.
  int32_t WidgetIndex(const TGraphObject* object) const;
  // The text a widget is announced by: its text, or "Widget" and its index.
  std::string WidgetLabel(const TGraphObject* object) const;
  // The selected widgets, bottom of the z-order first.
  std::vector<TGraphObject*> SelectedWidgets() const;
  // The selection becomes exactly `widgets` (objects of the diagram; screen
  // objects are left out).
  void SelectWidgets(const std::vector<TGraphObject*>& widgets);
  // One step: the widgets (any order) move together, keeping their order,
  // so that the lowest of them has `widgetIndex` among the widgets (clamped).
  void MoveWidgets(std::vector<TGraphObject*> widgets, int32_t widgetIndex);
  // A locked widget cannot be moved or resized (its node options).
  static bool IsLocked(const TGraphObject* widget);
  // One step each: shows or hides, locks or unlocks the widgets.
  void SetWidgetsVisible(const std::vector<TGraphObject*>& widgets, bool visible);
  void SetWidgetsLocked(const std::vector<TGraphObject*>& widgets, bool locked);

  // ---- Bindings ------------------------------------------------------------------------------
  // The binding the widget keeps, or null.
  const TWidgetBinding* Binding(const TGraphObject* widget) const;
  // False when the widget's custom data is not the designer's: its binding
  // cannot be changed without losing that data.
  bool CanBind(const TGraphObject* widget) const;
  // Keeps `binding` (an empty one removes the binding). A change of the
  // diagram: recorded by the undo history, Modified. Raises EDesignerError
  // for a widget that cannot be bound.
  void SetBinding(TGraphObject* widget, const TWidgetBinding& binding);

  // ---- The screen ----------------------------------------------------------------------------
  TGraphObject* ScreenObject() const;
  // All unset without a screen object.
  TScreenProperties Screen() const;
  // One step of the history: makes, changes or (for properties that are all
  // unset) removes the screen object. Raises EDesignerError for a size
  // outside 1..MaxScreenSide.
  void SetScreen(const TScreenProperties& screen);
  // (0, 0, width, height) when the size is set, else empty.
  TRect ScreenFrame() const;

  // ---- Custom data not understood ---------------------------------------------------------------
  struct TDataProblem {
    std::string Widget;  // its label when it was read
    std::string What;
  };
  // Found while reading since the last ClearDataProblems.
  const std::vector<TDataProblem>& DataProblems() const { return Problems_; }
  void ClearDataProblems() { Problems_.clear(); }
  // The problems as one text for a message, or "" when there are none.
  std::string DataProblemsText() const;

  // ---- Windows that show the screen ---------------------------------------------------------------
  // Told of every change, as it happens; an observer only notes it and must
  // not change the diagram from there.
  enum TChange : uint8_t {
    chgSelection = 1,  // the selection
    chgContent = 2,    // objects, their properties, their order, the screen
  };
  class IObserver {
   public:
    virtual ~IObserver() = default;
    virtual void ScreenChanged(uint8_t changes) = 0;
  };
  void AddObserver(IObserver* observer);
  void RemoveObserver(IObserver* observer);

  // Custom data the designer does not understand is reported (DataProblems)
  // when a screen is loaded or objects are pasted, not when undo or redo
  // give it back.
  void LoadFromStream(TStream& stream) override;
  void ReadObjects(TStream& stream) override;

 protected:
  void DoObjectRead(TGraphObject* object, TStream& stream) override;
  void DoObjectWrite(TGraphObject* object, TStream& stream) override;
  // Undo, redo or Escape during a drag give the object a recorded state: what
  // the designer keeps for it goes, and comes back from the state's custom
  // data when it has any.
  void DoObjectRestore(TGraphObject* object) override;
  void DoObjectInsert(TGraphObject* object) override;
  void DoObjectRemove(TGraphObject* object) override;
  void DoObjectChange(TGraphObject* object) override;
  void DoObjectSelect(TGraphObject* object) override;
  void DoGraphChange() override;

 private:
  // What the designer keeps for the object, or null (also when the object
  // has no custom data).
  const TWidgetData* DataOf(const TGraphObject* object) const;
  // Stores `data` for the object and reports the change.
  void Keep(TGraphObject* object, TWidgetData data);
  void Forget(const TGraphObject* object);
  void Notify(uint8_t changes);

  std::unordered_map<const TGraphObject*, TWidgetData> Data_;
  std::unordered_set<const TGraphObject*> ScreenMarked_;
  std::vector<TDataProblem> Problems_;
  // The object whose custom data was read last, until it enters the diagram
  // or reports its change: an object that enters or changes without having
  // read any keeps nothing from before.
  const TGraphObject* LastRead_ = nullptr;
  // Inside LoadFromStream or ReadObjects: data not understood is reported.
  bool Reading_ = false;
  std::vector<IObserver*> Observers_;
};

// A request the designer refuses, with a message for the user.
class EDesignerError : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace gc::app
