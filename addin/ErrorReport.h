#pragma once
// The one way the add-in tells the user that something went wrong: a message
// box without an owner window, the add-in's caption and the exclamation icon,
// naming the method that failed. The caller then returns and publishing goes
// on with the next item.
//
// The box keeps its fixed text; the failure behind it travels with the box
// as its cause, for whoever can show more than a box (the command line).
#include <string>
#include <string_view>

// What is being published while the scope lives, such as "Sheet 'Sheet1'":
// every box shown meanwhile carries it in front of its cause, so that a
// failure deep in a sheet's writer still says where it happened. Scopes
// nest; the innermost counts.
class PublishScope
{
public:
    explicit PublishScope(std::u16string what);
    ~PublishScope();
    PublishScope(const PublishScope&) = delete;
    PublishScope& operator=(const PublishScope&) = delete;

    // The innermost scope's text; empty outside every scope.
    static std::u16string Current();

private:
    std::u16string what_;
    const PublishScope* outer_;
};

// Shows "An error occurred while publishing the file. The error occurred in "
// followed by `where` and, when `period` is set, a period. The cause is
// `cause` when given, else the failure being handled when this is called
// from a handler (see DescribeCurrentFailure); inside a PublishScope the
// scope's text and ": " come first.
void ReportPublishError(std::string_view where, bool period = true,
                        const std::u16string& cause = std::u16string());

// The meaning of a W2D toolkit result, e.g. "W2D result 18 (a value the
// stream cannot carry)".
std::u16string DescribeW2DResult(unsigned result);

// What the exception being handled says: the message of a DWF exception,
// the meaning of a W2D result, the text of a standard exception. Empty
// outside a handler and for anything else.
std::u16string DescribeCurrentFailure();
