// The toolkit's own input: a file it opens or a DWF input stream attached to it,
// and the positioning that finds a stream's dictionary and its recorded objects.
#include "dwf/w3dtk/stream/opcode_handler.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include "dwfcore/Exception.h"
#include "dwfcore/InputStream.h"

#include <cstdio>
#include <sys/stat.h>

TK_Status BStreamFileToolkit::OpenFile(const char* name, bool write)
{
    if (m_file)
    {
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_file = name ? std::fopen(name, write ? "wb" : "rb") : nullptr;
    if (!m_file)
        return Error("file open failure");
    m_file_name = name;
    return TK_Done;
}

TK_Status BStreamFileToolkit::AttachStream(DWFCore::DWFInputStream* stream)
{
    m_stream = stream;
    return TK_Done;
}

TK_Status BStreamFileToolkit::DetachStream()
{
    m_stream = nullptr;
    return TK_Done;
}

TK_Status BStreamFileToolkit::CloseFile()
{
    if (!m_file)
        return Error("no file open to close");
    int const result = std::fclose(m_file);
    // Whatever fclose answered, the handle is gone.
    m_file = nullptr;
    if (result != 0)
        return Error("file close failure");
    return TK_Done;
}

TK_Status BStreamFileToolkit::ReadBuffer(char* buffer, int size, int& amount)
{
    amount = 0;
    if (size < 0)
        return Error("negative read size");
    if (m_stream)
    {
        try
        {
            if (m_stream->available() == 0)
                return Error("end of stream");
            std::size_t const got = m_stream->read(buffer, static_cast<std::size_t>(size));
            if (got == 0 && size > 0)
                return Error("end of stream");
            amount = static_cast<int>(got);
            return TK_Done;
        }
        catch (const DWFCore::DWFException&)
        {
            amount = 0;
            return Error("DWFException occured - i/o error");
        }
    }
    if (!m_file)
        return Error("no file open for read");
    if (std::feof(m_file))
        return Error("read past end of file");
    amount = static_cast<int>(std::fread(buffer, 1, static_cast<std::size_t>(size), m_file));
    return TK_Done;
}

TK_Status BStreamFileToolkit::WriteBuffer(const char* buffer, int size)
{
    if (!m_file)
        return Error("no file open for write");
    if (size < 0 || std::fwrite(buffer, 1, static_cast<std::size_t>(size), m_file) !=
                        static_cast<std::size_t>(size))
        return Error("file write failure");
    return TK_Done;
}

TK_Status BStreamFileToolkit::PositionFile(int offset)
{
    if (m_stream)
    {
        try
        {
            m_stream->seek(offset < 0 ? SEEK_END : SEEK_SET, offset);
            return TK_Done;
        }
        catch (const DWFCore::DWFException&)
        {
            return Error("DWFException - i/o error");
        }
    }
    if (!m_file)
        return Error("no file open to position");
    if (std::fseek(m_file, offset, offset < 0 ? SEEK_END : SEEK_SET) != 0)
        return Error("file position failure");
    return TK_Done;
}

TK_Status BStreamFileToolkit::QueryFileSize(long& size)
{
    if (m_stream)
    {
        try
        {
            size = static_cast<long>(m_stream->available());
            return TK_Done;
        }
        catch (const DWFCore::DWFException&)
        {
            return Error("DWFException - i/o error");
        }
    }
    if (!m_file)
        return Error("no file open to query");
    struct stat status;
    if (fstat(fileno(m_file), &status) != 0)
        return Error("unable to query file");
    size = static_cast<long>(status.st_size);
    return TK_Done;
}

TK_Status BStreamFileToolkit::LocateDictionary()
{
    if (!GetWriteFlag(TK_Option_Dictionary))
        return Error("file not generated with dictionary");
    if (!m_file && !m_stream)
        return Error("no open file");
    TK_TRY(PositionFile(-5));
    // The stream ends with the dictionary's offset and the terminator.
    unsigned char tail[5];
    int have = 0;
    while (have < 5)
    {
        int amount = 0;
        TK_TRY(ReadBuffer(reinterpret_cast<char*>(tail) + have, 5 - have, amount));
        if (amount == 0)
            return Error("file does not end correctly");
        have += amount;
    }
    if (tail[4] != 0)
        return Error("file does not end correctly");
    int const offset = static_cast<int>(
        static_cast<unsigned>(tail[0]) | static_cast<unsigned>(tail[1]) << 8 |
        static_cast<unsigned>(tail[2]) << 16 | static_cast<unsigned>(tail[3]) << 24);
    if (offset < 0)
        return Error("file does not end correctly");
    return PositionFile(offset);
}

TK_Status BStreamFileToolkit::LocateEntity(TK_Key key, int variant)
{
    int offset = 0;
    int length = 0;
    TK_Status const status = GetOffset(key, variant, offset, length);
    if (status == TK_Error)
        return Error("locate entity translation failure");
    if (status != TK_Done)
        return status;
    if (offset == 0)
        return TK_Not_Found;
    return PositionFile(offset);
}
