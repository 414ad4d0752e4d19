#pragma once
// The imaging exception a call throws, for the tests: taken over (the
// library throws pointers the catcher deletes), or reduced to its code.
#include "imaging/OMVIException.h"

#include <cstdint>
#include <functional>
#include <string>

namespace OmviTest
{

// The exception `action` throws, owned; empty when it throws none.
template <class Action>
Omvi::OwnedException thrownBy(Action action)
{
    try
    {
        action();
    }
    catch (Omvi::OMVIException* error)
    {
        return Omvi::OwnedException(error);
    }
    return nullptr;
}

// The code of the OMVIException of class E that `action` throws; -100 when
// it throws nothing or something else. The message goes to `message`.
template <class E>
std::int32_t thrownCode(const std::function<void()>& action, std::string* message = nullptr)
{
    Omvi::OwnedException owned = thrownBy(action);
    if (!owned)
        return -100;
    if (message)
        *message = owned->getMessage().text();
    return dynamic_cast<E*>(owned.get()) ? owned->code() : -100;
}

} // namespace OmviTest
