#include "app/WidgetRowsModel.h"

namespace gc::app {

bool TWidgetRowsModel::SetRows(std::vector<uint32_t> ids) {
  if (ids == IDs_) {
    if (!IDs_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    return false;
  }
  beginResetModel();
  IDs_ = std::move(ids);
  Rows_.clear();
  for (size_t row = 0; row < IDs_.size(); ++row) Rows_.emplace(IDs_[row], static_cast<int>(row));
  endResetModel();
  return true;
}

TGraphObject* TWidgetRowsModel::WidgetAt(int row) const {
  if (!Graph_ || row < 0 || row >= rowCount()) return nullptr;
  TGraphObject* object = Graph_->ObjectByID(IDs_[static_cast<size_t>(row)]);
  return object && !Graph_->IsScreenObject(object) ? object : nullptr;
}

int TWidgetRowsModel::RowOf(const TGraphObject* widget) const {
  const auto it = Rows_.find(widget->ID());
  return it == Rows_.end() ? -1 : it->second;
}

int TWidgetRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(IDs_.size());
}

}  // namespace gc::app
