#include "app/PropertyEditor.h"
#include "GraphControl/ScopedValue.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>
#include <optional>

#include "GraphControl/GraphNode.h"
#include "app/ColorPicker.h"
#include "app/DesignerDialogs.h"
#include "app/XmlExport.h"

namespace gc::app {

namespace {

constexpr const char* Mixed = "(mixed)";
constexpr int MaxMargin = 1000;
// The font sizes the property panel accepts, in points.
constexpr int MinFontSize = 1;
constexpr int MaxFontSize = 500;

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The value every widget shares, or nothing when they differ.
template <class T, class Get>
std::optional<T> Common(const std::vector<TGraphObject*>& widgets, Get get) {
  if (widgets.empty()) return std::nullopt;
  const T first = get(widgets.front());
  for (const TGraphObject* w : widgets)
    if (!(get(w) == first)) return std::nullopt;
  return first;
}

const TGraphNode* AsNode(const TGraphObject* object) {
  return object->IsNode() ? static_cast<const TGraphNode*>(object) : nullptr;
}

void ShowText(QLineEdit* field, const std::optional<std::string>& value) {
  if (field->hasFocus() && field->isModified()) return;  // being typed into
  field->setText(value ? Q(*value) : QString());
  field->setPlaceholderText(value ? QString() : Mixed);
  field->setModified(false);
}

void ShowNumber(QLineEdit* field, const std::optional<int32_t>& value) {
  ShowText(field, value ? std::optional<std::string>(std::to_string(*value)) : std::nullopt);
}

// A spin box shows its minimum as "(mixed)".
void ShowSpin(QSpinBox* box, const std::optional<int32_t>& value) {
  if (box->hasFocus()) return;  // being typed into
  const QSignalBlocker block(box);
  box->setValue(value ? *value : box->minimum());
}

void ShowCheck(QCheckBox* box, const std::optional<bool>& value) {
  const QSignalBlocker block(box);
  if (value) {
    box->setTristate(false);
    box->setChecked(*value);
  } else {
    box->setCheckState(Qt::PartiallyChecked);
  }
}

void ShowChoice(QComboBox* box, const std::optional<int>& index) {
  const QSignalBlocker block(box);
  box->setCurrentIndex(index ? *index : -1);
}

QLineEdit* NumberField(QWidget* parent, const char* tip) {
  auto* field = new QLineEdit(parent);
  field->setToolTip(tip);
  field->setAlignment(Qt::AlignRight);
  field->setMinimumWidth(48);
  field->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  return field;
}

}  // namespace

TPropertyEditor::TPropertyEditor(IDesignerDialogs& dialogs, QWidget* parent)
    : QWidget(parent), Dialogs_(dialogs) {
  Build();
  Refresh();
}

TPropertyEditor::~TPropertyEditor() { SetGraph(nullptr); }

void TPropertyEditor::SetGraph(TScreenGraph* graph) {
  if (Graph_) Graph_->RemoveObserver(this);
  Graph_ = graph;
  if (Graph_) Graph_->AddObserver(this);
  Refresh();
}

void TPropertyEditor::Build() {
  auto* form = new QFormLayout(this);
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  lblSelection = new QLabel(this);
  lblSelection->setWordWrap(true);
  form->addRow(lblSelection);

  edText = new QLineEdit(this);
  form->addRow("Text", edText);
  connect(edText, &QLineEdit::editingFinished, this, [this] { ApplyText(); });

  edX = NumberField(this, "Left edge, in pixels of the screen");
  edY = NumberField(this, "Top edge, in pixels of the screen");
  edWidth = NumberField(this, "Width in pixels");
  edHeight = NumberField(this, "Height in pixels");
  const auto pair = [this](QWidget* a, const char* second, QWidget* b) {
    auto* row = new QHBoxLayout;
    row->addWidget(a, 1);
    row->addWidget(new QLabel(second, this));
    row->addWidget(b, 1);
    return row;
  };
  form->addRow("X", pair(edX, "Y", edY));
  form->addRow("Width", pair(edWidth, "Height", edHeight));
  connect(edX, &QLineEdit::editingFinished, this, [this] { ApplyGeometry(edX, "X"); });
  connect(edY, &QLineEdit::editingFinished, this, [this] { ApplyGeometry(edY, "Y"); });
  connect(edWidth, &QLineEdit::editingFinished, this, [this] { ApplyGeometry(edWidth, "Width"); });
  connect(edHeight, &QLineEdit::editingFinished, this, [this] { ApplyGeometry(edHeight, "Height"); });
  edZ = NumberField(this, "Place in the stacking order: 0 is the bottom widget");
  form->addRow("zPosition", edZ);
  connect(edZ, &QLineEdit::editingFinished, this, [this] { ApplyZ(); });

  edBackground = new TColorPicker(this);
  edTextColor = new TColorPicker(this);
  form->addRow("Background", edBackground);
  form->addRow("Text colour", edTextColor);
  edBackground->OnChange = [this] {
    if (Showing_) return;
    const TColor c = edBackground->Color();
    Apply("background colour", [c](TGraphObject* w) { w->Brush().SetColor(c); });
  };
  edTextColor->OnChange = [this] {
    if (Showing_) return;
    const TColor c = edTextColor->Color();
    Apply("text colour", [c](TGraphObject* w) { w->Font().SetColor(c); });
  };

  edFont = new QFontComboBox(this);
  form->addRow("Font", edFont);
  // Only a font chosen from the list or confirmed with Enter applies, not
  // each name the completion offers while typing.
  const auto applyFont = [this] {
    if (Showing_ || edFont->findText(edFont->currentText(), Qt::MatchFixedString) < 0) return;
    const std::string name =
        edFont->itemText(edFont->findText(edFont->currentText(), Qt::MatchFixedString)).toStdString();
    Apply("font", [&name](TGraphObject* w) { w->Font().SetName(name); });
  };
  connect(edFont, &QComboBox::activated, this, applyFont);
  connect(edFont->lineEdit(), &QLineEdit::editingFinished, this, applyFont);
  edFontSize = new QSpinBox(this);
  edFontSize->setRange(MinFontSize - 1, MaxFontSize);
  edFontSize->setSpecialValueText(Mixed);
  edFontSize->setSuffix(" pt");
  edFontSize->setKeyboardTracking(false);
  chBold = new QCheckBox("Bold", this);
  chItalic = new QCheckBox("Italic", this);
  chUnderline = new QCheckBox("Underline", this);
  form->addRow("Font size", edFontSize);
  auto* style = new QHBoxLayout;
  style->addWidget(chBold);
  style->addWidget(chItalic);
  style->addWidget(chUnderline);
  style->addStretch(1);
  form->addRow("Style", style);
  connect(edFontSize, &QSpinBox::valueChanged, this, [this](int size) {
    if (Showing_ || size < MinFontSize) return;
    Apply("font size", [size](TGraphObject* w) { w->Font().SetSize(size); });
  });
  connect(chBold, &QCheckBox::clicked, this, [this] { ApplyStyle(chBold, fsBold); });
  connect(chItalic, &QCheckBox::clicked, this, [this] { ApplyStyle(chItalic, fsItalic); });
  connect(chUnderline, &QCheckBox::clicked, this, [this] { ApplyStyle(chUnderline, fsUnderline); });

  cbAlignment = new QComboBox(this);
  cbAlignment->addItems({"Left", "Centre", "Right"});
  cbLayout = new QComboBox(this);
  cbLayout->addItems({"Top", "Middle", "Bottom"});
  form->addRow("Alignment", pair(cbAlignment, "", cbLayout));
  static constexpr TAlignment Alignments[] = {taLeftJustify, taCenter, taRightJustify};
  static constexpr TTextLayout Layouts[] = {tlTop, tlCenter, tlBottom};
  connect(cbAlignment, &QComboBox::activated, this, [this](int index) {
    const TAlignment a = Alignments[index];
    Apply("text alignment", [a](TGraphObject* w) {
      if (w->IsNode()) static_cast<TGraphNode*>(w)->SetAlignment(a);
    });
  });
  connect(cbLayout, &QComboBox::activated, this, [this](int index) {
    const TTextLayout l = Layouts[index];
    Apply("text placement", [l](TGraphObject* w) {
      if (w->IsNode()) static_cast<TGraphNode*>(w)->SetLayout(l);
    });
  });
  edMargin = new QSpinBox(this);
  edMargin->setRange(-1, MaxMargin);
  edMargin->setSpecialValueText(Mixed);
  edMargin->setKeyboardTracking(false);
  form->addRow("Margin", edMargin);
  connect(edMargin, &QSpinBox::valueChanged, this, [this](int margin) {
    if (Showing_ || margin < 0) return;
    Apply("margin", [margin](TGraphObject* w) {
      if (w->IsNode()) static_cast<TGraphNode*>(w)->SetMargin(margin);
    });
  });

  auto* binding = new QLabel("<b>Data binding</b>", this);
  form->addRow(binding);
  for (QComboBox** box : {&cbSource, &cbConverterType, &cbConverterName}) {
    *box = new QComboBox(this);
    (*box)->setEditable(true);
    (*box)->setInsertPolicy(QComboBox::NoInsert);
    QComboBox* b = *box;
    connect(b, &QComboBox::activated, this, [this, b](int index) {
      // A line of a value list gives its value, as in the export's questions.
      b->setEditText(Q(ValueOfLine(b->itemText(index).toStdString())));
      b->lineEdit()->setModified(true);
      ApplyBinding(b);
    });
    connect(b->lineEdit(), &QLineEdit::editingFinished, this, [this, b] { ApplyBinding(b); });
  }
  // The dock may be narrow: the choices' boxes do not ask for their longest entry.
  for (QComboBox* box : findChildren<QComboBox*>()) {
    box->setMinimumContentsLength(6);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  }
  form->addRow("Source", cbSource);
  form->addRow("Converter type", cbConverterType);
  form->addRow("Converter name", cbConverterName);
}

void TPropertyEditor::ScreenChanged(uint8_t changes) {
  if (changes & TScreenGraph::chgSelection) ListsStale_ = true;
  if (Scheduled_) return;
  Scheduled_ = true;
  QTimer::singleShot(0, this, [this] { Refresh(); });
}

void TPropertyEditor::Refresh() {
  Scheduled_ = false;
  const std::vector<TGraphObject*> widgets =
      Graph_ ? Graph_->SelectedWidgets() : std::vector<TGraphObject*>();
  for (QWidget* field : findChildren<QWidget*>())
    if (field != lblSelection) field->setEnabled(!widgets.empty());
  if (widgets.empty())
    lblSelection->setText("No widget selected");
  else if (widgets.size() == 1)
    lblSelection->setText("<b>" + Q(Graph_->WidgetLabel(widgets.front())).toHtmlEscaped() + "</b>");
  else
    lblSelection->setText(QString("<b>%1 widgets selected</b>").arg(widgets.size()));
  ShowValues(widgets);
}

void TPropertyEditor::LoadValueLists() {
  const std::pair<QComboBox*, const TXmlQuestion*> lists[] = {{cbSource, &SourceQuestion},
                                                              {cbConverterType, &ConvTypeQuestion},
                                                              {cbConverterName, &ConvNameQuestion}};
  for (auto [box, question] : lists) {
    const QString text = box->currentText();
    box->clear();
    try {
      const std::string file =
          ListFolder_.empty() ? question->ListFile : ListFolder_ + "/" + question->ListFile;
      for (const std::string& line : ReadValueList(file)) box->addItem(Q(line));
    } catch (const std::exception&) {
      // Without its value list a field takes typed text only.
    }
    box->setEditText(text);
  }
}

void TPropertyEditor::ShowValues(const std::vector<TGraphObject*>& widgets) {
  TScopedValue showing(Showing_, true);
  for (QSpinBox* box : {edFontSize, edMargin}) box->setSpecialValueText(widgets.empty() ? " " : Mixed);
  if (widgets.empty()) {
    for (QLineEdit* f : {edText, edX, edY, edWidth, edHeight, edZ}) {
      f->clear();
      f->setPlaceholderText({});
    }
    for (QSpinBox* box : {edFontSize, edMargin}) ShowSpin(box, std::nullopt);
    const QSignalBlocker block(edFont);
    edFont->setCurrentIndex(-1);
    edBackground->SetMixed();
    edTextColor->SetMixed();
    for (QComboBox* b : {cbSource, cbConverterType, cbConverterName}) b->setEditText({});
    return;
  }
  ShowText(edText, Common<std::string>(widgets, [](const TGraphObject* w) { return w->Text(); }));
  const auto bounds = [](const TGraphObject* w) { return w->GetBoundsRect(); };
  ShowNumber(edX, Common<int32_t>(widgets, [&](const TGraphObject* w) { return bounds(w).Left; }));
  ShowNumber(edY, Common<int32_t>(widgets, [&](const TGraphObject* w) { return bounds(w).Top; }));
  ShowNumber(edWidth, Common<int32_t>(widgets, [&](const TGraphObject* w) { return bounds(w).Width(); }));
  ShowNumber(edHeight, Common<int32_t>(widgets, [&](const TGraphObject* w) { return bounds(w).Height(); }));
  ShowNumber(
      edZ, widgets.size() == 1 ? std::optional<int32_t>(Graph_->WidgetIndex(widgets.front())) : std::nullopt);
  if (const auto c = Common<TColor>(widgets, [](const TGraphObject* w) { return w->Brush().Color(); }))
    edBackground->SetColor(*c);
  else
    edBackground->SetMixed();
  if (const auto c = Common<TColor>(widgets, [](const TGraphObject* w) { return w->Font().Color(); }))
    edTextColor->SetColor(*c);
  else
    edTextColor->SetMixed();
  if (!edFont->hasFocus()) {
    const QSignalBlocker block(edFont);
    if (const auto name =
            Common<std::string>(widgets, [](const TGraphObject* w) { return w->Font().Name(); })) {
      // A font this system does not have is shown by its name all the same.
      const int index = edFont->findText(Q(*name), Qt::MatchFixedString);
      edFont->setCurrentIndex(index);
      if (index < 0) edFont->setEditText(Q(*name));
    } else {
      edFont->setCurrentIndex(-1);
    }
  }
  ShowSpin(edFontSize, Common<int32_t>(widgets, [](const TGraphObject* w) { return w->Font().Size(); }));
  const auto style = [&](uint8_t s) {
    return Common<bool>(widgets, [s](const TGraphObject* w) { return (w->Font().Style() & s) != 0; });
  };
  ShowCheck(chBold, style(fsBold));
  ShowCheck(chItalic, style(fsItalic));
  ShowCheck(chUnderline, style(fsUnderline));
  const auto nodeValue = [&](auto get) {
    using T = decltype(get(static_cast<const TGraphNode*>(nullptr)));
    return Common<T>(widgets, [&](const TGraphObject* w) { return AsNode(w) ? get(AsNode(w)) : T{}; });
  };
  const auto alignment = nodeValue([](const TGraphNode* n) { return n ? n->Alignment() : taCenter; });
  ShowChoice(cbAlignment, alignment ? std::optional<int>(*alignment == taLeftJustify ? 0
                                                         : *alignment == taCenter    ? 1
                                                                                     : 2)
                                    : std::nullopt);
  const auto layout = nodeValue([](const TGraphNode* n) { return n ? n->Layout() : tlCenter; });
  ShowChoice(cbLayout, layout ? std::optional<int>(*layout == tlTop      ? 0
                                                   : *layout == tlCenter ? 1
                                                                         : 2)
                              : std::nullopt);
  ShowSpin(edMargin, nodeValue([](const TGraphNode* n) { return n ? n->Margin() : 0; }));

  if (ListsStale_) LoadValueLists();
  ListsStale_ = false;
  const auto bindingValue = [&](std::string TWidgetBinding::*field) {
    return Common<std::string>(widgets, [&](const TGraphObject* w) {
      const TWidgetBinding* b = Graph_->Binding(w);
      return b ? (*b).*field : std::string();
    });
  };
  const std::pair<QComboBox*, std::string TWidgetBinding::*> bindings[] = {
      {cbSource, &TWidgetBinding::Source},
      {cbConverterType, &TWidgetBinding::ConverterType},
      {cbConverterName, &TWidgetBinding::ConverterName}};
  bool bindable = true;
  for (const TGraphObject* w : widgets) bindable = bindable && Graph_->CanBind(w);
  for (auto [box, field] : bindings) {
    ShowText(box->lineEdit(), bindingValue(field));
    box->setEnabled(bindable);
    box->setToolTip(bindable ? QString()
                             : "A selected widget carries custom data this version of the designer does not "
                               "understand: its binding cannot be changed.");
  }
}

bool TPropertyEditor::Apply(const std::string& step, const std::function<void(TGraphObject*)>& each) {
  if (!Graph_) return false;
  const std::vector<TGraphObject*> widgets = Graph_->SelectedWidgets();
  if (widgets.empty()) return false;
  const bool applied = RunGuarded(Dialogs_, [&] {
    TGraphControl::THistoryStep history(*Graph_, step);
    TGraphControl::TUpdateLock lock(*Graph_);
    for (TGraphObject* widget : widgets)
      if (Graph_->HoldsObject(widget)) each(widget);
  });
  Refresh();
  if (applied && OnApplied) OnApplied();
  return applied;
}

void TPropertyEditor::Revert() {
  for (QLineEdit* field : {edText, edX, edY, edWidth, edHeight, edZ}) field->setModified(false);
  Refresh();
}

void TPropertyEditor::ApplyText() {
  if (!edText->isModified()) return;
  const std::string text = edText->text().toStdString();
  edText->setModified(false);
  Apply("text", [&text](TGraphObject* w) { w->SetText(text); });
}

void TPropertyEditor::ApplyGeometry(QLineEdit* field, const char* name) {
  if (!field->isModified() || !Graph_) return;
  field->setModified(false);
  const QString typed = field->text().trimmed();
  bool ok = false;
  const int value = typed.toInt(&ok);
  if (!ok) {
    if (!typed.isEmpty())
      Dialogs_.MessageBox(
          "\"" + typed.toStdString() + "\" is not a whole number: " + name + " is given in whole pixels.",
          IDesignerDialogs::bkError, false);
    return Revert();
  }
  const TGraphConstraints& limits = Graph_->GraphConstraints();
  const int64_t minSize = Graph_->MinNodeSize();
  const bool moves = field == edX || field == edY;
  // Each widget's range for the field, checked for all before any changes.
  for (TGraphObject* w : Graph_->SelectedWidgets()) {
    const TRect r = w->GetBoundsRect();
    const std::string label = "\"" + Graph_->WidgetLabel(w) + "\"";
    if (!w->IsNode() || TScreenGraph::IsLocked(w)) {
      Dialogs_.MessageBox(label + " is locked: unlock it in the object list to move or resize it.",
                          IDesignerDialogs::bkError, false);
      return Revert();
    }
    int64_t low = 0, high = 0;
    std::string why;
    if (field == edX) {
      low = limits.MinLeft(), high = int64_t{limits.MaxRight()} - r.Width();
      why = label + " is " + std::to_string(r.Width()) + " wide";
    } else if (field == edY) {
      low = limits.MinTop(), high = int64_t{limits.MaxBottom()} - r.Height();
      why = label + " is " + std::to_string(r.Height()) + " high";
    } else if (field == edWidth) {
      low = minSize, high = int64_t{limits.MaxRight()} - r.Left;
      why = label + " starts at X " + std::to_string(r.Left);
    } else {
      low = minSize, high = int64_t{limits.MaxBottom()} - r.Top;
      why = label + " starts at Y " + std::to_string(r.Top);
    }
    if (value < low || value > high) {
      const std::string area = "The drawing area reaches from " + std::to_string(limits.MinLeft()) + "," +
                               std::to_string(limits.MinTop()) + " to " + std::to_string(limits.MaxRight()) +
                               "," + std::to_string(limits.MaxBottom()) + "; ";
      Dialogs_.MessageBox(std::string(name) + " " + std::to_string(value) + " does not fit. " + area + why +
                              ", so its " + name + " can be " + std::to_string(low) + " to " +
                              std::to_string(std::max(low, high)) + ". Nothing was changed.",
                          IDesignerDialogs::bkError, false);
      return Revert();
    }
  }
  Apply(moves ? "move" : "resize", [field, value, this](TGraphObject* w) {
    auto* n = static_cast<TGraphNode*>(w);
    if (field == edX) n->SetLeft(value);
    if (field == edY) n->SetTop(value);
    if (field == edWidth) n->SetWidth(value);
    if (field == edHeight) n->SetHeight(value);
  });
}

void TPropertyEditor::ApplyZ() {
  if (!edZ->isModified() || !Graph_) return;
  edZ->setModified(false);
  bool ok = false;
  const int value = edZ->text().trimmed().toInt(&ok);
  const std::vector<TGraphObject*> selected = Graph_->SelectedWidgets();
  const int highest = static_cast<int>(Graph_->Widgets().size() - selected.size());
  if (!ok || value < 0 || value > highest) {
    if (!edZ->text().trimmed().isEmpty())
      Dialogs_.MessageBox("The zPosition is a whole number from 0 (the bottom widget) to " +
                              std::to_string(highest) + ". Nothing was changed.",
                          IDesignerDialogs::bkError, false);
    return Revert();
  }
  RunGuarded(Dialogs_, [&] { Graph_->MoveWidgets(selected, value); });
  Refresh();
}

void TPropertyEditor::ApplyStyle(QCheckBox* box, uint8_t style) {
  const bool on = box->checkState() != Qt::Unchecked;
  box->setTristate(false);
  Apply("font style", [on, style](TGraphObject* w) {
    w->Font().SetStyle(on ? (w->Font().Style() | style) : (w->Font().Style() & ~style));
  });
}

void TPropertyEditor::ApplyBinding(QComboBox* box) {
  if (!Graph_ || !box->lineEdit()->isModified()) return;
  box->lineEdit()->setModified(false);
  const std::string value = box->currentText().toStdString();
  std::string TWidgetBinding::*field = box == cbSource          ? &TWidgetBinding::Source
                                       : box == cbConverterType ? &TWidgetBinding::ConverterType
                                                                : &TWidgetBinding::ConverterName;
  Apply("binding", [this, field, &value](TGraphObject* w) {
    const TWidgetBinding* old = Graph_->Binding(w);
    TWidgetBinding binding = old ? *old : TWidgetBinding();
    binding.*field = value;
    Graph_->SetBinding(w, binding);
  });
}

}  // namespace gc::app
