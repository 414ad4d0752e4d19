#pragma once
// Identifiers of the add-in's resources: the satellite library's strings and
// dialog templates, the controls of those templates, and the module's own
// registry scripts, icon and toolbar bitmaps. The numbers are fixed: the
// resource files and the host installation refer to them.

namespace res
{

// Strings.
constexpr int IDS_PROJNAME = 100;
constexpr int IDS_MENU_TEXT = 201;
constexpr int IDS_PROGRESS_CAPTION = 202;
constexpr int IDS_MENU_HINT = 205;
constexpr int IDS_SAVE_DOCUMENT_FIRST = 208;
constexpr int IDS_TABLE_NOT_WRITTEN = 209;
constexpr int IDS_MESSAGE_CAPTION = 210;
constexpr int IDS_READ_ONLY_TARGET = 211;
// The target's name could not be looked at (so whether it is a read-only
// file is not known).
constexpr int IDS_UNSEEN_TARGET = 212;

// Dialog templates.
constexpr int IDD_PROGRESS = 103;
constexpr int IDD_DRAWING_OPTION = 104;
constexpr int IDD_PREVIEW_FILE = 129;
constexpr int IDD_PUBLISH_OPTION = 130;

// Controls.
constexpr int IDC_HELP_BUTTON = 1001;
constexpr int IDC_SHEETS = 1002;
constexpr int IDC_PROGRESS_BAR = 1003;
constexpr int IDC_PERCENT = 1004;
constexpr int IDC_OPTIONS = 1005;
constexpr int IDC_OPTION_1006 = 1006;
constexpr int IDC_OPTION_1007 = 1007;
constexpr int IDC_RESOLUTION = 1008;
constexpr int IDC_USE_PASSWORD = 1011;
constexpr int IDC_PASSWORD = 1012;
constexpr int IDC_OPEN_AFTER_PUBLISH = 1013;

// The module's own resources.
constexpr int IDR_APPID_SCRIPT = 3000;
constexpr int IDR_PUBLISHER_SCRIPT = 3001;
constexpr int IDR_DOCUMENT_SCRIPT = 3002;
constexpr int IDI_HELP = 3003;
constexpr int IDR_BITMAP_HANDLER_SCRIPT = 3005;
constexpr int IDB_TOOLBAR_LARGE = 3007;
constexpr int IDB_TOOLBAR_SMALL = 3008;

// The system file dialog's question before a file is replaced. It is not a
// template of ours; the headless user interface answers it by this number.
constexpr int IDD_REPLACE_PROMPT = 0x7001;

} // namespace res
