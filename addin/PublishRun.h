#pragma once
// Plays the host's part for one publication without a screen: starts the
// module as the host loads it, connects the add-in to a host application,
// asks whether the command is available, runs it with the dialogs answered
// from a request, and disconnects. The command-line program and the tests
// drive the add-in through here.
#include "host/memory/Application.h"

#include <optional>
#include <string>
#include <vector>

struct PublishRequest
{
    // The package to write (the save dialog's answer).
    std::u16string target;
    // Only the drawing's active sheet (drawing options, sheets 0).
    bool activeSheetOnly = false;
    // Resolution choice of the part and assembly options: 0, 1 or 2.
    int resolution = 0;
    // Typed into the part and assembly options with use-password set.
    std::optional<std::u16string> password;
    // Start the program associated with packages once the package is
    // written; otherwise the shell request is only noted.
    bool openAfterPublish = false;
    // Agree to replace an existing target.
    bool replaceExisting = false;
    // The host's settings file; empty: the environment, else what the
    // host document names.
    std::optional<std::u16string> toolboxIni;
};

struct PublishOutcome
{
    enum class Status
    {
        Published,           // the package was written and nothing was reported
        PublishedWithErrors, // the package was written, but message boxes were shown
        Failed,              // no package was written: the target is as it was
        NotAvailable,        // no active document: the command is greyed
        Cancelled,           // the save dialog was left without a package name
    };
    Status status = Status::Failed;
    // The texts of the message boxes shown during the run, in order, and
    // beside each the cause it carried (empty when it carried none).
    std::vector<std::u16string> messages;
    std::vector<std::u16string> causes;
    // What was left out of a package that is still whole.
    std::vector<std::u16string> notes;
    // A package was put in place at the target.
    bool written = false;
    // The written package took the place of a file that held the target's name.
    bool replaced = false;
    // Cleared when the folder holding the written package could not be
    // flushed to the disk (one of the messages says why): the package is in
    // place, but a power loss may still undo that (bring the file it
    // replaced back, or lose the package).
    bool flushed = true;
    // Cleared when the target's name could not be looked at after the
    // package was moved there (one of the messages says why): the package
    // was moved, but whether the name holds it is not known.
    bool checked = true;
    bool connected = false;
};

PublishOutcome RunPublishCommand(host::memory::Application& application,
                                 const PublishRequest& request);
