#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class QEvent;
class QWidget;

// Holds back the user's input to one window for as long as it lives and
// hands it on, in the order it came, once it ends: a step that must not be
// interrupted (a shot between two command bytes) sees no click or key press,
// and none is lost. The waits inside such a step keep the window system's
// input queued themselves; this also catches input that is posted to the
// window's widgets directly.
class InputHold : public QObject {
 public:
  // Tells the input that goes on at once, such as a click on Cancel.
  using PassFilter = std::function<bool(QObject* receiver, QEvent* event)>;

  explicit InputHold(QWidget* window, PassFilter passes = {});
  ~InputHold() override;
  InputHold(const InputHold&) = delete;
  InputHold& operator=(const InputHold&) = delete;

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override;

 private:
  struct HeldEvent {
    QPointer<QObject> receiver;
    std::unique_ptr<QEvent> event;
  };

  bool BelongsToWindow(QObject* receiver) const;

  QPointer<QWidget> m_window;
  PassFilter m_passes;
  std::vector<HeldEvent> m_held;
};

// For as long as a shot runs: the wait cursor shows, and the user's input to
// the window waits until the shot is over but for what passes.
class ShotHold {
 public:
  ShotHold(QWidget* window, InputHold::PassFilter passes);
  ~ShotHold();
  ShotHold(const ShotHold&) = delete;
  ShotHold& operator=(const ShotHold&) = delete;

 private:
  InputHold m_hold;
};
