#include "addin/publishers/ModelPublisherStandIn.h"

#include "addin/Resources.h"
#include "platform/ui/Ui.h"

namespace
{
void ReportNotBuilt(const char16_t* what)
{
    platform::Ui& ui = platform::ui();
    ui.messageBox(std::u16string(u"Publishing ") + what +
                      u" is not built yet; nothing was written.",
                  ui.string(res::IDS_MESSAGE_CAPTION).value_or(std::u16string()),
                  platform::MB_ICONEXCLAMATION, false);
}
} // namespace

int CPartDocumentPublisher::PublishDoc()
{
    ReportNotBuilt(u"parts");
    return 0;
}

int CAssemblyDocumentPublisher::PublishDoc()
{
    ReportNotBuilt(u"assemblies");
    return 0;
}
