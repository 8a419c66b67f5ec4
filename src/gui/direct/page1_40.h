#pragma once

#include "gui/direct/direct_control_page.h"

// The QV-4000/QV-5700 page: the plain keys, the exposure and drive mode lists,
// the arrows that step a setting, and four keys that hold a camera button
// while a small dialog offers the buttons used with it.
class CPage1_40 : public DirectControlPage {
 public:
  CPage1_40();

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(fw::DataExchange& dx) override;
  void RunDialogKey(int id, const vel::DialogKeyOpen& open) override;

 private:
  void OnSelchangeExposure();
  void OnSelchangeDrive();
  void OnDeltaposSpin(int delta);
};
