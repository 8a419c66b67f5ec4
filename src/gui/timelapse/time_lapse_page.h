#pragma once

#include "gui/framework/property_page.h"

class CTimeLapse : public fw::CPropertyPage {
  Q_OBJECT
 public:
  CTimeLapse();
};
