#pragma once

#include "gui/framework/property_page.h"

// The Options page: what happens after each time-lapse shot (copy the new
// picture, delete it on the camera, run a program) and the manual switch
// between REC and USB mode.
class COptions : public fw::CPropertyPage {
 public:
  COptions();

  // Offers the switch and the copy controls only for the models that have
  // a REC/USB switch.
  void ApplyModel();

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(fw::DataExchange& dx) override;

 private:
  void OnSwitchUsbRec();
  void OnBrowseCommand();
  void OnBrowseDestFileDir();
  void OnCopyFile();

  // Enables or disables the controls that only matter when pictures are
  // copied: the destination, its button, the delete box and the list of
  // files concerned, with its label.
  void EnableCopyControls(bool enable);

  // False for the models without a REC/USB switch: then the copy controls
  // stay disabled, whatever CopyFile holds.
  bool m_copyOffered = true;
};
