#pragma once

#include <string>

#include "gui/framework/property_page.h"
#include "gui/widgets/hyperlink.h"

// The last page: product and version, the icon, the link to the maker's web
// site, and, when the profile asks for it, the command check: a list of
// single characters and a "Check" button that works like a camera key,
// sending the selected character while it is held and that character plus
// 0x20 when it comes up.
class CAbout : public fw::CPropertyPage {
 public:
  CAbout();

  int OnKickIdle(int idleCount) override;
  // Sends the release character when the Check button is down.
  void ReleaseHeldKeys();
  // The link to the maker's web site.
  const CHyperLink& Link() const { return m_link; }

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(fw::DataExchange& dx) override;
  // Samples the Check button and sends what its change calls for.
  void OnUpdateCommandCheck(int id);

 private:
  CHyperLink m_link;
  int m_checkUp = 1;
  std::string m_checkChar = "A";
};
