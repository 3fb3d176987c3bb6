#include "app/BindingTable.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/DesignerDialogs.h"
#include "app/XmlExport.h"

namespace gc::app {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string TWidgetBinding::*FieldOf(int column) {
  switch (column) {
    case TBindingModel::colSource:
      return &TWidgetBinding::Source;
    case TBindingModel::colConverterType:
      return &TWidgetBinding::ConverterType;
    default:
      return &TWidgetBinding::ConverterName;
  }
}

const TXmlQuestion& QuestionOf(int column) {
  switch (column) {
    case TBindingModel::colSource:
      return SourceQuestion;
    case TBindingModel::colConverterType:
      return ConvTypeQuestion;
    default:
      return ConvNameQuestion;
  }
}

// A cell's editor: the lines of the column's value list, and any typed text.
// A chosen line gives its value, as in the export's questions.
class TChoiceDelegate : public QStyledItemDelegate {
 public:
  TChoiceDelegate(const TBindingTable& table, QObject* parent) : QStyledItemDelegate(parent), Table_(table) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex& index) const override {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& line : Table_.Choices(index.column())) box->addItem(Q(line));
    return box;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    auto* box = static_cast<QComboBox*>(editor);
    box->setCurrentIndex(-1);
    box->setEditText(index.data(Qt::EditRole).toString());
    // As in a spreadsheet, typing over a cell replaces what it held.
    box->lineEdit()->selectAll();
  }
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    auto* box = static_cast<QComboBox*>(editor);
    QString text = box->currentText();
    if (box->findText(text, Qt::MatchExactly) >= 0) text = Q(ValueOfLine(text.toStdString()));
    if (text != index.data(Qt::EditRole).toString()) model->setData(index, text, Qt::EditRole);
  }

 private:
  const TBindingTable& Table_;
};

}  // namespace

// ---- The model ------------------------------------------------------------------------------------

bool TBindingModel::Reload() {
  std::vector<uint32_t> ids;
  if (Graph_)
    for (TGraphObject* widget : Graph_->Widgets()) ids.push_back(widget->ID());
  return SetRows(std::move(ids));
}

int TBindingModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant TBindingModel::data(const QModelIndex& index, int role) const {
  const TGraphObject* widget = WidgetAt(index.row());
  if (!widget) return {};
  if (index.column() == colText) {
    if (role == Qt::DisplayRole) return Q(Graph_->WidgetLabel(widget));
    return {};
  }
  if (role == Qt::ToolTipRole && !Graph_->CanBind(widget))
    return "This widget carries custom data this version of the designer does not understand; it is kept "
           "as it is, and the widget cannot be bound.";
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  const TWidgetBinding* binding = Graph_->Binding(widget);
  return binding ? Q((*binding).*FieldOf(index.column())) : QString();
}

QVariant TBindingModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Vertical) return role == Qt::DisplayRole ? QVariant(section) : QVariant();
  static const char* const Titles[][2] = {{"Widget", "The widget, by its text or its place"},
                                          {"Source", "The source (xml_Sources)"},
                                          {"Type", "The converter type (xml_ConvTypes)"},
                                          {"Name", "The converter name (xml_ConvNames)"}};
  if (role == Qt::DisplayRole) return Titles[section][0];
  if (role == Qt::ToolTipRole) return Titles[section][1];
  return {};
}

Qt::ItemFlags TBindingModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  const TGraphObject* widget = WidgetAt(index.row());
  if (index.column() != colText && widget && Graph_->CanBind(widget)) f |= Qt::ItemIsEditable;
  return f;
}

bool TBindingModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || index.column() == colText) return false;
  std::vector<int> rows = SelectedRows ? SelectedRows() : std::vector<int>();
  if (std::find(rows.begin(), rows.end(), index.row()) == rows.end()) rows = {index.row()};
  return SetColumn(rows, index.column(), value.toString().toStdString());
}

bool TBindingModel::SetColumn(const std::vector<int>& rows, int column, const std::string& value) {
  if (!Graph_ || column == colText) return false;
  std::vector<TGraphObject*> widgets;
  for (int row : rows)
    if (TGraphObject* w = WidgetAt(row)) widgets.push_back(w);
  for (TGraphObject* w : widgets)
    if (!Graph_->CanBind(w)) {
      if (Report)
        Report("The widget \"" + Graph_->WidgetLabel(w) +
               "\" carries custom data that this version of the designer does not understand, so it cannot "
               "be bound. Nothing was changed.");
      return false;
    }
  {
    TGraphControl::THistoryStep step(*Graph_, "binding");
    TGraphControl::TUpdateLock lock(*Graph_);
    for (TGraphObject* w : widgets) {
      const TWidgetBinding* old = Graph_->Binding(w);
      TWidgetBinding binding = old ? *old : TWidgetBinding();
      binding.*FieldOf(column) = value;
      Graph_->SetBinding(w, binding);
    }
  }
  if (rowCount() > 0)
    emit dataChanged(this->index(0, colSource), this->index(rowCount() - 1, ColumnCount - 1));
  return true;
}

// ---- The window -----------------------------------------------------------------------------------

TBindingTable::TBindingTable(IDesignerDialogs& dialogs, QWidget* parent)
    : QWidget(parent), Dialogs_(dialogs) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  Model = new TBindingModel(this);
  Model->SelectedRows = [this] { return SelectedRows(); };
  Model->Report = [this](const std::string& text) {
    Dialogs_.MessageBox(text, IDesignerDialogs::bkError, false);
  };
  View = new QTableView(this);
  View->setModel(Model);
  View->setItemDelegate(new TChoiceDelegate(*this, View));
  View->setSelectionMode(QAbstractItemView::ExtendedSelection);
  View->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                        QAbstractItemView::AnyKeyPressed);
  View->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  View->verticalHeader()->setToolTip("zPosition");
  layout->addWidget(View, 1);
  connect(View->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { SelectWidgets(); });

  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(4, 0, 4, 4);
  btnFillDown = new QPushButton("Fill down", this);
  btnFillDown->setToolTip("Copy the first selected row's values into the other selected rows");
  connect(btnFillDown, &QPushButton::clicked, this, [this] { FillDown(); });
  auto* hint = new QLabel("Select several rows and type to bind them all at once.", this);
  hint->setWordWrap(true);
  buttons->addWidget(btnFillDown);
  buttons->addWidget(hint, 1);
  layout->addLayout(buttons);
}

TBindingTable::~TBindingTable() { SetGraph(nullptr); }

void TBindingTable::SetGraph(TScreenGraph* graph) {
  if (Graph_) Graph_->RemoveObserver(this);
  Graph_ = graph;
  Model->SetGraph(graph);
  if (Graph_) Graph_->AddObserver(this);
  Pending_ = TScreenGraph::chgContent | TScreenGraph::chgSelection;
  Refresh();
}

std::vector<std::string> TBindingTable::Choices(int column) const {
  if (column == TBindingModel::colText) return {};
  const char* file = QuestionOf(column).ListFile;
  try {
    return ReadValueList(ListFolder_.empty() ? file : ListFolder_ + "/" + file);
  } catch (const std::exception&) {
    return {};  // without its value list a cell takes typed text only
  }
}

void TBindingTable::ScreenChanged(uint8_t changes) {
  Pending_ |= changes;
  if (Scheduled_ || !isVisible()) return;
  Scheduled_ = true;
  QTimer::singleShot(0, this, [this] { Refresh(); });
}

void TBindingTable::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (Pending_) Refresh();
}

void TBindingTable::Refresh() {
  Scheduled_ = false;
  const uint8_t pending = Pending_;
  Pending_ = 0;
  // An open editor keeps what is being typed; the table follows afterwards.
  const QWidget* focus = QApplication::focusWidget();
  if (focus && View->viewport()->isAncestorOf(focus)) {
    Pending_ = pending;
    return;
  }
  const bool reset = (pending & TScreenGraph::chgContent) && Model->Reload();
  if (reset || (pending & TScreenGraph::chgSelection)) ShowSelection();
}

void TBindingTable::ShowSelection() {
  if (!Graph_) return;
  // Rows the user selected whose widgets are still selected stay as they
  // are (cells of one column, say); otherwise whole rows show the selection.
  std::vector<int> shown = SelectedRows();
  std::vector<int> wanted;
  for (TGraphObject* widget : Graph_->SelectedWidgets())
    if (const int row = Model->RowOf(widget); row >= 0) wanted.push_back(row);
  std::sort(wanted.begin(), wanted.end());
  if (shown == wanted) return;
  Syncing_ = true;
  QItemSelection selection;
  for (int row : wanted)
    selection.select(Model->index(row, 0), Model->index(row, TBindingModel::ColumnCount - 1));
  View->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  if (!wanted.empty()) View->scrollTo(Model->index(wanted.front(), 0));
  Syncing_ = false;
}

std::vector<int> TBindingTable::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : View->selectionModel()->selectedIndexes()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

void TBindingTable::SelectWidgets() {
  if (Syncing_ || !Graph_) return;
  RunGuarded(Dialogs_, [this] {
    std::vector<TGraphObject*> chosen;
    for (int row : SelectedRows())
      if (TGraphObject* widget = Model->WidgetAt(row)) chosen.push_back(widget);
    Graph_->SelectWidgets(chosen);
  });
}

void TBindingTable::FillDown() {
  if (!Graph_) return;
  const std::vector<int> rows = SelectedRows();
  if (rows.size() < 2) return;
  std::vector<int> columns;
  for (const QModelIndex& index : View->selectionModel()->selectedIndexes())
    if (index.column() != TBindingModel::colText) columns.push_back(index.column());
  std::sort(columns.begin(), columns.end());
  columns.erase(std::unique(columns.begin(), columns.end()), columns.end());
  const TGraphObject* first = Model->WidgetAt(rows.front());
  if (!first) return;
  const TWidgetBinding* source = Graph_->Binding(first);
  const TWidgetBinding values = source ? *source : TWidgetBinding();
  const std::vector<int> others(rows.begin() + 1, rows.end());
  TGraphControl::THistoryStep step(*Graph_, "fill down");
  for (int column : columns)
    if (!Model->SetColumn(others, column, values.*FieldOf(column))) break;
}

}  // namespace gc::app
