#include "host/XmlFeed.h"

#include <expat.h>

#include <algorithm>

namespace host
{

namespace
{
// Far beyond any document the loader takes, and well within the int that
// expat counts its buffer in.
constexpr std::size_t kLargestPiece = std::size_t{1} << 30;
} // namespace

XmlFeed::XmlFeed(XML_ParserStruct* parser, std::size_t usualPiece, std::size_t documentBytes)
    : parser_(parser), usualPiece_(std::min(usualPiece, kLargestPiece)),
      documentBytes_(documentBytes)
{
}

std::size_t XmlFeed::nextPieceSize() const
{
    const std::size_t rest = documentBytes_ > fed_ ? documentBytes_ - fed_ : 0;
    const std::size_t piece =
        std::min(std::max(usualPiece_, unfinished_), std::max(usualPiece_, rest));
    return std::min(piece, kLargestPiece);
}

bool XmlFeed::feed(const Fill& fill)
{
    const std::size_t want = nextPieceSize();
    void* buffer = XML_GetBuffer(parser_, static_cast<int>(want));
    if (!buffer)
        return false;
    const std::size_t bytes = fill(static_cast<char*>(buffer), want);
    ended_ = bytes == 0;
    ++work_.pieces;
    work_.bytesScanned += unfinished_ + bytes;
    fed_ += bytes;
    const XML_Status status =
        XML_ParseBuffer(parser_, static_cast<int>(bytes), ended_ ? XML_TRUE : XML_FALSE);
    // After a piece the parser's position is the start of the token it could
    // not finish (the end of what it was given when there is none).
    const XML_Index at = XML_GetCurrentByteIndex(parser_);
    unfinished_ =
        at >= 0 && static_cast<std::size_t>(at) <= fed_ ? fed_ - static_cast<std::size_t>(at) : 0;
    return status == XML_STATUS_OK;
}

} // namespace host
