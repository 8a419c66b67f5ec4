#pragma once

#include <QColor>
#include <QLabel>
#include <functional>

#include "core/platform/result.h"

namespace fw {
class DataExchange;
}

// A static text turned into a web link: underlined, drawn in the link colour,
// in the visited colour after the last attempt to open it succeeded, and in
// the highlight colour while the pointer is over it; the three come from the
// desktop's palette and follow its changes (a dark theme has its own). It shows a pointing hand
// and a tooltip with its target, sizes itself to its text, and opens the
// target when clicked or when Enter or Space is pressed while it has the
// focus. A failed open beeps and explains itself in a box.
class CHyperLink : public QLabel {
  Q_OBJECT
 public:
  // Opens an address; a failure carries the text of the failure box.
  using Opener = std::function<vel::Result(const QString& address)>;

  explicit CHyperLink(const QString& text = {}, QWidget* parent = nullptr);

  // Makes the placed label a link, once: the text and the target stand in
  // for each other when one is empty, the font gets its underline, the label
  // fits its text and the tooltip shows the target.
  void PreSubclassWindow();

  // A new address to open; the label keeps its text.
  void SetLinkTarget(const QString& target);
  const QString& LinkTarget() const { return m_target; }
  void SetVisitedState(bool visited);
  QColor LinkColour() const;
  QColor VisitedColour() const;
  QColor HoverColour() const;

  // Resizes the label to its text in its font and moves it as its alignment
  // says: left-aligned keeps its left edge, right-aligned its right edge,
  // centred its centre; top-aligned keeps its top, vertically centred its
  // middle.
  void FitToText();

  // Opens an address with the opener: unless replaced, the shell's on
  // Windows and Qt's desktop services elsewhere.
  vel::Result OpenLink(const QString& address);
  void SetOpener(Opener opener);
  // The failure box for a failed result of OpenLink.
  static void ShowOpenError(const vel::Result& result);

  // What a click does: open the target, let the visited state follow the
  // result, beep and explain a failure.
  void Activate();

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void SetHover(bool hover);
  void ApplyColour();
  QColor CurrentColour() const;

  bool m_hover = false;
  bool m_visited = false;
  bool m_bound = false;
  bool m_pressedInside = false;
  QString m_target;
  Opener m_opener;
};

// The first exchange of a page binds the link to its label.
void DDX_Control(fw::DataExchange& dx, int id, CHyperLink& link);
