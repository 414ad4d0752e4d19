#pragma once
// The one way the add-in tells the user that something went wrong: a message
// box without an owner window, the add-in's caption and the exclamation icon,
// naming the method that failed. The caller then returns and publishing goes
// on with the next item.
#include <string_view>

// Shows "An error occurred while publishing the file. The error occurred in "
// followed by `where` and, when `period` is set, a period.
void ReportPublishError(std::string_view where, bool period = true);
