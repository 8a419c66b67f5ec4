#pragma once

#include <functional>
#include <string>

#include "core/platform/result.h"

namespace fw {
class DataExchange;
class Window;
}  // namespace fw

// A static text of a window made a web link: it shows a tooltip with its
// target, sizes itself to its text, and opens the target when activated
// (clicked, or Enter or Space while it has the focus). The visited colour
// follows the last attempt; a failed one beeps and explains itself in a box.
// The link control draws the underline, the colours and the pointing hand.
class CHyperLink {
 public:
  // Opens an address; a failure carries the text of the failure box.
  using Opener = std::function<vel::Result(const std::string& address)>;

  CHyperLink();

  // Makes the control id of window this link, once: the text and the target
  // stand in for each other when one is empty, the control fits its text,
  // its tooltip shows the target and its activation opens it.
  void PreSubclassWindow(fw::Window& window, int id);

  // A new address to open; the control keeps its text.
  void SetLinkTarget(std::string target);
  const std::string& LinkTarget() const { return m_target; }
  void SetVisitedState(bool visited);

  // Resizes the control to its text, as its alignment says.
  void FitToText();

  // Opens an address with the opener: unless replaced, the desktop's.
  vel::Result OpenLink(const std::string& address);
  void SetOpener(Opener opener);
  // The failure box for a failed result of OpenLink.
  static void ShowOpenError(const vel::Result& result);

  // What an activation does: open the target, let the visited state follow
  // the result, beep and explain a failure.
  void Activate();

 private:
  fw::Window* m_window = nullptr;
  int m_id = 0;
  bool m_visited = false;
  std::string m_target;
  Opener m_opener;
};

// The first exchange of a window binds the link to its control.
void DDX_Control(fw::DataExchange& dx, int id, CHyperLink& link);
