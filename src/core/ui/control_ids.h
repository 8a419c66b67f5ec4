#pragma once

// The control ids of every window of the program, one enum per template (the
// six Direct Control pages and the mode dialogs share one: an id stands for
// the same camera key on every model). The templates, the pages, the key
// tables and the tools all name controls through these.
namespace vel {

enum DirectControl : int {
  kMenuKey = 1002,
  kUpKey = 1003,
  kLeftKey = 1004,
  kRightKey = 1005,
  kDownKey = 1006,
  kAeLockKey = 1007,
  kWhiteBalanceKey = 1008,
  kSelfTimerKey = 1009,
  kFlashKey = 1010,
  kDispKey = 1011,
  kFocusKey = 1012,
  kTeleKey = 1013,
  kWideKey = 1014,
  kFocusLockKey = 1015,
  kShutterKey = 1016,
  kPreviewKey = 1017,
  kShiftKey = 1018,
  kRecPlayKey = 1019,
  kOffKey = 1020,
  kPreviousKey = 1054,  // "<" of the mode dialogs
  kNextKey = 1055,      // ">" of the mode dialogs
  kSetKey = 1056,
  kMeteringKey = 1057,
  kModeKey = 1058,
  kExposureList = 1061,
  kDriveList = 1062,
  kModeUpDown = 1063,
  // The idle pass samples the buttons with ids in this range as keys.
  kFirstKeyId = kMenuKey,
  kLastKeyId = kModeKey,
  // "OK" of the mode dialogs carries the cancel command's id, so it ends
  // them as Esc does.
  kModeDialogOk = 2,
};

// Controls that several pages have.
enum SharedControl : int {
  kPortStateLine = 1080,  // the serial line's state (Direct Control, Config)
};

enum TimeLapseControl : int {
  kBulbSecondsEdit = 997,
  kCountEdit = 998,
  kFocusSecondsEdit = 1001,
  kBulbSecondsUpDown = 1021,
  kBulbCheck = 1022,
  kStatusTextLine = 1023,
  kStatusTimeLine = 1024,
  kCancelButton = 1025,
  kFocusCheck = 1026,
  kFocusSecondsUpDown = 1028,
  kInfinityCheck = 1034,
  kIntervalPicker = 1045,
  kCountUpDown = 1047,
  kStartButton = 1048,
  kCopyFailuresLine = 1070,
  kSeriesLogLabel = 1071,
  kSeriesLogLink = 1072,
  kProgressLine = 1073,
  kLastPictureView = 1074,
  kLastPictureLine = 1075,
  kStatusPageLabel = 1076,
  kStatusPageLine = 1077,
  kMakeFilmButton = 1078,
  kScheduleButton = 1079,
};

// The Schedule dialog of the Time Lapse page; its OK is 1, its Cancel 2.
enum ScheduleControl : int {
  kScheduleOk = 1,
  kScheduleStartEdit = 1101,
  kScheduleStopEdit = 1102,
  kScheduleForEdit = 1103,
  kScheduleWindowsEdit = 1104,
  kMondayCheck = 1110,  // to 1116, Sunday
};

// The film dialog (the film's choices) and the dialog that follows the film
// being made. OK and Cancel carry the system's command ids.
enum FilmControl : int {
  kFilmOkButton = 1,
  kFilmCancelButton = 2,
  kFilmRateEdit = 1101,
  kFilmRateUpDown = 1102,
  kFilmSizeEdit = 1103,
  kFilmOriginalSizeCheck = 1104,
  kFilmDeflickerCheck = 1105,
  kFilmFileEdit = 1106,
  kFilmFileChooser = 1107,
  kFilmPicturesLine = 1108,
  kFilmProgressLine = 1110,
  kFilmProgressBar = 1111,
  kFilmLink = 1112,
};

enum OptionsControl : int {
  kCommandEdit = 999,
  kDestFileDirEdit = 1000,
  kSwitchUsbRecButton = 1027,
  kUseExternalCommandCheck = 1029,
  kBrowseCommandButton = 1030,
  kCopyFileCheck = 1031,
  kBrowseDestFileDirButton = 1032,
  kDeleteAfterCopyCheck = 1033,
  kCopyAndDeleteList = 1051,
  kCopyAndDeleteLabel = 1052,
};

enum ConfigControl : int {
  kDelayRecUsbEdit = 1035,
  kDelayRecUsbUpDown = 1036,
  kDelayUsbRecEdit = 1037,
  kDelayUsbRecUpDown = 1038,
  kDelayBulbEdit = 1040,
  kDelayBulbUpDown = 1042,
  kComPortList = 1044,
  kModelList = 1046,
};

enum AboutControl : int {
  kAppIcon = 128,
  kCommandCheckButton = 1041,
  kCommandCheckList = 1043,
  kCommandCheckLabel = 1065,
  kLinkLabel = 1069,
};

}  // namespace vel
