#pragma once
// The platform's fonts by face name: a name is resolved through fontconfig
// to an installed font file (Arial to its metric-compatible Liberation Sans,
// Times New Roman to Liberation Serif, Courier New to Liberation Mono) and
// the face is opened once and kept for the life of the process.
#include "platform/font/FontFace.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>

namespace platform
{

class FontService
{
public:
    // The one service of the process; safe to use from several threads.
    static FontService& shared();

    // The face installed under `name` (or a family fontconfig holds to be
    // the same font under another name) in the given style; nothing when
    // fontconfig could only offer an unrelated stand-in, or the file cannot
    // be opened. Lookups, failed ones too, are remembered.
    std::shared_ptr<const FontFace> face(const std::u16string& name, bool bold = false,
                                         bool italic = false);
    // Why the lookup of that face failed; empty when it did not.
    std::string failure(const std::u16string& name, bool bold = false, bool italic = false);

private:
    FontService() = default;
    ~FontService();
    FontService(const FontService&) = delete;
    FontService& operator=(const FontService&) = delete;
    struct Entry
    {
        std::shared_ptr<const FontFace> face;
        std::string why;
    };
    using Key = std::tuple<std::u16string, bool, bool>;
    const Entry& find(const Key& key); // with the lock held

    std::mutex lock_;
    // A configuration of our own rather than fontconfig's process-wide one,
    // so that it is released when the service goes.
    void* config_ = nullptr; // FcConfig
    std::map<Key, Entry> faces_;
};

} // namespace platform
