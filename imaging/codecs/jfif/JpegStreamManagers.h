#pragma once
// libjpeg source and destination managers over a DataStreamInterface, for
// JPEG data read from or written to memory rather than a file. Both move the
// data through 4096-byte buffers taken from libjpeg's own pools. A stream
// that fails is a libjpeg error (an empty input, a failed write); a stream
// that throws is caught in the callback and raised again by the codec once
// libjpeg is left (JpegErrorGuard).
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

namespace Omvi
{

class DataStreamInterface;

// Reads the compressed data from `stream` (not owned; already open). At the
// very start, no data is an error; later, the end of the data is a warning
// and an end-of-image marker is supplied, so a cut-off image decodes with
// the rest filled in.
void jpegStreamSource(j_decompress_ptr info, DataStreamInterface* stream);

// Writes the compressed data into `stream` (not owned). When compression
// finishes the last bytes are written and the stream is closed.
void jpegStreamDestination(j_compress_ptr info, DataStreamInterface* stream);

} // namespace Omvi
