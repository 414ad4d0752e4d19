#include "addin/ModulePaths.h"

#include "platform/kernel/Files.h"
#include "platform/kernel/Path.h"

std::u16string ModuleFolder()
{
    return platform::path::cutLastComponent(platform::moduleFileName());
}

std::u16string HelpFilePath()
{
    return platform::path::join(ModuleFolder(), u"Help/Vellmark for SW Help.chm");
}

std::u16string MenuIconPath()
{
    return platform::path::join(ModuleFolder(), u"resource/icon_DWF_16x16.bmp");
}
