// The host's symbol file comes from the user's installation: any bytes must
// give symbols or nothing, drawn into a W2D stream without a fault.
#include "addin/publishers/SymbolDrawer.h"
#include "dwf/w2dtk/file.h"
#include "platform/ui/Ui.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace
{
// One file for the whole run, rewritten for every input.
const std::string& ScratchFile()
{
    static const std::string path = []
    {
        std::string pattern = "/tmp/qc-fuzz-sym-XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd >= 0)
            ::close(fd);
        std::atexit([] { std::remove(ScratchFile().c_str()); });
        return pattern;
    }();
    return path;
}

WT_Result Discard(WT_File&, std::size_t, const void*)
{
    return WT_Result_Success;
}
WT_Result Succeed(WT_File&)
{
    return WT_Result_Success;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    platform::ui().setEcho(false);
    platform::ui().reset();
    if (std::FILE* out = std::fopen(ScratchFile().c_str(), "wb"))
    {
        std::fwrite(data, 1, size, out);
        std::fclose(out);
    }
    WT_File file;
    file.set_stream_open_action(&Succeed);
    file.set_stream_close_action(&Succeed);
    file.set_stream_write_action(&Discard);
    file.set_file_mode(WT_File::File_Write);
    if (file.open() != WT_Result_Success)
        return 0;
    CSymbolDrawer drawer(ScratchFile());
    const w2dout::SheetContext sheet{32467.9};
    // The first header names the library; look up a few symbols under it.
    drawer.SetLibraryName(u"L");
    for (const char16_t* symbol : {u"S", u"T", u"FLAT", u"L"})
    {
        drawer.SetSymbolName(symbol);
        drawer.Draw(file, sheet, 1000, -1000, 0.3, 0.0035);
        drawer.ResetExtent();
    }
    file.close();
    return 0;
}
