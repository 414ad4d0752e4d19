#include "imaging/codecs/strings/CodecStringTable.h"

namespace Omvi
{

std::vector<CodecStringBlock> codecStringBlocks()
{
    return {bmpStringBlock(),  calsStringBlock(), flicStringBlock(),  gifStringBlock(),
            ig4StringBlock(),  jfifStringBlock(), pcxStringBlock(),   pictStringBlock(),
            pngStringBlock(),  rlcStringBlock(),  targaStringBlock(), tiffStringBlock(),
            correlationStringBlock()};
}

} // namespace Omvi
