// quillcast: publishes a host document as a DWF package from the command
// line. The program plays the host: it loads the document into the stand-in
// host, lets the add-in connect, and answers the add-in's dialogs from the
// options given here.
#include "addin/DWFPublisherImp.h"
#include "addin/PublishRun.h"
#include "dwfcore/TempFileRegistry.h"
#include "addin/dialogs/ProgressDlg.h"
#include "host/Document.h"
#include "host/Loader.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Path.h"
#include "platform/kernel/Text.h"
#include "platform/ui/Ui.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr int kExitPublished = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitPublishedWithErrors = 3;

const char kUsage[] =
    "Usage: quillcast publish DOCUMENT -o OUT.dwf [options]\n"
    "\n"
    "Publishes the active document of a host document file (see docs/host-document.md)\n"
    "as a DWF package: a drawing becomes one ePlot section per sheet; a part or an\n"
    "assembly becomes one eModel section holding its 3D model (a W3D stream) with its\n"
    "textures converted to JPEG.\n"
    "\n"
    "Options:\n"
    "  -o, --out FILE         the package to write; \".dwf\" is appended unless the name\n"
    "                         already ends in it, in any case ('x.' becomes 'x..dwf');\n"
    "                         a name that ends in '/' or whose last component is '.' or\n"
    "                         '..', or that names a folder, is refused (required)\n"
    "  --sheets all|active    publish every sheet of a drawing, or only its active sheet\n"
    "                         (default: all)\n"
    "  --resolution 0|1|2     the host's image quality setting while a part or assembly\n"
    "                         is published, put back afterwards: 0 sets 99, 1 sets 50,\n"
    "                         2 sets 0; the stand-in host takes faces as the document\n"
    "                         tessellates them, so the package and its textures come\n"
    "                         out the same whichever is chosen; a drawing's options have\n"
    "                         no such choice and always use 0 (default: 0)\n"
    "  --password TEXT        encrypt the package of a part or assembly with the UTF-8\n"
    "                         bytes of TEXT; refused when TEXT is empty or not UTF-8,\n"
    "                         and for a drawing, whose packages are never encrypted\n"
    "                         (default: none)\n"
    "  --open                 open the package afterwards in the program the desktop\n"
    "                         associates with it; a note says why when it cannot be\n"
    "                         (default: off)\n"
    "  --no-open              do not open the package afterwards (the default)\n"
    "  --force                replace OUT.dwf when it exists, or when it appears while\n"
    "                         the package is written (default: off: OUT.dwf is never\n"
    "                         replaced; there at the start it gives exit status 2,\n"
    "                         appearing later exit status 1)\n"
    "  --toolbox-ini FILE     the host's settings file; the folder two levels above it is\n"
    "                         the host's data folder (default: $QUILLCAST_TOOLBOX_INI, else\n"
    "                         what the document names)\n"
    "  --data-folder DIR      the host's data folder; short for\n"
    "                         --toolbox-ini DIR/toolbox/toolbox.ini (default: as above)\n"
    "  --quiet                no progress bar (default: a bar on a terminal)\n"
    "  -h, --help             this text\n"
    "\n"
    "Names of files and folders (DOCUMENT, OUT.dwf, FILE, DIR, $QUILLCAST_TOOLBOX_INI,\n"
    "$TMPDIR) are used byte for byte, UTF-8 or not, and messages print them so.\n"
    "\n"
    "Exit status:\n"
    "  0  the package was written and nothing went wrong\n"
    "  1  no package was written; an existing OUT.dwf is left exactly as it was (the\n"
    "     reason is printed); without --force also when OUT.dwf came to exist while the\n"
    "     package was written (another run or program saved it): the message says it\n"
    "     exists; also when another file took the unfinished package's name just\n"
    "     before it was moved and so took OUT.dwf's place: the message says so\n"
    "  2  a bad command line or a document that cannot be read; nothing was written\n"
    "  3  the package was written (in OUT.dwf's place), but some of its content could\n"
    "     not be, or its folder could not be flushed to the disk afterwards, or\n"
    "     OUT.dwf could not be looked at to check it holds the package: the\n"
    "     messages say what\n"
    "Each failure prints the add-in's message, then on the next line its cause when\n"
    "one is known. Interrupted by SIGINT, SIGTERM or SIGHUP before the package takes\n"
    "OUT.dwf's place, the program removes its temporary files and folders and leaves\n"
    "OUT.dwf untouched; once the package is in place, such a signal no longer\n"
    "interrupts and the run ends with its own status.\n";

struct Options
{
    std::string document;
    std::string out;
    PublishRequest request;
    bool quiet = false;
};

[[noreturn]] void UsageError(const std::string& message)
{
    std::fprintf(stderr, "quillcast: %s (see quillcast --help)\n", message.c_str());
    std::exit(kExitUsage);
}

std::u16string Absolute(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return platform::path::fromNative(path);
    char* cwd = ::getcwd(nullptr, 0);
    std::string folder = cwd ? cwd : ".";
    std::free(cwd);
    return platform::path::fromNative(folder + "/" + path);
}

// The package's key is made from the password's UTF-8 bytes, so only text
// that is UTF-8 reaches it as typed; anything else would lock the package
// with a password nobody typed. An empty one would leave it open.
std::u16string PasswordText(const std::string& typed)
{
    if (typed.empty())
        UsageError("--password needs a password; an empty one would leave the package open");
    std::u16string text = platform::utf8ToUtf16(typed);
    if (platform::utf16ToUtf8(text) != typed)
        UsageError("--password takes UTF-8 text, and the bytes given are not UTF-8: the package "
                   "would not open with them");
    return text;
}

// Whether `path` names a folder rather than a file: its last name is empty
// (it ends in '/'), "." or "..", or a folder is there.
bool NamesAFolder(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    if (last.empty() || last == "." || last == "..")
        return true;
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Prints text of the add-in's to standard error; the names in it come back
// in the bytes they were given.
void PrintLine(const char* head, const std::u16string& text)
{
    std::fprintf(stderr, "quillcast: %s%s\n", head, platform::path::toNativeText(text).c_str());
}

Options Parse(int argc, char** argv)
{
    Options options;
    int i = 1;
    if (i < argc && (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0))
    {
        std::fputs(kUsage, stdout);
        std::exit(kExitPublished);
    }
    if (i >= argc)
        UsageError("no command given");
    if (std::strcmp(argv[i], "publish") != 0)
        UsageError(std::string("unknown command '") + argv[i] + "'");
    ++i;
    const auto value = [&](const char* option) -> std::string
    {
        if (i + 1 >= argc)
            UsageError(std::string("option ") + option + " needs a value");
        return argv[++i];
    };
    for (; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help")
        {
            std::fputs(kUsage, stdout);
            std::exit(kExitPublished);
        }
        else if (arg == "-o" || arg == "--out")
            options.out = value(argv[i]);
        else if (arg == "--sheets")
        {
            const std::string sheets = value("--sheets");
            if (sheets != "all" && sheets != "active")
                UsageError("--sheets takes 'all' or 'active', not '" + sheets + "'");
            options.request.activeSheetOnly = sheets == "active";
        }
        else if (arg == "--resolution")
        {
            const std::string text = value("--resolution");
            if (text != "0" && text != "1" && text != "2")
                UsageError("--resolution takes 0, 1 or 2, not '" + text + "'");
            options.request.resolution = text[0] - '0';
        }
        else if (arg == "--password")
            options.request.password = PasswordText(value("--password"));
        else if (arg == "--open")
            options.request.openAfterPublish = true;
        else if (arg == "--no-open")
            options.request.openAfterPublish = false;
        else if (arg == "--force")
            options.request.replaceExisting = true;
        else if (arg == "--toolbox-ini")
            options.request.toolboxIni = Absolute(value("--toolbox-ini"));
        else if (arg == "--data-folder")
            options.request.toolboxIni =
                platform::path::join(Absolute(value("--data-folder")), u"toolbox/toolbox.ini");
        else if (arg == "--quiet")
            options.quiet = true;
        else if (!arg.empty() && arg[0] == '-')
            UsageError("unknown option '" + arg + "'");
        else if (options.document.empty())
            options.document = arg;
        else
            UsageError("more than one document given ('" + arg + "')");
    }
    if (options.document.empty())
        UsageError("no document given");
    if (options.out.empty())
        UsageError("no package given (-o OUT.dwf)");
    return options;
}

// Draws the progress dialogs of the add-in as a bar on standard error, each
// line naming what its dialog says is being written (the model, or which
// sheet of the drawing).
class TerminalProgress : public CProgressDlg::Listener
{
public:
    void OnProgressMoved(const CProgressDlg& dialog) override
    {
        const int lower = dialog.GetLower();
        const int upper = dialog.GetUpper();
        const long long span = static_cast<long long>(upper) - lower;
        long long filled =
            span > 0 ? (static_cast<long long>(dialog.GetPos()) - lower) * kWidth / span : kWidth;
        if (filled < 0)
            filled = 0;
        if (filled > kWidth)
            filled = kWidth;
        std::string bar(static_cast<std::size_t>(filled), '#');
        bar.resize(kWidth, ' ');
        std::string label = platform::utf16ToUtf8(dialog.GetWindowText());
        if (!dialog.GetSubject().empty())
            label += " " + platform::utf16ToUtf8(dialog.GetSubject());
        std::fprintf(stderr, "\r%s [%s] %4s", label.c_str(), bar.c_str(),
                     platform::utf16ToUtf8(dialog.PercentText()).c_str());
        std::fflush(stderr);
        drawn_ = true;
    }
    void OnProgressClosed(const CProgressDlg&) override
    {
        if (drawn_)
            std::fputs("\r\033[K", stderr);
        drawn_ = false;
    }

private:
    static constexpr long long kWidth = 30;
    bool drawn_ = false;
};
} // namespace

int main(int argc, char** argv)
{
    Options options = Parse(argc, argv);
    const std::u16string document = Absolute(options.document);
    int unseen = 0;
    if (!platform::path::fileExists(document, &unseen))
        UsageError(unseen == 0 ? "no such document '" + options.document + "'"
                               : "cannot look at the document '" + options.document +
                                     "': " + platform::systemReason(unseen));
    options.request.target = Absolute(options.out);
    // The package is written under the name with its extension forced.
    const std::u16string target = CDWFPublisherImp::WithPackageExtension(options.request.target);
    // The name as the package gets it, for messages.
    const std::string shown =
        options.out + (target.size() > options.request.target.size() ? ".dwf" : "");
    // The package needs a file name: "DIR/" would become a hidden "DIR/.dwf".
    // The message names the name that is a folder: as given, or as the
    // package would get it.
    const char* const folderTaken = "' names a folder; -o takes the package's file name";
    if (NamesAFolder(options.out))
        UsageError("'" + options.out + folderTaken);
    if (NamesAFolder(platform::path::toNativeText(target)))
        UsageError("'" + shown + folderTaken);
    // The save dialog would only ask; a command line must be told.
    if (platform::path::nameTaken(target) && !options.request.replaceExisting &&
        !platform::path::isReadOnlyFile(target))
        UsageError("'" + shown + "' exists; pass --force to replace it");

    std::unique_ptr<host::memory::Application> application;
    try
    {
        application = host::loadHostDocument(document);
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "quillcast: %s: %s\n", options.document.c_str(), error.what());
        return kExitUsage;
    }
    // A drawing's options have no password: its package would be written
    // open while the user believes it locked.
    if (options.request.password)
    {
        host::Document* active = application->activeDocument();
        if (active && active->type() == host::kDrawingDocument)
            UsageError("--password cannot lock '" + options.document +
                       "': it is a drawing, and drawing packages are not encrypted");
    }

    // Whatever this run leaves in the temporary folder or beside the target
    // goes when it is interrupted; a file size limit becomes a write failure
    // with its cause instead of killing the process.
    DWFCore::DWFTempFileRegistry::removeOnSignals();
    std::signal(SIGXFSZ, SIG_IGN);

    // Message boxes are printed below, once each, with their causes.
    platform::ui().setEcho(false);
    TerminalProgress bar;
    if (!options.quiet && ::isatty(STDERR_FILENO))
        CProgressDlg::SetListener(&bar);
    const PublishOutcome outcome = RunPublishCommand(*application, options.request);
    CProgressDlg::SetListener(nullptr);

    for (std::size_t i = 0; i < outcome.messages.size(); ++i)
    {
        PrintLine("", outcome.messages[i]);
        if (i < outcome.causes.size() && !outcome.causes[i].empty())
            PrintLine("  cause: ", outcome.causes[i]);
    }
    for (const auto& note : outcome.notes)
        PrintLine("note: ", note);
    switch (outcome.status)
    {
    case PublishOutcome::Status::Published:
        return kExitPublished;
    case PublishOutcome::Status::PublishedWithErrors:
    {
        // Named as written: with its extension forced.
        const std::string written = platform::path::toNativeText(target);
        // The folder's failed flush and the failed look at the target are
        // one message each; any other is about content.
        if (outcome.messages.size() > (outcome.flushed ? 0u : 1u) + (outcome.checked ? 0u : 1u))
            std::fprintf(stderr,
                         "quillcast: the package was written to '%s', but some of its content "
                         "could not be (see above)\n",
                         written.c_str());
        if (!outcome.checked)
            std::fprintf(stderr,
                         "quillcast: the package was moved to '%s', but whether that name holds "
                         "it could not be checked (see above)\n",
                         written.c_str());
        if (!outcome.flushed)
            std::fprintf(stderr,
                         "quillcast: the package was written to '%s', but its folder could not "
                         "be flushed to the disk: a power loss may still %s (see above)\n",
                         written.c_str(),
                         outcome.replaced ? "bring the old file back" : "lose the new package");
        return kExitPublishedWithErrors;
    }
    case PublishOutcome::Status::NotAvailable:
        std::fprintf(stderr, "quillcast: the document file has no active document to publish\n");
        return kExitFailed;
    case PublishOutcome::Status::Cancelled:
        // Only the replace prompt refuses a name here: the target was
        // absent when the run began and appeared before the add-in chose it.
        std::fprintf(stderr,
                     "quillcast: nothing was published: '%s' was not accepted: it exists by now "
                     "(another run or program saved it); pass --force to replace it\n",
                     shown.c_str());
        return kExitFailed;
    case PublishOutcome::Status::Failed:
        break;
    }
    std::fprintf(stderr, "quillcast: no package was written\n");
    return kExitFailed;
}
