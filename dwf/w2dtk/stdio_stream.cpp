#include "dwf/w2dtk/stdio_stream.h"

#include <cstdio>

namespace
{
std::FILE* handle(WT_File& file)
{
    return static_cast<std::FILE*>(file.stream_user_data());
}
} // namespace

WT_Result wt_stdio_open(WT_File& file)
{
    if (handle(file))
        return WT_Result_Already_Open;
    const char* mode = nullptr;
    switch (file.file_mode())
    {
    case WT_File::File_Read:
    case WT_File::Block_Read:
        mode = "rb";
        break;
    case WT_File::File_Write:
    case WT_File::Block_Write:
        mode = "wb";
        break;
    case WT_File::Block_Append:
        mode = "r+b";
        break;
    default:
        return WT_Result_Open_Failed;
    }
    // A name is opened with the bytes it was given, UTF-8 or not.
    std::FILE* stream = std::fopen(file.filename().file_name_bytes().c_str(), mode);
    if (!stream)
        return WT_Result_Open_Failed;
    file.set_stream_user_data(stream);
    return WT_Result_Success;
}

WT_Result wt_stdio_close(WT_File& file)
{
    std::FILE* stream = handle(file);
    if (!stream)
        return WT_Result_Not_Open;
    file.set_stream_user_data(nullptr);
    return std::fclose(stream) == 0 ? WT_Result_Success : WT_Result_Write_Failed;
}

WT_Result wt_stdio_read(WT_File& file, std::size_t wanted, std::size_t& delivered, void* buffer)
{
    delivered = 0;
    std::FILE* stream = handle(file);
    if (!stream)
        return WT_Result_Not_Open;
    delivered = std::fread(buffer, 1, wanted, stream);
    if (delivered > 0)
        return WT_Result_Success;
    // The end of the input is always reported the same way, however many times
    // it is reached; only a real read error is a stream failure.
    return std::ferror(stream) ? WT_Result_Stream_Failure : WT_Result_End_Of_Input;
}

WT_Result wt_stdio_write(WT_File& file, std::size_t count, const void* bytes)
{
    std::FILE* stream = handle(file);
    if (!stream)
        return WT_Result_Write_Failed;
    return std::fwrite(bytes, 1, count, stream) == count ? WT_Result_Success
                                                         : WT_Result_Write_Failed;
}

WT_Result wt_stdio_seek(WT_File& file, long distance, long& moved)
{
    moved = 0;
    std::FILE* stream = handle(file);
    if (!stream || std::fseek(stream, distance, SEEK_CUR) != 0)
        return WT_Result_Stream_Failure;
    moved = distance;
    return WT_Result_Success;
}

WT_Result wt_stdio_end_seek(WT_File& file)
{
    std::FILE* stream = handle(file);
    if (!stream || std::fseek(stream, 0, SEEK_END) != 0)
        return WT_Result_Stream_Failure;
    return WT_Result_Success;
}

WT_Result wt_stdio_tell(WT_File& file, unsigned long& position)
{
    std::FILE* stream = handle(file);
    long const at = stream ? std::ftell(stream) : -1;
    if (at < 0)
        return WT_Result_Stream_Failure;
    position = static_cast<unsigned long>(at);
    return WT_Result_Success;
}
