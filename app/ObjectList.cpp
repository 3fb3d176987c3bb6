#include "app/ObjectList.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/DesignerDialogs.h"
#include "app/DesignerIcons.h"

namespace gc::app {

namespace {

constexpr const char* RowsMimeType = "application/x-screendesigner-rows";

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

// ---- The model ------------------------------------------------------------------------------------

bool TObjectListModel::Reload() {
  std::vector<uint32_t> ids;
  if (Graph_) {
    const std::vector<TGraphObject*> widgets = Graph_->Widgets();
    ids.reserve(widgets.size());
    for (auto it = widgets.rbegin(); it != widgets.rend(); ++it) ids.push_back((*it)->ID());
  }
  return SetRows(std::move(ids));
}

int TObjectListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant TObjectListModel::data(const QModelIndex& index, int role) const {
  const TGraphObject* widget = WidgetAt(index.row());
  if (!widget) return {};
  switch (index.column()) {
    case colText:
      if (role == Qt::DisplayRole) return Q(Graph_->WidgetLabel(widget));
      if (role == Qt::ForegroundRole && !widget->Visible()) return QColor(Qt::gray);
      break;
    case colZ:
      if (role == Qt::DisplayRole) return Graph_->WidgetIndex(widget);
      if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
      break;
    case colShown:
      if (role == Qt::CheckStateRole) return widget->Visible() ? Qt::Checked : Qt::Unchecked;
      if (role == Qt::ToolTipRole) return "Shown on the drawing area (the file keeps hidden widgets too)";
      break;
    case colLocked:
      if (role == Qt::CheckStateRole) return TScreenGraph::IsLocked(widget) ? Qt::Checked : Qt::Unchecked;
      if (role == Qt::ToolTipRole) return "Locked: the mouse neither moves nor resizes it";
      break;
    default:
      break;
  }
  return {};
}

QVariant TObjectListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case colText:
      return "Widget";
    case colZ:
      return "z";
    case colShown:
      return "Shown";
    default:
      return "Locked";
  }
}

Qt::ItemFlags TObjectListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
  if (index.column() == colShown || index.column() == colLocked) f |= Qt::ItemIsUserCheckable;
  return f;
}

bool TObjectListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || !Graph_) return false;
  std::vector<int> rows = SelectedRows ? SelectedRows() : std::vector<int>();
  if (std::find(rows.begin(), rows.end(), index.row()) == rows.end()) rows = {index.row()};
  std::vector<TGraphObject*> widgets;
  for (int row : rows)
    if (TGraphObject* w = WidgetAt(row)) widgets.push_back(w);
  const bool on = value.toInt() == Qt::Checked;
  if (index.column() == colShown)
    Graph_->SetWidgetsVisible(widgets, on);
  else if (index.column() == colLocked)
    Graph_->SetWidgetsLocked(widgets, on);
  else
    return false;
  emit dataChanged(this->index(0, 0), this->index(rowCount() - 1, ColumnCount - 1));
  return true;
}

QStringList TObjectListModel::mimeTypes() const { return {RowsMimeType}; }

QMimeData* TObjectListModel::mimeData(const QModelIndexList& indexes) const {
  std::vector<int> rows;
  for (const QModelIndex& i : indexes) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  QByteArray bytes;
  for (int row : rows) bytes += QByteArray::number(row) + ' ';
  auto* data = new QMimeData;
  data->setData(RowsMimeType, bytes);
  return data;
}

bool TObjectListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                    const QModelIndex& parent) {
  if (action != Qt::MoveAction || !data->hasFormat(RowsMimeType)) return false;
  std::vector<int> rows;
  for (const QByteArray& part : data->data(RowsMimeType).split(' '))
    if (!part.isEmpty()) rows.push_back(part.toInt());
  // Dropped on a row: before it; on the empty space below the rows: at the end.
  if (row < 0) row = parent.isValid() ? parent.row() : rowCount();
  MoveRows(rows, row);
  // The widgets were moved here; the view must not remove any rows itself.
  return false;
}

void TObjectListModel::MoveRows(const std::vector<int>& rows, int row) {
  if (!Graph_) return;
  std::vector<TGraphObject*> widgets;
  int above = 0;
  for (int r : rows) {
    if (TGraphObject* w = WidgetAt(r)) widgets.push_back(w);
    if (r < row) ++above;
  }
  if (widgets.empty()) return;
  // Displayed rows count from the top; widget indexes from the bottom.
  const int first = std::clamp(row - above, 0, rowCount() - static_cast<int>(widgets.size()));
  Graph_->MoveWidgets(widgets, rowCount() - first - static_cast<int>(widgets.size()));
}

// ---- The window -----------------------------------------------------------------------------------

TObjectList::TObjectList(IDesignerDialogs& dialogs, QWidget* parent) : QWidget(parent), Dialogs_(dialogs) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  Model = new TObjectListModel(this);
  Model->SelectedRows = [this] { return SelectedRows(); };
  View = new QTreeView(this);
  View->setModel(Model);
  View->setRootIsDecorated(false);
  View->setUniformRowHeights(true);
  View->setSelectionMode(QAbstractItemView::ExtendedSelection);
  View->setSelectionBehavior(QAbstractItemView::SelectRows);
  View->setDragDropMode(QAbstractItemView::InternalMove);
  View->setDefaultDropAction(Qt::MoveAction);
  View->setDragEnabled(true);
  View->setAcceptDrops(true);
  View->setDropIndicatorShown(true);
  View->header()->setStretchLastSection(false);
  View->header()->setSectionResizeMode(TObjectListModel::colText, QHeaderView::Stretch);
  for (int c : {TObjectListModel::colZ, TObjectListModel::colShown, TObjectListModel::colLocked})
    View->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
  layout->addWidget(View, 1);
  connect(View->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { SelectWidgets(); });

  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(4, 0, 4, 4);
  btnRaise = new QToolButton(this);
  btnRaise->setIcon(DesignerIcon("to-front"));
  btnRaise->setToolTip("Move the selected widgets one place up in the z-order");
  btnLower = new QToolButton(this);
  btnLower->setIcon(DesignerIcon("to-back"));
  btnLower->setToolTip("Move the selected widgets one place down in the z-order");
  connect(btnRaise, &QToolButton::clicked, this, [this] { MoveSelection(+1); });
  connect(btnLower, &QToolButton::clicked, this, [this] { MoveSelection(-1); });
  buttons->addWidget(btnRaise);
  buttons->addWidget(btnLower);
  buttons->addStretch(1);
  layout->addLayout(buttons);
}

TObjectList::~TObjectList() { SetGraph(nullptr); }

void TObjectList::SetGraph(TScreenGraph* graph) {
  if (Graph_) Graph_->RemoveObserver(this);
  Graph_ = graph;
  Model->SetGraph(graph);
  if (Graph_) Graph_->AddObserver(this);
  Pending_ = TScreenGraph::chgContent | TScreenGraph::chgSelection;
  Refresh();
}

void TObjectList::ScreenChanged(uint8_t changes) {
  Pending_ |= changes;
  if (Scheduled_ || !isVisible()) return;
  Scheduled_ = true;
  QTimer::singleShot(0, this, [this] { Refresh(); });
}

void TObjectList::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (Pending_) Refresh();
}

void TObjectList::Refresh() {
  Scheduled_ = false;
  const uint8_t pending = Pending_;
  Pending_ = 0;
  const bool reset = (pending & TScreenGraph::chgContent) && Model->Reload();
  if (reset || (pending & TScreenGraph::chgSelection)) ShowSelection();
}

void TObjectList::ShowSelection() {
  if (!Graph_) return;
  Syncing_ = true;
  QItemSelection selection;
  for (TGraphObject* widget : Graph_->SelectedWidgets()) {
    const int row = Model->RowOf(widget);
    if (row >= 0)
      selection.select(Model->index(row, 0), Model->index(row, TObjectListModel::ColumnCount - 1));
  }
  View->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  if (!selection.isEmpty()) View->scrollTo(selection.indexes().first());
  Syncing_ = false;
}

std::vector<int> TObjectList::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : View->selectionModel()->selectedRows()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

void TObjectList::SelectWidgets() {
  if (Syncing_ || !Graph_) return;
  RunGuarded(Dialogs_, [this] {
    std::vector<TGraphObject*> chosen;
    for (int row : SelectedRows())
      if (TGraphObject* widget = Model->WidgetAt(row)) chosen.push_back(widget);
    Graph_->SelectWidgets(chosen);
    if (!chosen.empty()) Graph_->BringIntoView(chosen.back());
  });
}

void TObjectList::MoveSelection(int by) {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  // Up means a smaller row: one place above the highest selected row.
  const int target = by > 0 ? rows.front() - 1 : rows.back() + 2;
  if (target < 0 || target > Model->rowCount()) return;
  RunGuarded(Dialogs_, [&] { Model->MoveRows(rows, target); });
  Refresh();
}

}  // namespace gc::app
