#pragma once

#include "gui/framework/property_page.h"

class COptions : public fw::CPropertyPage {
  Q_OBJECT
 public:
  COptions();
};
