#pragma once
// Names an image file: a path StringBuffer and a kind. Kind 0 is a file of
// the file system, named by its UTF-8 path (the only kind whose file is ever
// opened); a reader or writer over a data stream carries an empty path of
// kind 1, which is also what a default-constructed specifier holds.
#include "imaging/StringBuffer.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace Omvi
{

class FileSpecifier
{
public:
    static constexpr std::int32_t kFile = 0;
    static constexpr std::int32_t kStream = 1;

    FileSpecifier();
    FileSpecifier(const StringBuffer& path, std::int32_t kind);
    FileSpecifier(const FileSpecifier& other);
    virtual ~FileSpecifier();

    virtual std::int32_t kind() const;
    virtual const StringBuffer& path() const;
    virtual FileSpecifier& operator=(const FileSpecifier& other);
    // Equal kinds, path encodings, byte counts and bytes; two paths without
    // bytes are equal.
    virtual bool operator==(const FileSpecifier& other) const;
    virtual bool operator!=(const FileSpecifier& other) const;
    virtual void set(const StringBuffer& path, std::int32_t kind);

    // A specifier the file functions accept: a non-empty path of kind 0.
    bool isUsable() const;
    // The path as the file system takes it (its bytes up to the first NUL).
    std::string nativePath() const;

private:
    StringBuffer path_;
    std::int32_t kind_ = kStream;
};

// A kind-0 specifier for a path given as UTF-16 text (stored as UTF-8).
FileSpecifier fileSpecifierFromPath(std::u16string_view path);

} // namespace Omvi
