#include "addin/PublishRun.h"

#include "addin/DWFPublisherImp.h"
#include "addin/Identifiers.h"
#include "addin/Module.h"
#include "addin/PublishLog.h"
#include "addin/Resources.h"
#include "platform/kernel/HostSettings.h"
#include "platform/kernel/Registry.h"
#include "platform/shell/Shell.h"
#include "platform/ui/Ui.h"

namespace
{
constexpr int kCookie = 1;

// The user's answers to the dialogs of the command.
void AnswerDialogs(const PublishRequest& request)
{
    platform::Ui& ui = platform::ui();
    platform::DialogAnswer save;
    save.result = platform::IDOK;
    save.fileName = request.target;
    save.pressed = {res::IDC_OPTIONS};
    ui.setStandingAnswer(res::IDD_PREVIEW_FILE, save);

    platform::DialogAnswer drawing;
    drawing.result = platform::IDOK;
    drawing.controls[res::IDC_SHEETS] = request.activeSheetOnly ? 0 : 1;
    ui.setStandingAnswer(res::IDD_DRAWING_OPTION, drawing);

    platform::DialogAnswer model;
    model.result = platform::IDOK;
    model.controls[res::IDC_RESOLUTION] = request.resolution;
    model.controls[res::IDC_USE_PASSWORD] = request.password ? 1 : 0;
    if (request.password)
        model.controls[res::IDC_PASSWORD] = *request.password;
    model.controls[res::IDC_OPEN_AFTER_PUBLISH] = request.openAfterPublish ? 1 : 0;
    ui.setStandingAnswer(res::IDD_PUBLISH_OPTION, model);

    platform::DialogAnswer replace;
    replace.result = request.replaceExisting ? platform::IDOK : platform::IDCANCEL;
    ui.setStandingAnswer(res::IDD_REPLACE_PROMPT, replace);
}

// The user declined to replace the target, or the dialog refused it.
bool TargetRefused(std::size_t dialogsBefore)
{
    const auto& dialogs = platform::ui().dialogs();
    for (std::size_t i = dialogsBefore; i < dialogs.size(); ++i)
    {
        if (dialogs[i].templateId == res::IDD_REPLACE_PROMPT && dialogs[i].result != platform::IDOK)
            return true;
    }
    return false;
}
} // namespace

PublishOutcome RunPublishCommand(host::memory::Application& application,
                                 const PublishRequest& request)
{
    platform::Ui& ui = platform::ui();
    publish_log::Reset();
    const std::size_t boxesBefore = ui.messageBoxes().size();
    const std::size_t dialogsBefore = ui.dialogs().size();
    AnswerDialogs(request);
    platform::seedToolboxIniFile(platform::processRegistry(), request.toolboxIni,
                                 application.toolboxIniFile);
    platform::shell().setLaunch(request.openAfterPublish);

    PublishOutcome outcome;
    platform::HRESULT result = platform::E_FAIL;
    long available = 0;

    // The host loads the module, makes the add-in object through its class
    // factory and connects it.
    App().InitInstance();
    platform::ClassFactory* factory = nullptr;
    if (platform::succeeded(DllGetClassObject(ids::CLSID_DWFPublisherImp,
                                              platform::IID_IClassFactory,
                                              reinterpret_cast<void**>(&factory))))
    {
        const auto factoryRef = platform::ComPtr<platform::ClassFactory>::adopt(factory);
        CDWFPublisherImp* addin = nullptr;
        if (platform::succeeded(
                factory->createInstance(ids::IID_HostAddin, reinterpret_cast<void**>(&addin))))
        {
            const auto addinRef = platform::ComPtr<CDWFPublisherImp>::adopt(addin);
            platform::VARIANT_BOOL connected = platform::VARIANT_FALSE;
            if (platform::succeeded(addin->Connect(&application, kCookie, &connected)) &&
                connected == platform::VARIANT_TRUE)
            {
                outcome.connected = true;
                result = addin->Invoke(u"DWFPublishEnable", &available);
                if (platform::succeeded(result) && available != 0)
                    result = addin->Invoke(u"DWFPublish");
            }
            platform::VARIANT_BOOL disconnected = platform::VARIANT_FALSE;
            addin->Disconnect(&disconnected);
        }
    }
    App().ExitInstance();

    const auto& boxes = ui.messageBoxes();
    for (std::size_t i = boxesBefore; i < boxes.size(); ++i)
    {
        outcome.messages.push_back(boxes[i].text);
        outcome.causes.push_back(boxes[i].cause);
    }
    outcome.notes = publish_log::Notes();
    // One document is published per run: any package written is its target
    // (with the extension the command settled).
    outcome.written = !publish_log::WrittenPackages().empty();
    outcome.replaced = !publish_log::ReplacingPackages().empty();
    outcome.flushed = publish_log::UnflushedPackages().empty();
    outcome.checked = publish_log::UncheckedPackages().empty();

    // A written package counts whatever else happened: the target is no
    // longer what it was, and the caller must be able to tell.
    if (outcome.written)
        outcome.status = outcome.messages.empty() ? PublishOutcome::Status::Published
                                                  : PublishOutcome::Status::PublishedWithErrors;
    else if (outcome.connected && platform::succeeded(result) && available == 0)
        outcome.status = PublishOutcome::Status::NotAvailable;
    else if (outcome.connected && outcome.messages.empty() && TargetRefused(dialogsBefore))
        outcome.status = PublishOutcome::Status::Cancelled;
    else
        outcome.status = PublishOutcome::Status::Failed;
    return outcome;
}
