// W2D streams with compressed sections through the reading loop of an
// application (get_next_object, materialize, process), input trickling in.
//
// The first byte chooses what the rest is: 0 a whole stream as it stands;
// 1 and 2 opcodes that are first written through the deflate (1) or LZ (2)
// coder, so the fuzzer explores the object readers behind a decompressor as
// well as the coders themselves. The second byte sets the read chunk size.
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/object.h"

#include "dwf/w2dtk/tests/stream_harness.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace
{
std::vector<std::uint8_t> compress_as_stream(const std::uint8_t* data, std::size_t size,
                                             int version)
{
    w2d_test::Memory_Stream stream;
    WT_File file;
    stream.install(file);
    file.set_target_version(version);
    file.set_file_mode(WT_File::File_Write);
    if (file.open() != WT_Result_Success)
        return {};
    file.set_allow_data_compression(true);
    WT_Result const written = file.write(size, data);
    WT_Result const closed = file.close();
    if (written != WT_Result_Success || closed != WT_Result_Success)
        __builtin_trap(); // writing to memory cannot fail
    return stream.output;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    int const mode = data[0] % 3;
    std::size_t const chunk = 1 + data[1] % 64;
    data += 2;
    size -= 2;

    std::vector<std::uint8_t> input;
    if (mode == 0)
        input.assign(data, data + size);
    else
        input = compress_as_stream(data, size, mode == 1 ? 600 : 38);

    w2d_test::Memory_Stream stream(std::move(input));
    WT_File file;
    w2d_test::open_for_reading(file, stream, 1, chunk);
    if (file.open() != WT_Result_Success)
        return 0;
    // Every step consumes input or ends; the budget only turns a hang into a finding.
    WT_Result const result = w2d_test::read_stream(file, {}, long(stream.input.size()) * 64 + 4096);
    if (result == w2d_test::Stalled)
        __builtin_trap();
    file.close();
    return 0;
}
