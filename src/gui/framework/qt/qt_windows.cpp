// The Qt side of the framework's windows: a page, a modal dialog and the
// property sheet, each a widget of its own.

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QVBoxLayout>
#include <functional>

#include "gui/framework/dialog.h"
#include "gui/framework/property_page.h"
#include "gui/framework/property_sheet.h"
#include "gui/framework/qt/dialog_units.h"
#include "gui/framework/qt/end_signals.h"
#include "gui/framework/qt/qt_window.h"
#include "gui/framework/qt/resources.h"
#include "gui/framework/qt/template_builder.h"
#include "gui/framework/qt/volume_watcher.h"

namespace fw {
namespace qt {
namespace {

// The size a page takes in its font (see TemplateSize).
QSize PagePixelSize(const CPropertyPage& page) {
  return TemplateSize(page.Template(), WidgetOf(&page)->font());
}

class QtPage final : public QtWindow {
 public:
  explicit QtPage(CPropertyPage& page) : QtWindow(page, new QWidget) {
    Root()->setObjectName(ToQt(page.Caption()));
  }
};

// A dialog's Esc goes to the button with id 2, as its click does.
class DialogWidget final : public QDialog {
 public:
  DialogWidget(Window& owner, QWidget* parent)
      : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
        m_owner(owner) {}
  void reject() override { m_owner.Dispatch(CDialog::IDCANCEL, Notify::Clicked); }

 private:
  Window& m_owner;
};

class QtDialog final : public QtWindow, public DialogImpl {
 public:
  QtDialog(CDialog& dialog, const vel::DialogTemplate& dialogTemplate, const Window* parent)
      : QtWindow(dialog, new DialogWidget(
                             dialog, parent ? WidgetOf(parent) : QApplication::activeWindow())) {
    QDialog* widget = Dialog();
    widget->setWindowTitle(TemplateText(dialogTemplate.caption));
    const DialogUnits units(widget->font());
    TemplateBuilder builder(widget, units);
    for (const vel::ControlTemplate& control : dialogTemplate.controls) {
      QWidget* placed = builder.Place(control, nullptr);
      AddControl(control.id, placed);
      if (auto* button = qobject_cast<QPushButton*>(placed))
        button->setAutoDefault(true);
    }
    builder.Finish();
    widget->setFixedSize(units.Size(dialogTemplate.width, dialogTemplate.height));
  }

  int RunModal() override { return Dialog()->exec(); }
  void End(int result) override { Dialog()->done(result); }

 private:
  QDialog* Dialog() const { return static_cast<QDialog*>(Root()); }
};

class QtSheet;

// The sheet's window: tabs above, OK and Cancel below. Esc and the close box
// are the Cancel button.
class SheetWidget final : public QDialog {
 public:
  explicit SheetWidget(CPropertySheet& sheet)
      : m_sheet(sheet),
        m_tabs(new QTabWidget(this)),
        m_buttons(new QDialogButtonBox(this)),
        m_ok(m_buttons->addButton(QDialogButtonBox::Ok)),
        m_cancel(m_buttons->addButton(QDialogButtonBox::Cancel)) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_ok->setAutoDefault(false);
    m_cancel->setAutoDefault(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  }

  QTabWidget* Tabs() const { return m_tabs; }
  QPushButton* Ok() const { return m_ok; }
  QPushButton* Cancel() const { return m_cancel; }
  std::function<void()> shown;

 protected:
  void showEvent(QShowEvent* event) override {
    QDialog::showEvent(event);
    if (shown)
      shown();
  }
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    m_sheet.Dispatch(CPropertySheet::IDCANCEL, Notify::Clicked);
  }
  void reject() override { m_sheet.Dispatch(CPropertySheet::IDCANCEL, Notify::Clicked); }
  bool focusNextPrevChild(bool next) override;

 private:
  // Where Tab stops, in order: the tab bar, the shown page's controls, the
  // buttons; Tab and Shift+Tab go round them.
  std::vector<QWidget*> TabStops() const;

  CPropertySheet& m_sheet;
  QTabWidget* m_tabs;
  QDialogButtonBox* m_buttons;
  QPushButton* m_ok;
  QPushButton* m_cancel;
};

// The page's controls are made when it is first shown, after the buttons, so
// Qt's own chain puts them behind the buttons and Tab would never reach Exit.
// Tab goes round the tab bar, the shown page's controls in template order and
// the buttons instead.
std::vector<QWidget*> SheetWidget::TabStops() const {
  std::vector<QWidget*> stops = {m_tabs->findChild<QTabBar*>()};
  auto accepts = [](QWidget* w) {
    return (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && w->isVisible() && w->isEnabled() &&
           !w->focusProxy();
  };
  if (QWidget* page = m_tabs->currentWidget())
    for (QWidget* w = page->nextInFocusChain(); w != page; w = w->nextInFocusChain())
      if (page->isAncestorOf(w) && accepts(w))
        stops.push_back(w);
  for (QPushButton* button : {m_ok, m_cancel})
    if (accepts(button))
      stops.push_back(button);
  return stops;
}

bool SheetWidget::focusNextPrevChild(bool next) {
  const std::vector<QWidget*> stops = TabStops();
  const auto at = std::find(stops.begin(), stops.end(), focusWidget());
  if (at == stops.end())
    return QDialog::focusNextPrevChild(next);
  const std::size_t count = stops.size();
  const std::size_t index = static_cast<std::size_t>(at - stops.begin());
  QWidget* target = stops[(index + (next ? 1 : count - 1)) % count];
  target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}

class QtSheet final : public QtWindow, public SheetImpl {
 public:
  explicit QtSheet(CPropertySheet& sheet)
      : QtWindow(sheet, new SheetWidget(sheet)), m_sheet(sheet) {
    SheetWidget* widget = Widget();
    AddControl(CPropertySheet::IDOK, widget->Ok());
    AddControl(CPropertySheet::IDCANCEL, widget->Cancel());
    widget->shown = [this] { OnShown(); };
    connect(widget->Tabs(), &QTabWidget::currentChanged, this,
            [this](int index) { m_sheet.OnPageSelected(index); });
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            [this] { OnAboutToBlock(); });
    connect(new VolumeWatcher(widget), &VolumeWatcher::RemovableVolumeRemoved, this,
            [this] { m_sheet.OnVolumeRemoved(); });
    connect(new EndSignals(widget), &EndSignals::Received, this,
            [this] { m_sheet.OnEndRequested(); });
#ifndef QT_NO_SESSIONMANAGER
    // The desktop session ends (logout): the same end, before the session
    // manager ends the program.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { m_sheet.OnEndRequested(); });
#endif
  }

  void InsertPage(int index, CPropertyPage& page) override {
    QWidget* widget = WidgetOf(&page);
    widget->setMinimumSize(PagePixelSize(page));
    const QSignalBlocker noSwitch(Tabs());
    Tabs()->insertTab(index, widget, ToQt(page.Caption()));
  }
  void RemovePage(int index) override {
    const QSignalBlocker noSwitch(Tabs());
    Tabs()->removeTab(index);
  }
  void ReplacePage(int index, CPropertyPage&, CPropertyPage& page) override {
    const QSignalBlocker noSwitch(Tabs());
    const int current = Tabs()->currentIndex();
    RemovePage(index);
    InsertPage(index, page);
    Tabs()->setCurrentIndex(current);
  }
  void SelectPage(int index) override {
    const QSignalBlocker noSwitch(Tabs());
    Tabs()->setCurrentIndex(index);
  }
  int SelectedPage() const override {
    return Tabs()->currentIndex();
  }

  int RunModal() override {
    m_idleLoopLevel = QThread::currentThread()->loopLevel() + 1;
    return Widget()->exec() == QDialog::Accepted ? CPropertySheet::IDOK : CPropertySheet::IDCANCEL;
  }
  void End(int result) override {
    Widget()->done(result == CPropertySheet::IDOK ? QDialog::Accepted : QDialog::Rejected);
  }
  void CloseDialogsAbove() override {
    while (QWidget* modal = QApplication::activeModalWidget()) {
      if (modal == Widget() || !modal->close())
        break;
    }
  }
  void SetTitle(std::string_view title) override {
    Widget()->setWindowTitle(ToQt(title));
  }
  std::string Title() const override {
    return FromQt(Widget()->windowTitle());
  }
  void SetProgramIcon() override {
    const QIcon icon = ProgramIcon();
    QApplication::setWindowIcon(icon);
    Widget()->setWindowIcon(icon);
  }
  void AddMinimizeBox() override {
    Widget()->setWindowFlag(Qt::WindowMinimizeButtonHint, true);
  }

 private:
  SheetWidget* Widget() const {
    return static_cast<SheetWidget*>(Root());
  }
  QTabWidget* Tabs() const {
    return Widget()->Tabs();
  }

  void OnShown() {
    if (m_shown)
      return;
    m_shown = true;
    // Shown without DoModal (as in tests): idle passes run in the loop above.
    if (m_idleLoopLevel < 0)
      m_idleLoopLevel = QThread::currentThread()->loopLevel() + 1;
    m_sheet.OnFirstShown();
  }

  void OnAboutToBlock() {
    if (m_inIdle || !m_shown || !Widget()->isVisible())
      return;
    if (QThread::currentThread()->loopLevel() != m_idleLoopLevel)
      return;
    m_inIdle = true;
    m_sheet.OnKickIdle(0);
    m_inIdle = false;
  }

  CPropertySheet& m_sheet;
  bool m_shown = false;
  bool m_inIdle = false;
  int m_idleLoopLevel = -1;
};

}  // namespace
}  // namespace qt

std::unique_ptr<WindowImpl> MakePageImpl(CPropertyPage& page) {
  return std::make_unique<qt::QtPage>(page);
}

std::unique_ptr<DialogImpl> MakeDialogImpl(CDialog& dialog,
                                           const vel::DialogTemplate& dialogTemplate,
                                           const Window* parent) {
  return std::make_unique<qt::QtDialog>(dialog, dialogTemplate, parent);
}

std::unique_ptr<SheetImpl> MakeSheetImpl(CPropertySheet& sheet) {
  return std::make_unique<qt::QtSheet>(sheet);
}

}  // namespace fw
