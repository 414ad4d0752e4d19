// The host's symbol file comes from the user's installation: any bytes must
// give symbols or nothing, drawn into a W2D stream without a fault.
#include "addin/publishers/SymbolDrawer.h"
#include "dwf/w2dtk/file.h"
#include "imaging/codecs/tests/MemoryFile.h"
#include "platform/ui/Ui.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace
{
// One file for the whole run, rewritten for every input. It lives in memory
// only, so a run that ends any way at all (its time limit, a crash, a
// signal) leaves nothing in the temporary folder.
OmviTest::MemoryFile& ScratchFile()
{
    static OmviTest::MemoryFile file;
    return file;
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
    if (!ScratchFile().assign(data, size))
        return 0;
    WT_File file;
    file.set_stream_open_action(&Succeed);
    file.set_stream_close_action(&Succeed);
    file.set_stream_write_action(&Discard);
    file.set_file_mode(WT_File::File_Write);
    if (file.open() != WT_Result_Success)
        return 0;
    CSymbolDrawer drawer(ScratchFile().path());
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
