#include "addin/BitmapHandler.h"

#include "addin/Identifiers.h"
#include "addin/PublishLog.h"
#include "addin/Resources.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Path.h"
#include "platform/kernel/Text.h"

#include <cerrno>
#include <cstdint>

namespace
{
// The toolbar image: a sheet of paper with a folded corner and a blue band,
// drawn at any square size.
platform::RgbPicture DrawToolbarImage(int size)
{
    platform::RgbPicture picture;
    picture.width = size;
    picture.height = size;
    picture.pixels.assign(static_cast<std::size_t>(size) * size * 3, 0xC0);
    const int margin = size / 8;
    const int fold = size / 4;
    for (int y = 0; y < size; ++y)
    {
        for (int x = 0; x < size; ++x)
        {
            std::uint8_t* pixel = &picture.pixels[(static_cast<std::size_t>(y) * size + x) * 3];
            const bool inside = x >= margin && x < size - margin && y >= 0 && y < size;
            const bool cutCorner =
                x >= size - margin - fold && y < fold && (x - (size - margin - fold)) > y;
            if (!inside || cutCorner)
                continue;
            const bool edge = x == margin || x == size - margin - 1 || y == 0 || y == size - 1;
            const bool band = y >= size / 2 && y < size / 2 + size / 6;
            const std::uint8_t r = edge ? 0x20 : band ? 0x20 : 0xFF;
            const std::uint8_t g = edge ? 0x20 : band ? 0x60 : 0xFF;
            const std::uint8_t b = edge ? 0x20 : band ? 0xC0 : 0xFF;
            pixel[0] = r;
            pixel[1] = g;
            pixel[2] = b;
        }
    }
    return picture;
}

// Removes a toolbar bitmap file; one that stays is named in a note.
void RemoveBitmapFile(const std::u16string& name)
{
    if (platform::removeTemporaryFile(name))
        return;
    const int error = errno;
    publish_log::LeftBehind(u"toolbar bitmap", name, error);
}
} // namespace

CBitmapHandler* CBitmapHandler::Create()
{
    return new CBitmapHandler();
}

CBitmapHandler::~CBitmapHandler()
{
    try
    {
        Dispose();
    }
    catch (...)
    {
        // A destructor lets nothing out.
    }
}

platform::HRESULT CBitmapHandler::queryInterface(const platform::Guid& iid, void** object)
{
    if (object && iid == ids::IID_IBitmapHandler)
    {
        addRef();
        *object = this;
        return platform::S_OK;
    }
    return RefCounted::queryInterface(iid, object);
}

std::optional<platform::RgbPicture> CBitmapHandler::LoadBitmapResource(int id)
{
    if (id == res::IDB_TOOLBAR_LARGE)
        return DrawToolbarImage(32);
    if (id == res::IDB_TOOLBAR_SMALL)
        return DrawToolbarImage(16);
    return std::nullopt;
}

platform::HRESULT CBitmapHandler::CreateBitmapFileFromResource(long resourceId,
                                                               platform::Bstr* fileName)
{
    if (!fileName)
        return platform::E_POINTER;
    *fileName = platform::Bstr();
    const auto bitmap = LoadBitmapResource(static_cast<int>(resourceId & 0xFFFF));
    const auto name = platform::createTemporaryFile("quillcast-toolbar-", ".bmp");
    if (!bitmap || !name)
    {
        if (name)
            RemoveBitmapFile(*name);
        else if (bitmap)
        {
            // As lost as one that cannot be written; the user hears why.
            const int error = errno;
            publish_log::Note(u"The toolbar has no image: cannot create a temporary file in '" +
                              platform::path::fromNative(platform::temporaryFolder()) + u"/': " +
                              platform::utf8ToUtf16(platform::systemReason(error)));
        }
        return platform::E_FAIL;
    }
    std::string error;
    if (!platform::saveBitmap(*name, *bitmap, error))
    {
        // The toolbar goes without its image; the user hears why.
        publish_log::Note(u"The toolbar has no image: " + platform::path::fromNative(error));
        RemoveBitmapFile(*name);
        return platform::E_FAIL;
    }
    platform::Bstr text;
    if (platform::failed(platform::Bstr::allocate(*name, text)))
    {
        RemoveBitmapFile(*name);
        return platform::E_OUTOFMEMORY;
    }
    files_.push_back(*name);
    *fileName = std::move(text);
    return platform::S_OK;
}

platform::HRESULT CBitmapHandler::Dispose()
{
    while (!files_.empty())
    {
        RemoveBitmapFile(files_.front());
        files_.erase(files_.begin());
    }
    return platform::S_OK;
}
