#include "platform/shell/Shell.h"
#include "platform/ui/Progress.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <pthread.h>
#include <string>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace platform;

TEST(Ui, MessageBoxesAreRecordedInOrder)
{
    Ui ui;
    ui.setEcho(false);
    EXPECT_EQ(ui.messageBox(u"first", u"Caption", MB_ICONEXCLAMATION), IDOK);
    ui.messageBox(u"second", u"Caption", MB_OK, true);
    ASSERT_EQ(ui.messageBoxes().size(), 2u);
    EXPECT_EQ(ui.messageBoxes()[0].text, u"first");
    EXPECT_EQ(ui.messageBoxes()[0].style, 0x30);
    EXPECT_FALSE(ui.messageBoxes()[0].owned);
    EXPECT_TRUE(ui.messageBoxes()[1].owned);
    ui.reset();
    EXPECT_TRUE(ui.messageBoxes().empty());
}

TEST(Ui, TheStringTableHasATextForEveryIdTheAddinUses)
{
    Ui ui;
    for (int id : {201, 202, 205, 208, 209, 210, 211})
    {
        const auto text = ui.string(id);
        ASSERT_TRUE(text) << id;
        EXPECT_FALSE(text->empty()) << id;
    }
    EXPECT_FALSE(ui.string(4242));
    ui.setString(210, u"Mine");
    EXPECT_EQ(ui.string(210), u"Mine");
    ui.removeString(210);
    EXPECT_FALSE(ui.string(210));
    ui.reset();
    EXPECT_TRUE(ui.string(210));
}

TEST(Ui, DialogsTakeQueuedAnswersThenTheStandingOneThenCancel)
{
    Ui ui;
    DialogAnswer first;
    first.controls[1012] = std::u16string(u"secret");
    first.controls[1008] = 1;
    ui.queueAnswer(130, first);
    DialogAnswer standing;
    standing.result = IDOK;
    standing.fileName = u"/tmp/out.dwf";
    ui.setStandingAnswer(129, standing);

    const DialogAnswer got = ui.runDialog(130);
    EXPECT_EQ(got.result, IDOK);
    EXPECT_EQ(std::get<std::u16string>(got.controls.at(1012)), u"secret");
    EXPECT_EQ(std::get<int>(got.controls.at(1008)), 1);
    EXPECT_EQ(ui.runDialog(130).result, IDCANCEL) << "a queued answer is used once";
    EXPECT_EQ(ui.runDialog(129).fileName, u"/tmp/out.dwf");
    EXPECT_EQ(ui.runDialog(129).fileName, u"/tmp/out.dwf") << "the standing answer stays";
    ASSERT_EQ(ui.dialogs().size(), 4u);
    EXPECT_EQ(ui.dialogs()[1].result, IDCANCEL);
}

TEST(Progress, PercentFollowsTheDialogsRule)
{
    EXPECT_EQ(ProgressReporter::percentFor(2, 0, 4), 50);
    EXPECT_EQ(ProgressReporter::percentFor(4, 0, 4), 100);
    EXPECT_EQ(ProgressReporter::percentFor(5, 0, 4), 25) << "125 taken modulo 100";
    EXPECT_EQ(ProgressReporter::percentFor(8, 0, 4), 0) << "200 taken modulo 100";
    EXPECT_EQ(ProgressReporter::percentFor(3, 3, 3), 0) << "an empty range reads 0";
    EXPECT_EQ(ProgressReporter::percentFor(1, 0, 3), 33);
}

TEST(Progress, PositionLabelAndStopFlag)
{
    ProgressReporter progress;
    progress.setRange(0, 4);
    int observed = 0;
    progress.setObserver([&](const ProgressReporter&) { ++observed; });
    EXPECT_EQ(progress.setPos(2), 0);
    EXPECT_EQ(progress.label(), u"50%");
    EXPECT_EQ(progress.setPos(2), 2);
    EXPECT_EQ(progress.labelUpdates(), 1) << "an unchanged label is not rewritten";
    progress.setPos(4);
    EXPECT_EQ(progress.label(), u"100%");
    EXPECT_EQ(observed, 3);
    EXPECT_FALSE(progress.stopped());
    progress.requestStop();
    EXPECT_TRUE(progress.stopped());
    progress.setRange(-100000, 100000);
    EXPECT_EQ(progress.lower(), -32768);
    EXPECT_EQ(progress.upper(), 32767);
}

TEST(Shell, OpenIsRecordedAndLaunchedOnlyOnRequest)
{
    Shell shell;
    EXPECT_GT(shell.execute(u"open", u"/tmp/a.dwf"), 32);
    ASSERT_EQ(shell.requests().size(), 1u);
    EXPECT_FALSE(shell.requests()[0].launched);

    shell.setLaunch(true);
    shell.setOpener("true"); // stands in for xdg-open: found on the path, exits 0
    EXPECT_GT(shell.execute(u"open", u"/tmp/a file; with $(odd) chars.dwf"), 32);
    EXPECT_TRUE(shell.requests()[1].launched);

    shell.setOpener("quillcast-no-such-opener");
    EXPECT_LE(shell.execute(u"open", u"/tmp/a.dwf"), 32);
    EXPECT_FALSE(shell.requests()[2].launched);
}

TEST(Shell, TheOpenerStartsWithNoSignalBlocked)
{
    // A publish that replaced its target holds its signals back to the end;
    // the viewer it starts must not inherit that.
    char folder[] = "/tmp/qc-shell-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string opener = std::string(folder) + "/opener";
    const std::string report = std::string(folder) + "/mask";
    std::ofstream(opener) << "#!/bin/sh\nexec grep SigBlk /proc/self/status > \"$1\"\n";
    ::chmod(opener.c_str(), 0700);
    sigset_t held;
    sigset_t before;
    sigemptyset(&held);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&held, signal);
    pthread_sigmask(SIG_BLOCK, &held, &before);
    Shell shell;
    shell.setLaunch(true);
    shell.setOpener(opener);
    const int result = shell.execute(u"open", std::u16string(report.begin(), report.end()));
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    EXPECT_GT(result, 32);
    std::string line;
    std::getline(std::ifstream(report), line);
    EXPECT_EQ(line, "SigBlk:\t0000000000000000");
    std::remove(report.c_str());
    std::remove(opener.c_str());
    ::rmdir(folder);
}

TEST(Shell, AnOpenThatFailsSaysWhy)
{
    char folder[] = "/tmp/qc-shell-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const auto script = [&](const std::string& name, const std::string& body, mode_t mode)
    {
        const std::string path = std::string(folder) + "/" + name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        ::chmod(path.c_str(), mode);
        return path;
    };
    const std::string failing = script("failing", "exit 3", 0700);
    const std::string killed = script("killed", "kill -TERM $$", 0700);
    const std::string unrunnable = script("unrunnable", "exit 0", 0600);
    const std::string working = script("working", "exit 0", 0700);
    const auto wide = [](const std::string& text)
    { return std::u16string(text.begin(), text.end()); };

    Shell shell;
    shell.setLaunch(true);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"quillcast-no-such-opener", "no program 'quillcast-no-such-opener' was found on the path"},
        {failing, "'" + failing + "' exited with status 3"},
        {killed, "'" + killed + "' was ended by signal 15 (Terminated)"},
        {unrunnable, "'" + unrunnable + "' could not be started: Permission denied"},
    };
    for (const auto& [opener, why] : cases)
    {
        SCOPED_TRACE(opener);
        shell.setOpener(opener);
        std::u16string failure;
        EXPECT_LE(shell.execute(u"open", u"/tmp/a.dwf", &failure), 32);
        EXPECT_EQ(failure, wide(why));
    }
    shell.setOpener(working);
    std::u16string failure = u"untouched";
    EXPECT_GT(shell.execute(u"open", u"/tmp/a.dwf", &failure), 32);
    EXPECT_EQ(failure, u"untouched");
    for (const std::string& file : {failing, killed, unrunnable, working})
        std::remove(file.c_str());
    ::rmdir(folder);
}

TEST(Shell, AWaitCutShortByASignalStillTakesTheOpenersStatus)
{
    // A signal whose handler does not restart calls lands while the opener
    // runs: the wait is cut short, and the opener's failure must still be
    // what counts.
    char folder[] = "/tmp/qc-shell-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string opener = std::string(folder) + "/slow";
    std::ofstream(opener) << "#!/bin/sh\nsleep 0.3\nexit 5\n";
    ::chmod(opener.c_str(), 0700);

    struct sigaction quiet = {};
    quiet.sa_handler = [](int) {};
    sigemptyset(&quiet.sa_mask);
    quiet.sa_flags = 0; // no SA_RESTART
    struct sigaction before = {};
    ASSERT_EQ(::sigaction(SIGALRM, &quiet, &before), 0);
    itimerval soon = {};
    soon.it_value.tv_usec = 50000;
    ASSERT_EQ(::setitimer(ITIMER_REAL, &soon, nullptr), 0);

    Shell shell;
    shell.setLaunch(true);
    shell.setOpener(opener);
    std::u16string failure;
    const int result = shell.execute(u"open", u"/tmp/a.dwf", &failure);
    const itimerval off = {};
    ::setitimer(ITIMER_REAL, &off, nullptr);
    ::sigaction(SIGALRM, &before, nullptr);
    EXPECT_LE(result, 32);
    EXPECT_EQ(failure, std::u16string(u"'") + std::u16string(opener.begin(), opener.end()) +
                           u"' exited with status 5");
    std::remove(opener.c_str());
    ::rmdir(folder);
}
