#include "host/memory/Document.h"

#include "host/memory/Application.h"
#include "host/memory/Geometry.h"
#include "host/memory/Sketch.h"
#include "host/memory/View.h"
#include "platform/gdi/Picture.h"
#include "platform/kernel/Path.h"
#include "platform/kernel/Text.h"

namespace host::memory
{

namespace
{
std::string utf8(const std::u16string& text)
{
    return platform::utf16ToUtf8(text);
}
// The quality of the pictures the host saves.
constexpr int kPictureQuality = 90;
} // namespace

std::int16_t Layer::visible()
{
    ask("Layer::visible");
    return shown;
}

host::Layer* LayerManager::layer(int id)
{
    ask("LayerManager::layer");
    const auto found = layers.find(id);
    return found == layers.end() ? nullptr : found->second;
}

host::LayerManager* LayerSource::layerManager()
{
    ask("LayerSource::layerManager");
    return manager;
}

host::Component* ComponentTree::rootComponent()
{
    ask("ComponentTree::rootComponent");
    return root;
}

std::vector<double> Sheet::properties()
{
    ask("Sheet::properties");
    return sheetProperties;
}

std::u16string Sheet::name()
{
    ask("Sheet::name");
    return sheetName;
}

host::Sketch* Sheet::formatSketch()
{
    ask("Sheet::formatSketch");
    return format;
}

int Drawing::sheetCount()
{
    ask("Drawing::sheetCount");
    return reportedSheetCount ? *reportedSheetCount : static_cast<int>(sheets.size());
}

std::vector<std::u16string> Drawing::sheetNames()
{
    ask("Drawing::sheetNames");
    std::vector<std::u16string> names;
    for (const Sheet* sheet : sheets)
        names.push_back(sheet->sheetName);
    return names;
}

bool Drawing::activateSheet(const std::u16string& name)
{
    ask("Drawing::activateSheet");
    log("activateSheet(" + utf8(name) + ")");
    for (std::size_t i = 0; i < sheets.size(); ++i)
    {
        if (sheets[i]->sheetName == name)
        {
            current = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

host::Sheet* Drawing::currentSheet()
{
    ask("Drawing::currentSheet");
    if (current < 0 || static_cast<std::size_t>(current) >= sheets.size())
        return nullptr;
    return sheets[static_cast<std::size_t>(current)];
}

host::View* Drawing::firstView()
{
    ask("Drawing::firstView");
    if (current < 0 || static_cast<std::size_t>(current) >= sheets.size())
        return nullptr;
    const auto& views = sheets[static_cast<std::size_t>(current)]->views;
    return views.empty() ? nullptr : views.front();
}

int Document::type()
{
    ask("Document::type");
    return documentType;
}

std::u16string Document::title()
{
    ask("Document::title");
    return documentTitle;
}

std::u16string Document::pathName()
{
    ask("Document::pathName");
    return path;
}

host::Document* Document::next()
{
    ask("Document::next");
    return application_->documentAfter(this);
}

int Document::imageQuality()
{
    ask("Document::imageQuality");
    return quality;
}

void Document::setImageQuality(int value)
{
    ask("Document::setImageQuality");
    log("setImageQuality(" + std::to_string(value) + ")");
    quality = value;
}

void Document::refresh()
{
    ask("Document::refresh");
    log("refresh()");
}

bool Document::savePicture(const std::u16string& fileName, int& status)
{
    ask("Document::savePicture");
    log("savePicture(" + utf8(fileName) + ")");
    platform::RgbPicture pixels;
    std::string error;
    lastPictureFailure.clear();
    if (picture.empty())
        error = "the document has no picture";
    else if (platform::loadPicture(picture, pixels, error) &&
             platform::saveJpeg(fileName, pixels, kPictureQuality, error))
    {
        status = 1;
        return true;
    }
    // The reason names the picture in the bytes it was given.
    lastPictureFailure = platform::path::fromNative(error);
    status = 0;
    return false;
}

std::u16string Document::pictureFailure()
{
    // Not an automation call of the host: nothing is asked or logged.
    return lastPictureFailure;
}

std::u16string Document::summaryInfo(int index)
{
    ask("Document::summaryInfo");
    if (index < 0 || static_cast<std::size_t>(index) >= summary.size())
        return {};
    return summary[static_cast<std::size_t>(index)];
}

int Document::menuProbe()
{
    ask("Document::menuProbe");
    return probe;
}

host::ComponentTree* Document::componentTree()
{
    ask("Document::componentTree");
    return tree;
}

host::Drawing* Document::asDrawing()
{
    ask("Document::asDrawing");
    return drawing;
}

host::LayerManager* Document::layerManager()
{
    ask("Document::layerManager");
    return layers;
}

std::uint32_t Document::adviseDocumentEvents(int type, DocumentEvents* sink)
{
    ask("Document::adviseDocumentEvents");
    if (!sink || type != documentType)
        return 0;
    const std::uint32_t cookie = nextCookie_++;
    sinks_[cookie] = {type, sink};
    log("adviseDocumentEvents(" + std::to_string(type) + ")=" + std::to_string(cookie));
    return cookie;
}

bool Document::unadviseDocumentEvents(std::uint32_t cookie)
{
    ask("Document::unadviseDocumentEvents");
    log("unadviseDocumentEvents(" + std::to_string(cookie) + ")");
    return sinks_.erase(cookie) > 0;
}

void Document::prepare(int argument)
{
    ask("Document::prepare");
    log("prepare(" + std::to_string(argument) + ")");
}

std::int16_t Document::shellStatus()
{
    ask("Document::shellStatus");
    return shellStatusFlag;
}

std::vector<double> Document::boundingBox(int)
{
    ask("Document::boundingBox");
    return box;
}

std::vector<host::Body*> Document::bodies(int, int)
{
    ask("Document::bodies");
    return documentBodies;
}

std::vector<double> Document::materialValues()
{
    ask("Document::materialValues");
    return material;
}

std::u16string Document::materialName()
{
    ask("Document::materialName");
    return materialNameText;
}

std::u16string Document::materialId()
{
    ask("Document::materialId");
    return materialIdText;
}

int Document::configurationCount()
{
    ask("Document::configurationCount");
    return static_cast<int>(configurations.size());
}

std::vector<std::u16string> Document::configurationNames()
{
    ask("Document::configurationNames");
    return configurations;
}

host::Configuration* Document::currentConfiguration()
{
    ask("Document::currentConfiguration");
    return configuration;
}

host::ModelExtension* Document::extension()
{
    ask("Document::extension");
    return modelExtension;
}

host::Feature* Document::firstFeature()
{
    ask("Document::firstFeature");
    return features;
}

} // namespace host::memory
