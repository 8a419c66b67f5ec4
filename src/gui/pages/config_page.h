#pragma once

#include "gui/framework/property_page.h"

class CConfig : public fw::CPropertyPage {
  Q_OBJECT
 public:
  CConfig();
};
