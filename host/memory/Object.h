#pragma once
// The base of every in-memory host object: the shared session (call log
// and fault plan) and a label that names the object in the log.
#include "host/Session.h"

#include <string>
#include <vector>

namespace host::memory
{

class Object
{
public:
    explicit Object(Session& session) : session_(&session) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // Names the object in call-log entries, for example "View[Drawing View1]".
    std::string label;

protected:
    // Counts the request and fails it when the fault plan says so.
    void ask(const char* operation) const { session_->request(operation); }
    // Logs a state-changing call as "<label>::<call>".
    void log(const std::string& call) const { session_->record(label + "::" + call); }
    Session& session() const { return *session_; }

private:
    Session* session_;
};

// A list of fixed-size records as the host reports it: a count and the
// doubles. The loader keeps them consistent; a test may build them
// inconsistent on purpose, to exercise the add-in's checks.
struct RecordArray
{
    int count = 0;
    std::vector<double> data;
};

} // namespace host::memory

namespace host::memory
{

// Record `index` of `size` doubles out of a flat list; empty when the
// record does not lie wholly inside the list.
inline std::vector<double> recordAt(const std::vector<double>& data, int index, std::size_t size)
{
    if (index < 0)
        return {};
    const std::size_t start = static_cast<std::size_t>(index) * size;
    if (start > data.size() || size > data.size() - start)
        return {};
    return std::vector<double>(data.begin() + static_cast<std::ptrdiff_t>(start),
                               data.begin() + static_cast<std::ptrdiff_t>(start + size));
}

} // namespace host::memory
