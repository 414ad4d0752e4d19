#pragma once
// The private folder into which one publish's converted textures are
// written. It is made on first use, exclusively and readable by its owner
// only, in the temporary folder, so that a user's texture folder is never
// written to, a read-only texture folder still converts, and no file the
// user owns is ever overwritten. The 3D road removes it once the package is
// written (remove(), which says what stayed and why, or the destructor on
// any other path); the folder and
// every place it gives are listed with the process's temporary files, so a
// run ended by a signal removes them too.
//
// Each converted texture keeps its name rule; two textures of one name from
// different folders are kept apart in numbered subfolders, and a source
// converted earlier in the same publish is found again instead of being
// converted a second time; the 3D road does not try (nor report) again a
// source whose conversion failed. A texture taken as it is (a JPEG or PNG) is read once
// per publish too: what its reading found is kept here. Sources are known
// by the file they are (TextureFileIdentity.h), however their paths are
// spelt; one that cannot be opened by its path as written.
#include "addin/texture/TextureFileFormat.h"
#include "addin/texture/TextureFileIdentity.h"

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

class TextureOutputFolder
{
public:
    // Names begin with this in the temporary folder.
    static constexpr const char* kPrefix = "dwfTex";

    TextureOutputFolder();
    // Removes the folder and everything in it; failures are swallowed.
    ~TextureOutputFolder();
    TextureOutputFolder(const TextureOutputFolder&) = delete;
    TextureOutputFolder& operator=(const TextureOutputFolder&) = delete;

    // The folder, made on the first call; empty when it cannot be made.
    const std::u16string& path();
    bool exists() const { return !path_.empty(); }

    // A path for a file called `name` that no conversion of this publish
    // has used: in the folder, else in a new numbered subfolder. Empty when
    // no place can be made (or `name` is empty or holds a separator).
    std::u16string placeFor(const std::u16string& name);

    // The output of an earlier conversion of `source` in this publish when
    // its file is still there, else empty.
    std::u16string convertedFrom(const TextureFileKey& source) const;
    void remember(const TextureFileKey& source, const std::u16string& output);
    // Whether a conversion of `source` failed earlier in this publish.
    bool failedBefore(const TextureFileKey& source) const;
    void rememberFailure(const TextureFileKey& source);

    // What reading a texture taken as it is found: its format, and why it
    // could not be read when it could not.
    struct Reading
    {
        TextureFileFormat format = TextureFileFormat::Unreadable;
        std::u16string failure;
    };
    // What an earlier reading of `source` found in this publish; null when
    // it was not read yet.
    const Reading* readBefore(const TextureFileKey& source) const;
    void rememberRead(const TextureFileKey& source, Reading reading);

    // What a removal that failed left behind: the system's reason for the
    // first thing that stayed (an errno value), and how many files stayed
    // in the folder and its subfolders.
    struct Leftover
    {
        int error = 0;
        std::size_t files = 0;
    };
    // Removes the folder with everything in it. True when nothing is left
    // (also when the folder was never made); the folder can be made again
    // afterwards. False when something stays, and then `left` (when given)
    // says why and how much; what stays stays listed with the process's
    // temporary files.
    bool remove(Leftover* left = nullptr);

private:
    std::u16string path_;
    std::map<TextureFileKey, std::u16string> converted_; // source -> output
    std::set<TextureFileKey> failed_;                    // sources that failed
    std::map<std::u16string, int> namesUsed_;            // name -> places given
    std::map<TextureFileKey, Reading> read_;             // source -> what it held
    // The folder, its subfolders and the places given, as listed with the
    // process's temporary files until the folder is removed.
    std::vector<std::string> listed_;
};
