// Table rows that are the screen's widgets, shared by the object list and the
// binding table. Rows hold widgets by identifier, so that a widget removed
// before the next refresh leaves an empty row instead of a dangling one.
#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "app/ScreenGraph.h"

namespace gc::app {

class TWidgetRowsModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  void SetGraph(TScreenGraph* graph) { Graph_ = graph; }
  // The widget of a row; null for a row whose widget has gone.
  TGraphObject* WidgetAt(int row) const;
  // The row of a widget, or -1.
  int RowOf(const TGraphObject* widget) const;

  int rowCount(const QModelIndex& parent = {}) const override;

 protected:
  // Takes the widgets `ids` as the rows, in display order. True when the rows
  // changed (the model is reset); otherwise only their values may have, and
  // every cell is announced as changed.
  bool SetRows(std::vector<uint32_t> ids);

  TScreenGraph* Graph_ = nullptr;

 private:
  std::vector<uint32_t> IDs_;
  std::unordered_map<uint32_t, int> Rows_;  // by identifier
};

}  // namespace gc::app
