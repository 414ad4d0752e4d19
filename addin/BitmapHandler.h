#pragma once
// Writes the module's toolbar bitmaps to files, because the host takes
// toolbar images as files. Each file is created exclusively in the
// temporary folder and listed; Dispose removes every listed file, and a
// file that cannot be removed is named in a note of the publish log.
#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"
#include "platform/gdi/Picture.h"

#include <optional>
#include <string>
#include <vector>

class CBitmapHandler : public platform::RefCounted
{
public:
    // A new handler with one reference.
    static CBitmapHandler* Create();

    platform::HRESULT queryInterface(const platform::Guid& iid, void** object) override;

    // The bitmap resource (low 16 bits of the id) in a new temporary file.
    // E_FAIL when the id names no bitmap or the file cannot be written; no
    // file is left behind then.
    platform::HRESULT CreateBitmapFileFromResource(long resourceId, platform::Bstr* fileName);
    // Removes every file made so far, oldest first. S_OK.
    platform::HRESULT Dispose();

    const std::vector<std::u16string>& Files() const { return files_; }

    // The module's bitmap resources: 3007 (32 x 32) and 3008 (16 x 16).
    static std::optional<platform::RgbPicture> LoadBitmapResource(int id);

private:
    CBitmapHandler() = default;
    // Files nobody disposed of go with the handler.
    ~CBitmapHandler() override;

    std::vector<std::u16string> files_;
};
