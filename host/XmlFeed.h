#pragma once
// Hands a document to expat in pieces, so that neither the caller nor the
// parser needs the whole text at once, while keeping the parser's work in
// proportion to the document whatever its tokens.
//
// Expat scans a token that is still open at the end of a piece (a comment,
// a processing instruction, a start tag with a long attribute) again from
// its start when the next piece comes: fed in pieces of a fixed size, a
// token of n bytes costs time in the square of n. So the next piece is made
// as large as what the parser still holds unfinished: each new scan of the
// open token then covers at least twice what the last one did, and the
// scans of one token add up to a few times its length. Once the token is
// closed, pieces return to their usual size.
#include <cstddef>
#include <functional>

struct XML_ParserStruct;

namespace host
{

// What the parser was handed: pieces, and the bytes it scanned for them
// (each piece plus what it still held unfinished from the pieces before).
struct XmlFeedWork
{
    std::size_t pieces = 0;
    std::size_t bytesScanned = 0;
};

class XmlFeed
{
public:
    // `usualPiece` is the size of a piece while no token stays open;
    // `documentBytes` the document's size, or a bound of it: no piece is
    // made larger than what remains of it (nor smaller than `usualPiece`).
    XmlFeed(XML_ParserStruct* parser, std::size_t usualPiece, std::size_t documentBytes);

    // Asks `fill(into, want)` for the next piece, written straight into the
    // parser's buffer: it answers how many bytes it wrote, fewer than `want`
    // only at the end of the document and 0 once it has ended, and may
    // throw. False when the parser stopped: the document is malformed, a
    // handler stopped it, or the parser's buffer could not grow.
    using Fill = std::function<std::size_t(char* into, std::size_t want)>;
    bool feed(const Fill& fill);
    // Whether the last piece ended the document.
    bool ended() const { return ended_; }

    const XmlFeedWork& work() const { return work_; }

private:
    std::size_t nextPieceSize() const;

    XML_ParserStruct* parser_;
    std::size_t usualPiece_;
    std::size_t documentBytes_;
    // Bytes handed over so far, and how many of their last ones the parser
    // holds in a token it has not finished.
    std::size_t fed_ = 0;
    std::size_t unfinished_ = 0;
    bool ended_ = false;
    XmlFeedWork work_;
};

} // namespace host
