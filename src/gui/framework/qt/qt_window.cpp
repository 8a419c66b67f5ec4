#include "gui/framework/qt/qt_window.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimeEdit>
#include <QTimer>
#include <algorithm>
#include <climits>

#include "core/ui/dialog_template.h"
#include "gui/framework/qt/dialog_units.h"
#include "gui/framework/qt/drop_down_list.h"
#include "gui/framework/qt/key_repeat_filter.h"
#include "gui/framework/qt/link_label.h"
#include "gui/framework/qt/picture_preview.h"
#include "gui/framework/qt/template_builder.h"
#include "gui/framework/qt/up_down.h"

namespace fw::qt {

QString ToQt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQt(const QString& text) {
  return text.toStdString();
}

QWidget* WidgetOf(const Window* window) {
  const auto* impl = window ? dynamic_cast<const QtWindow*>(window->Impl()) : nullptr;
  return impl ? impl->Root() : nullptr;
}

namespace {

// Where a root widget keeps the window it belongs to.
constexpr char kWindowProperty[] = "velorantica.window";

}  // namespace

Window* WindowOf(const QWidget* widget) {
  return widget ? static_cast<Window*>(widget->property(kWindowProperty).value<void*>()) : nullptr;
}

QWidget* ControlWidget(const Window& window, int id) {
  const auto* impl = dynamic_cast<const QtWindow*>(window.Impl());
  return impl ? impl->Widget(id) : nullptr;
}

const std::vector<QWidget*>& ControlWidgets(const Window& window) {
  static const std::vector<QWidget*> none;
  const auto* impl = dynamic_cast<const QtWindow*>(window.Impl());
  return impl ? impl->Widgets() : none;
}

// A window timer as the system has it: it ticks every interval until
// killed. Its first tick waits for the whole interval on the monotonic
// clock, however early the event loop would deliver it.
struct QtWindow::Timer {
  QTimer timer;
  QElapsedTimer since;
  std::uint32_t intervalMs = 0;
};

QtWindow::QtWindow(Window& owner, QWidget* root) : m_owner(owner), m_root(root) {
  root->setProperty(kWindowProperty, QVariant::fromValue(static_cast<void*>(&owner)));
}

QtWindow::~QtWindow() {
  m_timers.clear();
  if (m_root) {
    m_root->setProperty(kWindowProperty, QVariant());
    delete m_root.data();
  }
}

void QtWindow::CreateControls(const vel::DialogTemplate& dialogTemplate) {
  const DialogUnits units(m_root->font());
  TemplateBuilder builder(m_root, units);
  for (const vel::ControlTemplate& control : dialogTemplate.controls)
    AddControl(control.id, builder.Place(control, nullptr));
  builder.Finish();
}

void QtWindow::AddControl(int id, QWidget* widget) {
  m_widgets.push_back(widget);
  if (id == 0)
    return;
  m_byId.emplace(id, widget);
  Connect(id, widget);
}

void QtWindow::Connect(int id, QWidget* widget) {
  if (auto* picture = qobject_cast<PicturePreview*>(widget)) {
    connect(picture, &PicturePreview::clicked, this,
            [this, id] { m_owner.Dispatch(id, Notify::Clicked); });
  } else if (auto* upDown = qobject_cast<UpDown*>(widget)) {
    connect(upDown, &UpDown::DeltaPos, this,
            [this, id](int delta) { m_owner.Dispatch(id, Notify::DeltaPos, delta); });
  } else if (auto* link = qobject_cast<LinkLabel*>(widget)) {
    connect(link, &LinkLabel::Activated, this,
            [this, id] { m_owner.Dispatch(id, Notify::Clicked); });
  } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
    connect(list, &QComboBox::activated, this,
            [this, id] { m_owner.Dispatch(id, Notify::SelChange); });
    if (auto* dropDown = qobject_cast<DropDownList*>(widget))
      connect(dropDown, &DropDownList::DroppingDown, this,
              [this, id] { m_owner.Dispatch(id, Notify::DropDown); });
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    connect(button, &QAbstractButton::clicked, this,
            [this, id] { m_owner.Dispatch(id, Notify::Clicked); });
  }
}

QWidget* QtWindow::Widget(int id) const {
  const auto found = m_byId.find(id);
  return found == m_byId.end() ? nullptr : found->second;
}

namespace {

template <class T>
T* As(const QtWindow& window, int id) {
  return qobject_cast<T*>(window.Widget(id));
}

}  // namespace

bool QtWindow::Exists(int id) const {
  return Widget(id) != nullptr;
}

std::string QtWindow::Text(int id) const {
  QWidget* widget = Widget(id);
  if (auto* label = qobject_cast<QLabel*>(widget))
    return FromQt(label->text());
  if (auto* button = qobject_cast<QAbstractButton*>(widget))
    return FromQt(button->text());
  if (auto* edit = qobject_cast<QLineEdit*>(widget))
    return FromQt(edit->text());
  if (auto* list = qobject_cast<QComboBox*>(widget))
    return FromQt(list->currentText());
  if (auto* group = qobject_cast<QGroupBox*>(widget))
    return FromQt(group->title());
  return {};
}

void QtWindow::SetText(int id, std::string_view text) {
  QWidget* widget = Widget(id);
  if (auto* label = qobject_cast<QLabel*>(widget))
    label->setText(ToQt(text));
  else if (auto* button = qobject_cast<QAbstractButton*>(widget))
    button->setText(ToQt(text));
  else if (auto* edit = qobject_cast<QLineEdit*>(widget))
    edit->setText(ToQt(text));
  else if (auto* group = qobject_cast<QGroupBox*>(widget))
    group->setTitle(ToQt(text));
}

bool QtWindow::Checked(int id) const {
  auto* button = As<QAbstractButton>(*this, id);
  return button && button->isChecked();
}

void QtWindow::SetChecked(int id, bool checked) {
  if (auto* button = As<QAbstractButton>(*this, id))
    button->setChecked(checked);
}

bool QtWindow::Enabled(int id) const {
  return Widget(id)->isEnabled();
}

void QtWindow::Enable(int id, bool enable) {
  Widget(id)->setEnabled(enable);
}

bool QtWindow::Shown(int id) const {
  return Widget(id)->isVisible();
}

void QtWindow::Show(int id, bool show) {
  Widget(id)->setVisible(show);
}

bool QtWindow::Pushed(int id) const {
  auto* button = As<QAbstractButton>(*this, id);
  return button && button->isDown();
}

void QtWindow::SetPushed(int id, bool pushed) {
  if (auto* button = As<QAbstractButton>(*this, id))
    button->setDown(pushed);
}

void QtWindow::SetToolTip(int id, std::string_view text) {
  Widget(id)->setToolTip(ToQt(text));
}

void QtWindow::SetAccessibleName(int id, std::string_view name) {
  QWidget* widget = Widget(id);
  // A label with a name of its own announces only a change of that name.
  if (const QString text = ToQt(name); widget->accessibleName() != text)
    widget->setAccessibleName(text);
}

void QtWindow::SetFocus(int id) {
  Widget(id)->setFocus();
}

void QtWindow::Redraw(int id) {
  Widget(id)->repaint();
}

Rect QtWindow::Geometry(int id) const {
  const QRect area = Widget(id)->geometry();
  return {area.x(), area.y(), area.width(), area.height()};
}

std::string QtWindow::Elided(int id, std::string_view text, int width) const {
  return FromQt(Widget(id)->fontMetrics().elidedText(ToQt(text), Qt::ElideMiddle, width));
}

int QtWindow::ItemCount(int id) const {
  auto* list = As<QComboBox>(*this, id);
  return list ? list->count() : 0;
}

std::string QtWindow::ItemText(int id, int index) const {
  auto* list = As<QComboBox>(*this, id);
  return list ? FromQt(list->itemText(index)) : std::string();
}

void QtWindow::AddItem(int id, std::string_view text) {
  if (auto* list = As<QComboBox>(*this, id))
    list->addItem(ToQt(text));
}

void QtWindow::ClearItems(int id) {
  if (auto* list = As<QComboBox>(*this, id))
    list->clear();
}

int QtWindow::Selection(int id) const {
  auto* list = As<QComboBox>(*this, id);
  return list ? list->currentIndex() : -1;
}

void QtWindow::Select(int id, int index) {
  if (auto* list = As<QComboBox>(*this, id))
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

void QtWindow::SetRange(int id, int lower, int upper) {
  if (auto* upDown = As<UpDown>(*this, id))
    upDown->SetRange(lower, upper);
}

TimeOfDay QtWindow::Time(int id) const {
  auto* picker = As<QTimeEdit>(*this, id);
  if (!picker)
    return {};
  const QTime time = picker->time();
  return {time.hour(), time.minute(), time.second()};
}

void QtWindow::SetTime(int id, TimeOfDay time) {
  if (auto* picker = As<QTimeEdit>(*this, id))
    picker->setTime(QTime(time.hour, time.minute, time.second));
}

void QtWindow::FitToText(int id) {
  auto* label = As<QLabel>(*this, id);
  if (!label)
    return;
  const Qt::Alignment align = label->alignment();
  unsigned flags = 0;
  if (align & Qt::AlignVCenter)
    flags |= vel::kVCentered;
  if (align & Qt::AlignHCenter)
    flags |= vel::kCentered;
  else if (align & Qt::AlignRight)
    flags |= vel::kRightAligned;
  const QFontMetrics metrics(label->font());
  const Rect fitted = FitRectToText(Geometry(id), metrics.horizontalAdvance(label->text()),
                                    metrics.height(), flags);
  label->setGeometry(fitted.x, fitted.y, fitted.width, fitted.height);
}

void QtWindow::SetVisited(int id, bool visited) {
  if (auto* link = As<LinkLabel>(*this, id))
    link->SetVisitedState(visited);
}

void QtWindow::ShowPicture(int id, const std::string& path, const std::string& source) {
  if (auto* picture = As<PicturePreview>(*this, id))
    picture->ShowPicture(ToQt(path), ToQt(source));
}

void QtWindow::SetProgress(int id, int done, int total) {
  if (auto* bar = As<QProgressBar>(*this, id)) {
    bar->setRange(0, std::max(total, 1));
    bar->setValue(std::clamp(done, 0, std::max(total, 1)));
  }
}

int QtWindow::Progress(int id) const {
  auto* bar = As<QProgressBar>(*this, id);
  return bar ? bar->value() : 0;
}

void QtWindow::HoldThroughKeyRepeats(int id) {
  if (!m_keyRepeats)
    m_keyRepeats = std::make_unique<KeyRepeatFilter>();
  m_keyRepeats->Watch(Widget(id));
}

void QtWindow::SetTimer(unsigned id, std::uint32_t ms) {
  auto& timer = m_timers[id];
  if (!timer) {
    timer = std::make_unique<Timer>();
    timer->timer.setSingleShot(true);
    timer->timer.setTimerType(Qt::PreciseTimer);
    connect(&timer->timer, &QTimer::timeout, this, [this, id] { Tick(id); });
  }
  timer->intervalMs = std::min<std::uint32_t>(ms, INT_MAX);
  timer->since.start();
  timer->timer.start(static_cast<int>(timer->intervalMs));
}

void QtWindow::Tick(unsigned id) {
  const auto found = m_timers.find(id);
  if (found == m_timers.end())
    return;
  Timer& timer = *found->second;
  if (const qint64 left = timer.intervalMs - timer.since.elapsed(); left > 0) {
    timer.timer.start(static_cast<int>(left));
    return;
  }
  // The next tick is a whole interval away, unless OnTimer starts or kills
  // the timer itself.
  timer.since.start();
  timer.timer.start(static_cast<int>(timer.intervalMs));
  m_owner.OnTimer(id);
}

void QtWindow::KillTimer(unsigned id) {
  if (const auto found = m_timers.find(id); found != m_timers.end())
    found->second->timer.stop();
}

bool QtWindow::TimerRunning(unsigned id) const {
  const auto found = m_timers.find(id);
  return found != m_timers.end() && found->second->timer.isActive();
}

}  // namespace fw::qt
