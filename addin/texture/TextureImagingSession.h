#pragma once
// The imaging library's session for one texture conversion: made when the
// conversion starts, with its paging file in the temporary folder, the
// automatic memory budget and the twelve codecs registered; ended before
// the codecs go, so that no registered codec outlives its object.
//
// A session that someone else already holds is not taken over: the
// conversion then fails (Omvi::OMVIException "The imaging session is in
// use").
#include "imaging/codecs/ImageFormatCodec.h"

#include <memory>
#include <vector>

namespace Omvi
{
class OMVISession;
}

class TextureImagingSession
{
public:
    // Creates the session and registers the codecs, in the order BMP, CALS,
    // FLIC, GIF, IG4, JFIF, PCX, PICT, PNG, RLC, Targa, TIFF (TIFF in the
    // texture mode). Throws the library's exceptions (thrown as pointers)
    // when the session cannot be made.
    TextureImagingSession();
    // Ends the session, then deletes the codecs. When the session refuses
    // to end (an image is still registered), the codecs are left alive
    // rather than leave the session pointing at deleted objects. A paging
    // file whose name could not be removed is named in a note.
    ~TextureImagingSession();
    TextureImagingSession(const TextureImagingSession&) = delete;
    TextureImagingSession& operator=(const TextureImagingSession&) = delete;

    const std::vector<std::unique_ptr<Omvi::ImageFormatCodec>>& codecs() const { return codecs_; }
    // The first registered codec of that class, or null.
    template <class Codec> Codec* first() const
    {
        for (const auto& codec : codecs_)
            if (auto* found = dynamic_cast<Codec*>(codec.get()))
                return found;
        return nullptr;
    }

private:
    void registerCodecs(Omvi::OMVISession& session);

    std::vector<std::unique_ptr<Omvi::ImageFormatCodec>> codecs_;
};
