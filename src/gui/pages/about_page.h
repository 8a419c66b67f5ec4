#pragma once

#include "gui/framework/property_page.h"

class CAbout : public fw::CPropertyPage {
  Q_OBJECT
 public:
  CAbout();
};
