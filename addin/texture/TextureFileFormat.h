#pragma once
// What a texture file holds as far as the package is concerned: one of the
// two formats the package takes as the file's own bytes, an image of
// another format that is converted first, or nothing that can be read.
enum class TextureFileFormat
{
    Unreadable,
    Jpeg,
    Png,
    Other,
};
