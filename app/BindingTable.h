// The binding table: one row a widget (bottom of the z-order first, as the
// XML export lists them) with its text and the source, converter type and
// converter name it keeps. A cell offers the lines of its value list and
// takes any typed text; a value typed or chosen while several rows are
// selected goes to all of them, and "Fill down" copies the first selected
// row's values into the other selected rows. Each edit is one step of the
// undo history.
#pragma once

#include <QAbstractTableModel>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/ScreenGraph.h"
#include "app/WidgetRowsModel.h"

class QPushButton;
class QTableView;

namespace gc::app {

class IDesignerDialogs;

// The rows: the widgets, the bottom of the z-order first.
class TBindingModel : public TWidgetRowsModel {
 public:
  enum TColumn { colText, colSource, colConverterType, colConverterName, ColumnCount };
  explicit TBindingModel(QObject* parent = nullptr) : TWidgetRowsModel(parent) {}

  bool Reload();
  // Sets one column of the rows to `value` as one step; false (nothing
  // changed) when a widget of them cannot be bound, which is reported.
  bool SetColumn(const std::vector<int>& rows, int column, const std::string& value);

  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // The rows an edit of `row` applies to: the selected rows when `row` is
  // one of them.
  std::function<std::vector<int>()> SelectedRows;
  // Reports a refused edit.
  std::function<void(const std::string&)> Report;
};

class TBindingTable : public QWidget, private TScreenGraph::IObserver {
 public:
  explicit TBindingTable(IDesignerDialogs& dialogs, QWidget* parent = nullptr);
  ~TBindingTable() override;

  void SetGraph(TScreenGraph* graph);
  // The folder of the value lists ("" = working folder).
  void SetListFolder(const std::string& folder) { ListFolder_ = folder; }
  void Refresh();
  // Copies the first selected row's values of the selected columns (all
  // three binding columns when whole rows are selected) into the other
  // selected rows, one step.
  void FillDown();
  // The lines of the value list of a binding column (read afresh).
  std::vector<std::string> Choices(int column) const;

  TBindingModel* Model = nullptr;
  QTableView* View = nullptr;
  QPushButton* btnFillDown = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ScreenChanged(uint8_t changes) override;
  void ShowSelection();
  void SelectWidgets();
  std::vector<int> SelectedRows() const;

  IDesignerDialogs& Dialogs_;
  TScreenGraph* Graph_ = nullptr;
  std::string ListFolder_;
  bool Scheduled_ = false;
  uint8_t Pending_ = 0;
  bool Syncing_ = false;
};

}  // namespace gc::app
