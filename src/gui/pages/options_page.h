#pragma once

#include "gui/framework/property_page.h"

// The Options page: what happens after each time-lapse shot (copy the new
// picture, delete it on the camera, run a program) and the manual switch
// between REC and USB mode.
class COptions : public fw::CPropertyPage {
  Q_OBJECT
 public:
  static constexpr int kSwitchUsbRecButton = 1027;
  static constexpr int kCopyFileCheck = 1031;
  static constexpr int kDestFileDirEdit = 1000;
  static constexpr int kBrowseDestFileDirButton = 1032;
  static constexpr int kDeleteAfterCopyCheck = 1033;
  static constexpr int kCopyAndDeleteLabel = 1052;
  static constexpr int kCopyAndDeleteList = 1051;
  static constexpr int kUseExternalCommandCheck = 1029;
  static constexpr int kCommandEdit = 999;
  static constexpr int kBrowseCommandButton = 1030;

  COptions();

  // Wide enough for the check boxes' texts in the font in use.
  QSize sizeHint() const override;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(fw::CDataExchange& dx) override;

 private:
  void OnSwitchUsbRec();
  void OnBrowseCommand();
  void OnBrowseDestFileDir();
  void OnCopyFile();

  // Enables or disables the controls that only matter when pictures are
  // copied: the destination, its button, the delete box and the list of
  // files concerned, with its label.
  void EnableCopyControls(bool enable);
  void FitCheckBoxes();
  int WidthForCheckBoxTexts() const;
  void Connect(int buttonId, void (COptions::*handler)());

  // False for the models without a REC/USB switch: then the copy controls
  // stay disabled for the life of the page, whatever CopyFile holds.
  bool m_copyOffered = true;
  int m_widthForTexts = 0;
};
