#include "imaging/codecs/codec/CallbackFailure.h"

#include "imaging/OMVIException.h"
#include "imaging/codecs/codec/CodecErrors.h"

namespace Omvi
{

void throwKeptFailure(std::exception_ptr& kept)
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
    throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
}

} // namespace Omvi
