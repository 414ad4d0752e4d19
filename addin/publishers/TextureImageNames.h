#pragma once
// The names under which one publish's texture images go into the model, by
// the file each image is read from. The W3D stream's texture records and
// the package's image resources know an image only by this name, so two
// files never share one: a file keeps its name however many faces use it,
// and a file that is not yet in the model gets a name no file of the
// publish has taken.
//
// A file's preferred name is the ASCII letters and digits of its path, the
// last 119 of them (the texture records carry at most 127 bytes, " texture"
// included). The first file to ask for a name gets its preferred one; a
// later file whose preferred name is taken (paths that differ only in other
// characters: "дуб.jpg" and "сосна.jpg", "oak 1.bmp" and "oak-1.bmp", or
// in what lies before their last 119 letters and digits) gets it followed
// by a number, 2 for the first such, its front cut so that it stays within
// 119; a path of no ASCII letter or digit at all is numbered after
// "texture" the same way.
//
// Files are told apart by what they are (TextureFileIdentity.h): every
// spelling of a path to one file, through links too, finds the one image.
// A file known only by its path is told apart by the path as written,
// except that '\\' and '/' are one separator, repeated separators count
// once and "." components none.
#include "addin/texture/TextureFileIdentity.h"

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>

class TextureImageNames
{
public:
    static constexpr std::size_t kMaxLength = 119;

    // The ASCII letters and digits of `path`, the last kMaxLength of them.
    static std::u16string PreferredName(std::u16string_view path);

    // The name of the image of the file when it is in the model; null
    // when it is not.
    const std::u16string* Find(const TextureFileIdentity& file) const;
    // The same for a file known only by its path.
    const std::u16string* Find(const std::u16string& path) const;
    // A name for the image of `path`, which is not in the model: one that
    // no image of this publish has. It is not taken until Add.
    std::u16string Choose(const std::u16string& path);
    // The image of the file went into the model under `name` (from Choose).
    void Add(const TextureFileIdentity& file, const std::u16string& name);
    void Add(const std::u16string& path, const std::u16string& name);

    std::size_t size() const { return byFile_.size(); }

private:
    static std::u16string FileKey(std::u16string_view path);

    const std::u16string* FindKey(const TextureFileKey& file) const;
    void AddKey(const TextureFileKey& file, const std::u16string& name);

    std::map<TextureFileKey, std::u16string> byFile_; // file -> name
    std::set<std::u16string> taken_;
    // The number to try next after a preferred name, so that many files of
    // one preferred name are numbered without trying every number again.
    std::map<std::u16string, unsigned long> nextNumber_;
};
