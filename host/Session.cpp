#include "host/Session.h"

#include <algorithm>

namespace host
{

void Session::request(const std::string& operation)
{
    const int occurrence = ++counts_[operation];
    if (always_.count(operation))
        throw HostFailure(operation);
    const auto planned = planned_.find(operation);
    if (planned == planned_.end())
        return;
    auto& occurrences = planned->second;
    const auto hit = std::find(occurrences.begin(), occurrences.end(), occurrence);
    if (hit != occurrences.end())
    {
        occurrences.erase(hit);
        throw HostFailure(operation);
    }
}

void Session::record(std::string entry)
{
    log_.push_back(std::move(entry));
}

void Session::failRequest(const std::string& operation, int occurrence)
{
    const int ahead = occurrence < 1 ? 1 : occurrence;
    planned_[operation].push_back(requestCount(operation) + ahead);
}

void Session::failAlways(const std::string& operation)
{
    always_[operation] = true;
}

void Session::clearFaults()
{
    planned_.clear();
    always_.clear();
}

int Session::requestCount(const std::string& operation) const
{
    const auto found = counts_.find(operation);
    return found == counts_.end() ? 0 : found->second;
}

} // namespace host
