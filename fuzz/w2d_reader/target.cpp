// Reads a W2D stream object by object from the fuzzer's bytes, and writes every
// object it could read into a second stream. The first byte chooses how many
// bytes each read of the stream procedure delivers, so resumable reading is
// exercised as well as whole reads.
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/object.h"

#include "dwf/w2dtk/tests/stream_harness.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    std::size_t const chunk = data[0] % 16 == 0 ? SIZE_MAX : data[0] % 16;
    w2d_test::Memory_Stream input(std::vector<std::uint8_t>(data + 1, data + size));
    WT_File reader;
    w2d_test::open_for_reading(reader, input, 1, chunk == SIZE_MAX ? 1 << 20 : chunk);
    if (reader.open() != WT_Result_Success)
        return 0;

    w2d_test::Memory_Stream output;
    WT_File writer;
    output.install(writer);
    writer.set_file_mode(WT_File::File_Write);
    writer.set_allow_binary_data((data[0] & 16) != 0);
    if (writer.open() != WT_Result_Success)
        return 0;

    w2d_test::read_stream(
        reader, [&writer](WT_Object& object) { object.serialize(writer); }, long(size) * 64 + 1024);
    reader.close();
    writer.close();
    return 0;
}
