#pragma once
// Files the add-in finds beside its own module.
#include <string>

// The module's file name cut at its last separator, without a trailing one.
std::u16string ModuleFolder();
// The help file that every Help button opens.
std::u16string HelpFilePath();
// The 16 x 16 menu icon of the installation.
std::u16string MenuIconPath();

// Help commands as the help viewer takes them.
constexpr int HH_DISPLAY_TOPIC = 0;
constexpr int HH_HELP_CONTEXT = 15;
// The help topic of the save dialog and the part and assembly options.
constexpr int kPublishHelpContext = 10003;
