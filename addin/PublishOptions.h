#pragma once
// The options of one publish command, as the save dialog's option dialogs
// fill them. Nothing of it outlives the command.
#include <string>

struct PublishOptions {
    // Package password (edit 1012 of the part and assembly options).
    std::u16string password;
    // Image quality choice (radio group 1008): 0 gives 99, 1 gives 50,
    // anything else 0.
    int resolution = 0;
    // Check box 1006: the document's summary and material properties.
    int option1006 = 1;
    // Check box 1007: the configuration and mass properties.
    int option1007 = 1;
    // Check box 1011: enables the password edit.
    int usePassword = 0;
    // Check box 1013: open the package once it is written.
    int openAfterPublish = 1;
    // Radio group 1002 of the drawing options: 0 publishes the active
    // sheet only, anything else every sheet.
    int drawingMode = 1;
    // The user agreed in the save dialog to replace the file at the chosen
    // name (set by the dialog, not by an option dialog).
    bool replaceTarget = false;

    // The password a package should be encrypted with: the typed password
    // only while use-password is set. A password left in the edit after the
    // box was cleared must not encrypt the package behind the user's back.
    std::u16string packagePassword() const;
};
