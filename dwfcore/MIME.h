#ifndef DWFCORE_MIME_H
#define DWFCORE_MIME_H

namespace DWFCore
{

// The MIME types package parts use, with the file extensions that go with them.
class DWFMIME
{
public:
    //
    // The extension (without the point) for a MIME type, as static text, or
    // null when the type is unknown. The match is exact and case-sensitive.
    //
    static const char16_t* GetExtension(const char16_t* mimeType);

private:
    static void _Build();
};

} // namespace DWFCore

#endif
