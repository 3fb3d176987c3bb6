// The main window's tools for daily work: the inspector, object list,
// binding table and overview docks, the screen's properties and frame, smart guides,
// recent files and the file's path in the status bar.
#include <QDockWidget>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QStatusBar>
#include <QTimer>

#include "GraphControl/Stream.h"
#include "app/BindingTable.h"
#include "app/ObjectList.h"
#include "app/PropertyEditor.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "platform/qt/GraphOverview.h"

namespace gc::app {

namespace {

QDockWidget* Dock(QMainWindow* window, const char* title, QWidget* content) {
  auto* dock = new QDockWidget(title, window);
  dock->setObjectName(title);
  dock->setWidget(content);
  dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                    QDockWidget::DockWidgetFloatable);
  return dock;
}

constexpr int DockWidth = 360;
constexpr int DockSeparator = 6;
constexpr int ExtraHeight = 220;

}  // namespace

void TForm1::BuildDesignerDocks() {
  GraphControl1.SetSmartGuides(true);

  Inspector = new TPropertyEditor(Dialogs_);
  Inspector->SetGraph(&GraphControl1);
  // The panel shows what the inspector gave its widget, colours and font too.
  Inspector->OnApplied = [this] { RefreshPanel(); };
  auto* inspectorScroll = new QScrollArea;
  inspectorScroll->setWidget(Inspector);
  inspectorScroll->setWidgetResizable(true);
  inspectorScroll->setFrameShape(QFrame::NoFrame);
  inspectorScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  dockInspector = Dock(this, "Inspector", inspectorScroll);
  ObjectList = new TObjectList(Dialogs_);
  ObjectList->SetGraph(&GraphControl1);
  dockObjects = Dock(this, "Object list", ObjectList);
  BindingTable = new TBindingTable(Dialogs_);
  BindingTable->SetGraph(&GraphControl1);
  dockBindings = Dock(this, "Data bindings", BindingTable);
  // The whole screen drawn small; it shares the lower tabs so that showing it
  // never narrows the inspector. Hidden until View > Overview shows it.
  dockOverview = Dock(this, "Overview", new qt::TGraphOverview(GraphWidget));
  addDockWidget(Qt::RightDockWidgetArea, dockInspector);
  addDockWidget(Qt::RightDockWidgetArea, dockObjects);
  tabifyDockWidget(dockObjects, dockBindings);
  tabifyDockWidget(dockBindings, dockOverview);
  dockOverview->hide();
  dockObjects->raise();
  resizeDocks({dockInspector}, {DockWidth}, Qt::Horizontal);

  // The commands of the docks, the guides and recent files are in the menus
  // (DesignerCommands.cpp); here they follow what they show.
  mnuRecent = actRecentFiles->menu();
  connect(mnuRecent, &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });
  actSmartGuides->setChecked(GraphControl1.SmartGuides());
  const std::pair<QDockWidget*, QAction*> toggles[] = {{dockInspector, actShowInspector},
                                                       {dockObjects, actShowObjectList},
                                                       {dockBindings, actShowBindings},
                                                       {dockOverview, actShowOverview}};
  for (const auto& [dock, action] : toggles) {
    action->setChecked(dock->toggleViewAction()->isChecked());
    connect(dock->toggleViewAction(), &QAction::toggled, action, &QAction::setChecked);
  }

  lblFilePath = new QLabel(this);
  lblFilePath->setTextInteractionFlags(Qt::TextSelectableByMouse);
  statusBar()->addPermanentWidget(lblFilePath, 1);
  ShowFileState();

  // The specified toolbar, drawing area and panel keep their width; the
  // window grows by the docks, and by the height the docks need to show the
  // inspector whole (the drawing area takes it) and the status bar.
  resize(width() + DockWidth + DockSeparator, height() + ExtraHeight + statusBar()->sizeHint().height());
  // Docks take their sizes once the window is laid out.
  QTimer::singleShot(0, this, [this] {
    resizeDocks({dockInspector, dockObjects}, {DockWidth, DockWidth}, Qt::Horizontal);
    const int height = dockInspector->height() + dockObjects->height();
    resizeDocks({dockInspector, dockObjects}, {height * 3 / 5, height * 2 / 5}, Qt::Vertical);
  });
}

void TForm1::DetachDesignerDocks() {
  if (Inspector) Inspector->SetGraph(nullptr);
  if (ObjectList) ObjectList->SetGraph(nullptr);
  if (BindingTable) BindingTable->SetGraph(nullptr);
}

void TForm1::ShowFileState() {
  if (!lblFilePath) return;
  const QString path = FileName_.empty() ? QString() : QString::fromStdString(FullFileName(FileName_));
  lblFilePath->setText(path.isEmpty() ? "Not saved yet" : path);
  lblFilePath->setToolTip(path);
  if (FileName_ != ShownFile_) {
    ShownFile_ = FileName_;
    if (!path.isEmpty()) RecentFiles.Add(path);
  }
  if (!GraphControl1.DataProblems().empty()) {
    const std::string text = GraphControl1.DataProblemsText();
    GraphControl1.ClearDataProblems();
    // Told once the operation that read the data is over.
    QTimer::singleShot(0, this,
                       [this, text] { Dialogs_.MessageBox(text, IDesignerDialogs::bkInformation, false); });
  }
}

void TForm1::FillRecentMenu() {
  mnuRecent->clear();
  const QStringList files = RecentFiles.Files();
  for (int i = 0; i < files.size(); ++i) {
    const QString file = files[i];
    // Files of the same name tell their folders apart.
    const QString name = QFileInfo(file).fileName();
    int sameName = 0;
    for (const QString& other : files) sameName += QFileInfo(other).fileName() == name;
    const QString shown = sameName > 1 ? QString("%1 (%2)").arg(name, QFileInfo(file).absolutePath()) : name;
    QAction* action = mnuRecent->addAction(QString("&%1 %2").arg(i + 1).arg(shown), this,
                                           [this, file] { OpenRecentFile(file); });
    action->setToolTip(file);
    action->setStatusTip(file);
  }
  if (files.isEmpty()) mnuRecent->addAction("No recent files")->setEnabled(false);
  mnuRecent->setToolTipsVisible(true);
  mnuRecent->addSeparator();
  mnuRecent->addAction("&Clear the list", this, [this] { RecentFiles.Clear(); })
      ->setEnabled(!files.isEmpty());
}

void TForm1::OpenRecentFile(const QString& fileName) {
  if (!QFileInfo(fileName).isFile()) {
    Dialogs_.MessageBox(
        "The screen \"" + fileName.toStdString() + "\" is no longer there; it is taken off the recent files.",
        IDesignerDialogs::bkError, false);
    RecentFiles.Remove(fileName);
    return;
  }
  if (!ConfirmDiscardChanges()) return;
  OpenScreen(fileName.toStdString());
}

void TForm1::ScreenPropertiesClick() {
  TScreenProperties properties = GraphControl1.Screen();
  const TGraphConstraints& limits = GraphControl1.GraphConstraints();
  if (!Dialogs_.EditScreenProperties(properties, limits.MaxRight(), limits.MaxBottom())) return;
  Guarded([&] { GraphControl1.SetScreen(properties); });
}

void TForm1::ZoomToScreenClick() {
  const TRect frame = GraphControl1.ScreenFrame();
  if (frame.IsEmpty()) {
    Dialogs_.MessageBox("The screen has no size yet: give it one in Screen properties.",
                        IDesignerDialogs::bkInformation, false);
    return;
  }
  // A margin of a twentieth around the frame, so its edge shows.
  const int32_t mx = std::max(frame.Width() / 20, 4), my = std::max(frame.Height() / 20, 4);
  GraphControl1.ZoomToRect({frame.Left - mx, frame.Top - my, frame.Right + mx, frame.Bottom + my});
}

void TForm1::KeepExportAnswers() {
  if (!Form2_ || Form2_->KeptBindings().empty()) return;
  std::vector<std::string> refused;
  Guarded([&] {
    const std::vector<TGraphObject*> widgets = GraphControl1.Widgets();
    TGraphControl::THistoryStep step(GraphControl1, "keep bindings");
    TGraphControl::TUpdateLock lock(GraphControl1);
    for (const TForm2::TKeptBinding& kept : Form2_->KeptBindings()) {
      if (kept.WidgetIndex < 0 || kept.WidgetIndex >= static_cast<int32_t>(widgets.size())) continue;
      TGraphObject* widget = widgets[static_cast<size_t>(kept.WidgetIndex)];
      if (GraphControl1.CanBind(widget))
        GraphControl1.SetBinding(widget, kept.Binding);
      else
        refused.push_back(GraphControl1.WidgetLabel(widget));
    }
  });
  if (refused.empty()) return;
  std::string names;
  for (const std::string& name : refused) names += "\n\"" + name + "\"";
  Dialogs_.MessageBox(
      "These widgets carry custom data the designer does not understand and cannot keep a "
      "binding; their answers were not kept:" +
          names,
      IDesignerDialogs::bkInformation, false);
}

}  // namespace gc::app
