#pragma once
// What every object of the stand-in host shares: the call log of
// state-changing requests and the fault plan that lets a test make any
// single request fail.
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace host
{

// A failed host request. The add-in's callers see it as any failure of the
// host and report it through their own message box.
class HostFailure : public std::runtime_error
{
public:
    explicit HostFailure(const std::string& operation)
        : std::runtime_error("host request failed: " + operation), operation_(operation)
    {
    }
    const std::string& operation() const { return operation_; }

private:
    std::string operation_;
};

class Session
{
public:
    // Every request passes here first: it is counted, and it throws
    // HostFailure when the fault plan names this occurrence of it.
    // Operation names read "Object::request", for example "View::splineData".
    void request(const std::string& operation);
    // Appends one entry to the call log (state-changing requests only).
    void record(std::string entry);

    // The `occurrence`-th request of the operation from now on (1 = the
    // next one) fails, once.
    void failRequest(const std::string& operation, int occurrence = 1);
    // Every request of the operation fails from now on.
    void failAlways(const std::string& operation);
    void clearFaults();

    int requestCount(const std::string& operation) const;
    // Every operation requested so far, with its count.
    const std::map<std::string, int>& requestCounts() const { return counts_; }
    const std::vector<std::string>& callLog() const { return log_; }
    void clearLog() { log_.clear(); }

private:
    std::map<std::string, int> counts_;
    std::map<std::string, std::vector<int>> planned_;
    std::map<std::string, bool> always_;
    std::vector<std::string> log_;
};

} // namespace host
