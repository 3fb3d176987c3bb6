// The object list: every widget of the screen, the top of the z-order first,
// with its text, its zPosition and whether it is shown and locked. Selecting
// rows selects the widgets and the other way round; dragging rows (or the
// move buttons) changes the z-order; the check boxes hide and lock widgets
// through the objects' own visibility and node options, which the file
// stores as it always did. Each change is one step of the undo history.
#pragma once

#include <QAbstractTableModel>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "app/ScreenGraph.h"
#include "app/WidgetRowsModel.h"

class QTreeView;
class QToolButton;

namespace gc::app {

class IDesignerDialogs;

// The rows: the widgets, the top of the z-order first.
class TObjectListModel : public TWidgetRowsModel {
 public:
  enum TColumn { colText, colZ, colShown, colLocked, ColumnCount };
  explicit TObjectListModel(QObject* parent = nullptr) : TWidgetRowsModel(parent) {}

  // Reads the widgets again; true when the rows changed (not just values).
  bool Reload();

  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;

  // Moves the widgets of `rows` so that they start at displayed row `row`
  // (rows counted before the move), as a drop there does.
  void MoveRows(const std::vector<int>& rows, int row);
  // The rows selected in the view: a check box of a selected row acts on all
  // of them.
  std::function<std::vector<int>()> SelectedRows;
};

class TObjectList : public QWidget, private TScreenGraph::IObserver {
 public:
  explicit TObjectList(IDesignerDialogs& dialogs, QWidget* parent = nullptr);
  ~TObjectList() override;

  void SetGraph(TScreenGraph* graph);
  // Shows the screen now (otherwise once the event loop runs).
  void Refresh();

  TObjectListModel* Model = nullptr;
  QTreeView* View = nullptr;
  QToolButton *btnRaise = nullptr, *btnLower = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ScreenChanged(uint8_t changes) override;
  // The diagram's selection shown in the list.
  void ShowSelection();
  // The list's selection given to the diagram.
  void SelectWidgets();
  void MoveSelection(int by);
  std::vector<int> SelectedRows() const;

  IDesignerDialogs& Dialogs_;
  TScreenGraph* Graph_ = nullptr;
  bool Scheduled_ = false;
  uint8_t Pending_ = 0;
  bool Syncing_ = false;
};

}  // namespace gc::app
