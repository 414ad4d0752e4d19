#pragma once
// The shell's "open" verb: every request is recorded; only when launching
// is switched on is the file handed to xdg-open, started directly (never
// through a command interpreter) and waited for, so that its failure is
// known (it hands the file to a viewer and returns).
#include <string>
#include <vector>

namespace platform
{

struct ShellRequest
{
    std::u16string verb;
    std::u16string file;
    bool launched = false;
};

class Shell
{
public:
    // Returns a value above 32 on success, as the system's call does; a
    // recorded request that is not launched counts as success. On failure
    // `failure`, when given, says why: no opener on the path, one that could
    // not be started, or one that failed (its exit status or signal).
    int execute(const std::u16string& verb, const std::u16string& file,
                std::u16string* failure = nullptr);
    void setLaunch(bool launch) { launch_ = launch; }
    bool launches() const { return launch_; }
    // The program started for "open"; tests point it elsewhere.
    void setOpener(std::string program) { opener_ = std::move(program); }

    const std::vector<ShellRequest>& requests() const { return requests_; }
    void reset() { requests_.clear(); }

private:
    bool launch_ = false;
    std::string opener_ = "xdg-open";
    std::vector<ShellRequest> requests_;
};

Shell& shell();

} // namespace platform
