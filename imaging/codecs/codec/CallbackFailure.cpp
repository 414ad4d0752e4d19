#include "imaging/codecs/codec/CallbackFailure.h"

#include "imaging/OMVIException.h"
#include "imaging/codecs/codec/CodecErrors.h"

namespace Omvi
{

void throwKeptFailure(std::exception_ptr& kept, const char* reason)
{
    if (kept)
    {
        std::exception_ptr failure = kept;
        kept = nullptr;
        try
        {
            std::rethrow_exception(failure);
        }
        catch (OMVIException*)
        {
            throw;
        }
        catch (...)
        {
            // Anything else (memory running out in a stream, say) leaves
            // through the library's own channel below.
        }
    }
    throwCorruptImage(reason);
}

} // namespace Omvi
