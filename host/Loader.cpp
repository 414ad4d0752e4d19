#include "host/Loader.h"

#include "dwfcore/RegularFile.h"
#include "host/RecordLayout.h"
#include "host/TextureConfigurationCheck.h"
#include "host/XmlFeed.h"
#include "host/memory/Annotation.h"
#include "host/memory/Document.h"
#include "host/memory/Geometry.h"
#include "host/memory/Sketch.h"
#include "host/memory/View.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Path.h"
#include "platform/kernel/Text.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <set>

#include <expat.h>
#include <sys/stat.h>

namespace host
{

namespace
{

using namespace host::memory;

// What the parser was handed for the last document this thread read.
thread_local XmlFeedWork lastWork;

// In an assembly, bodies belong to part components: the publisher writes
// the bodies of a component without child components only, so a body of an
// assembly's document, of its root or of a subassembly would be dropped
// without a word. A part's document holds its bodies.
constexpr const char* kRootBody =
    "<body> in the root <component>: the root is the assembly itself and holds no bodies; "
    "put them in a part component (one without child components)";
constexpr const char* kAssemblyBody =
    "<body> in an assembly's <document>: an assembly holds no bodies of its own; "
    "put them in a part component (one without child components)";
constexpr const char* kSubassemblyBody =
    "<body> in a <component> with child components: a subassembly holds no bodies of its own; "
    "put them in a part component (one without child components)";
// Nor does the publisher draw the root with a texture of its own: only the
// components below it are.
constexpr const char* kRootTexture =
    "<texture> in the root <component>: the root is the assembly itself and is drawn with no "
    "texture of its own; give the texture to the components below it";

enum class Kind
{
    Top,
    HostDocument,
    ApplicationEl,
    Preference,
    MenuName,
    DocumentEl,
    Summary,
    DocumentLayer,
    BlockLayer,
    BlockDefinitionEl,
    DrawingEl,
    SheetEl,
    SketchEl,
    SketchList,
    Hatch,
    FaceEl,
    LoopEl,
    EdgeEl,
    CurveEl,
    ViewEl,
    Splines,
    Polylines,
    ModelEdges,
    Dimensions,
    DimensionData,
    DimensionText,
    DetailCircles,
    CircleData,
    CircleLabel,
    BreakLines,
    DetailOutlineEl,
    BomTableEl,
    DisplayDataEl,
    DisplayList,
    DisplayTextEl,
    BlockLayers,
    AnnotationEl,
    WeldItemEl,
    Triangle,
    LeaderEl,
    CentreMarkEl,
    BlockInstanceEl,
    QuadrantItemEl,
    Components,
    ComponentEl,
    BoundingBox,
    MaterialEl,
    ConfigurationEl,
    MassProperties,
    TextureEl,
    BodyEl,
    ModelFace,
    FaceArray,
    ModelEdge,
    FeatureEl,
    ThreadEl,
};

// One open element and what it builds.
struct Frame
{
    Kind kind = Kind::Top;
    std::string name;
    int line = 0;
    std::string text;
    bool takesText = false;
    // What the element's attributes said that its end needs.
    long long count = -1;
    int kindArgument = 0;
    // A feature's (3D) sketch, or one of its lists: its arcs may carry an axis.
    bool threeDSketch = false;
    // A component: whether it is the root of its tree, and the line of its
    // first <body> (0: none yet).
    bool rootComponent = false;
    int bodyLine = 0;

    memory::Document* document = nullptr;
    memory::Drawing* drawing = nullptr;
    memory::Sheet* sheet = nullptr;
    memory::View* view = nullptr;
    memory::Sketch* sketch = nullptr;
    memory::SketchHatch* hatch = nullptr;
    memory::Face* face = nullptr;
    memory::Loop* loop = nullptr;
    memory::Edge* edge = nullptr;
    memory::Curve* curve = nullptr;
    memory::DisplayData* display = nullptr;
    memory::Annotation* annotation = nullptr;
    memory::WeldItem* weld = nullptr;
    memory::MultiJogLeader* leader = nullptr;
    memory::CentreMark* centreMark = nullptr;
    memory::BlockInstance* block = nullptr;
    memory::QuadrantItem* quadrant = nullptr;
    memory::BomTable* table = nullptr;
    memory::BlockDefinition* definition = nullptr;
    memory::LayerManager* layers = nullptr;
    memory::Component* component = nullptr;
    memory::Body* body = nullptr;
    memory::Feature* feature = nullptr;
    memory::ThreadData* thread = nullptr;
    memory::TextureTable* textures = nullptr;
    std::vector<double>* material = nullptr;
    // A face array's numbers go straight here as its text arrives.
    std::vector<float>* floats = nullptr;

    // Tails of the first/next lists this element collects.
    memory::View* lastView = nullptr;
    memory::Annotation* lastAnnotation = nullptr;
    memory::WeldItem* lastWeld[2] = {nullptr, nullptr};
    memory::MultiJogLeader* lastLeader = nullptr;
    memory::CentreMark* lastCentreMark = nullptr;
    memory::BlockInstance* lastBlock = nullptr;
    memory::QuadrantItem* lastQuadrant = nullptr;
    memory::Loop* lastLoop = nullptr;
    memory::Face* lastFace = nullptr;
    memory::Feature* lastFeature = nullptr;
    std::string currentSheetName;
    // Children that may appear once, by name (and kind for sketch lines).
    std::set<std::string> singleChildren;
    bool hasCurrentSheet = false;
    bool seenData = false;
};

// Whether a text begins as a whole number written in hexadecimal: "0x" or
// "0X" (handy for colours, laid out 0x00BBGGRR).
bool looksHexadecimal(std::string_view text)
{
    return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

// A whole number written in hexadecimal: "0x" or "0X" and one to eight
// digits. Nothing for any other text.
std::optional<long long> parseHexadecimal(std::string_view text)
{
    if (!looksHexadecimal(text) || text.size() < 3 || text.size() > 10)
        return std::nullopt;
    long long value = 0;
    for (const char c : text.substr(2))
    {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

// A number as a host document writes it, in an attribute or an array alike:
// decimal in the C locale, or a whole number in hexadecimal.
std::optional<double> parseHostNumber(std::string_view text)
{
    if (const auto hexadecimal = parseHexadecimal(text))
        return static_cast<double>(*hexadecimal);
    return platform::parseDouble(text);
}

// A refusal of a text that begins as a hexadecimal number says what one
// takes: "0x1FFFFFFFF" is no finite number's fault.
std::string hexadecimalForm(std::string_view text)
{
    return looksHexadecimal(text)
               ? "; a hexadecimal number is 0x or 0X and one to eight hexadecimal digits"
               : "";
}

class Attributes
{
public:
    Attributes(const XML_Char** raw, int line) : line_(line)
    {
        for (int i = 0; raw[i]; i += 2)
            values_[raw[i]] = raw[i + 1];
    }

    std::optional<std::string> take(const std::string& name)
    {
        const auto found = values_.find(name);
        if (found == values_.end())
            return std::nullopt;
        std::string value = std::move(found->second);
        values_.erase(found);
        return value;
    }
    std::string required(const std::string& name)
    {
        auto value = take(name);
        if (!value)
            throw LoadError(line_, "missing attribute '" + name + "'");
        return *value;
    }
    long long integer(const std::string& name, long long fallback, bool mandatory = false)
    {
        auto value = mandatory ? std::optional<std::string>(required(name)) : take(name);
        if (!value)
            return fallback;
        return parseInteger(name, *value);
    }
    double number(const std::string& name, double fallback)
    {
        auto value = take(name);
        if (!value)
            return fallback;
        const auto parsed = parseHostNumber(*value);
        if (!parsed || !std::isfinite(*parsed))
            throw LoadError(line_, "attribute '" + name + "' is not a number: '" + *value + "'" +
                                       hexadecimalForm(*value));
        return *parsed;
    }
    std::vector<double> numbers(const std::string& name, std::size_t expected, bool mandatory);
    long long parseInteger(const std::string& name, const std::string& text) const
    {
        std::optional<long long> parsed = parseHexadecimal(text);
        if (!parsed)
            parsed = platform::parseInteger(text);
        if (!parsed || *parsed < -2147483648LL || *parsed > 4294967295LL)
            throw LoadError(line_, "attribute '" + name + "' is not a whole number: '" + text +
                                       "'" + hexadecimalForm(text));
        return *parsed;
    }
    // Every attribute must have been used: a misspelt one is an error
    // rather than silently ignored.
    void finish(const std::string& element) const
    {
        if (!values_.empty())
            throw LoadError(line_, "unknown attribute '" + values_.begin()->first + "' on <" +
                                       element + ">");
    }

private:
    std::map<std::string, std::string> values_;
    int line_;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// One number of a text: a finite one, or a refusal naming what holds it
// (`what()`, asked only then: face arrays come here once per number, so a
// plain decimal, nearly every number there is, is read at once, and only
// the rest takes the general path).
template <class What> double parseNumber(std::string_view token, int line, const What& what)
{
    double decimal = 0;
    const char* const end = token.data() + token.size();
    const auto [stop, error] = std::from_chars(token.data(), end, decimal);
    if (error == std::errc() && stop == end && std::isfinite(decimal))
        return decimal;
    const auto value = parseHostNumber(token);
    if (!value || !std::isfinite(*value))
        throw LoadError(line, what() + " holds '" + std::string(token) + "', which is not " +
                                  (looksHexadecimal(token) ? "a number" : "a finite number") +
                                  hexadecimalForm(token));
    return *value;
}

// The numbers a model stream carries as floats must round to finite ones:
// everything below the point halfway between the largest float and the next
// power of two (where rounding goes to infinity) does, the largest float
// itself included.
constexpr double kSingleOverflow = 0x1.ffffffp127;

bool fitsSingle(double value)
{
    return std::fabs(value) < kSingleOverflow;
}

[[noreturn]] void refuseForSingle(double value, int line, const std::string& what)
{
    throw LoadError(line, what + " holds " + platform::formatDouble(value) +
                              ", a number too large for single precision");
}

// Each of `count` numbers from `values` on fits single precision.
void requireSingle(const double* values, std::size_t count, int line, const std::string& what)
{
    for (std::size_t i = 0; i < count; ++i)
        if (!fitsSingle(values[i]))
            refuseForSingle(values[i], line, what);
}

void requireSingle(const std::vector<double>& values, int line, const std::string& what)
{
    requireSingle(values.data(), values.size(), line, what);
}

std::vector<double> parseNumbers(const std::string& text, int line, const std::string& what)
{
    std::vector<double> numbers;
    std::size_t i = 0;
    while (i < text.size())
    {
        while (i < text.size() && isBlank(text[i]))
            ++i;
        if (i >= text.size())
            break;
        std::size_t end = i;
        while (end < text.size() && !isBlank(text[end]))
            ++end;
        numbers.push_back(
            parseNumber(std::string_view(text).substr(i, end - i), line, [&] { return what; }));
        i = end;
    }
    return numbers;
}

std::vector<double> Attributes::numbers(const std::string& name, std::size_t expected,
                                        bool mandatory)
{
    auto value = mandatory ? std::optional<std::string>(required(name)) : take(name);
    if (!value)
        return {};
    auto parsed = parseNumbers(*value, line_, "attribute '" + name + "'");
    if (parsed.size() != expected)
        throw LoadError(line_, "attribute '" + name + "' needs " + std::to_string(expected) +
                                   " numbers, found " + std::to_string(parsed.size()));
    return parsed;
}

// The host's B-spline block from the attribute's numbers: its four leading
// integers are packed into two doubles as the host keeps them.
std::vector<double> bsplineBlock(const std::string& text, int line)
{
    const std::vector<double> numbers = parseNumbers(text, line, "attribute 'bspline'");
    if (numbers.size() < 4)
        throw LoadError(line, "attribute 'bspline' needs four integers before its knots");
    std::int32_t header[4];
    for (std::size_t i = 0; i < 4; ++i)
    {
        const double value = numbers[i];
        if (value != std::floor(value) || value < -2147483648.0 || value > 2147483647.0)
            throw LoadError(line, "attribute 'bspline' value " + std::to_string(i + 1) +
                                      " is not a 32-bit whole number");
        header[i] = static_cast<std::int32_t>(value);
    }
    const auto packed = packBsplineHeader({header[0], header[1], header[2], header[3]});
    std::vector<double> block{packed[0], packed[1]};
    block.insert(block.end(), numbers.begin() + 4, numbers.end());
    const auto walk = layout::bsplineBlock(block);
    if (!walk.ok())
        throw LoadError(line, "attribute 'bspline': " + walk.error);
    return block;
}

std::u16string wide(const std::string& text)
{
    return platform::utf8ToUtf16(text);
}

// Labels name host objects in the call log, and labels of related objects
// and every log entry are made from them: a name is cut there, so that a
// long title or name is not copied into each of them.
std::string labelOf(const std::string& kind, std::u16string_view name)
{
    constexpr std::size_t kLongestName = 64;
    if (name.size() <= kLongestName)
        return kind + "[" + platform::utf16ToUtf8(name) + "]";
    std::size_t cut = kLongestName;
    // Not between the two halves of a surrogate pair.
    if (name[cut - 1] >= 0xD800 && name[cut - 1] <= 0xDBFF)
        --cut;
    return kind + "[" + platform::utf16ToUtf8(name.substr(0, cut)) + "...]";
}

bool isBlank(const std::string& text)
{
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

// How many numbers a face's array holds per triangle.
std::size_t faceArrayStride(const std::string& name)
{
    return name == "texture-coordinates" ? 6 : 9;
}

// What a face of `triangles` triangles needs of its array `name`.
std::string faceArrayNeed(const std::string& name, std::size_t triangles)
{
    if (name == "triangles")
        return "a face of " + std::to_string(triangles) + " triangles needs <triangles> of " +
               std::to_string(9 * triangles) + " numbers";
    return "<" + name + "> needs " + std::to_string(faceArrayStride(name)) +
           " numbers per triangle";
}

// A limit in bytes as a reader would say it.
std::string describeBytes(std::size_t bytes)
{
    constexpr std::size_t kMiB = 1024 * 1024;
    constexpr std::size_t kGiB = 1024 * kMiB;
    if (bytes != 0 && bytes % kGiB == 0)
        return std::to_string(bytes / kGiB) + " GiB";
    if (bytes % kMiB == 0)
        return std::to_string(bytes / kMiB) + " MiB";
    return std::to_string(bytes) + " bytes";
}

// Host objects chain their siblings through a `next` member; the loader
// keeps each list's tail so appending stays constant-time.
template <class Head, class Node>
void append(Head*& head, Node*& tail, Node* Node::*next, Node* node)
{
    if (tail)
        tail->*next = node;
    else
        head = node;
    tail = node;
}

class Loader
{
public:
    // `documentBytes` is the document's size, or a bound of it: no element's
    // text can be longer.
    Loader(std::u16string baseFolder, std::size_t documentBytes, std::size_t maxObjectBytes)
        : base_(std::move(baseFolder)), documentBytes_(documentBytes),
          maxObjectBytes_(maxObjectBytes)
    {
        application_ = std::make_unique<memory::Application>();
    }

    // Parses the document as `fill` hands it over, piece by piece (see
    // XmlFeed), so that neither we nor the parser ever need the whole text
    // at once; `usualPiece` is the size of a piece while no token is open.
    template <class Fill>
    std::unique_ptr<memory::Application> parse(Fill&& fill, std::size_t usualPiece)
    {
        std::unique_ptr<XML_ParserStruct, void (*)(XML_Parser)> owner(XML_ParserCreate(nullptr),
                                                                      &XML_ParserFree);
        XML_Parser parser = owner.get();
        if (!parser)
            throw LoadError(0, "cannot create the XML parser");
        parser_ = parser;
        XML_SetUserData(parser, this);
        XML_SetElementHandler(parser, &Loader::onStart, &Loader::onEnd);
        XML_SetCharacterDataHandler(parser, &Loader::onText);
        XML_SetStartDoctypeDeclHandler(parser, &Loader::onDoctype);
        XML_SetEntityDeclHandler(parser, &Loader::onEntity);
        XmlFeed feed(parser, usualPiece, documentBytes_);
        bool parsed = true;
        do
            parsed = feed.feed(fill);
        while (parsed && !feed.ended());
        lastWork = feed.work();
        const int line = static_cast<int>(XML_GetCurrentLineNumber(parser));
        const XML_LChar* reason = XML_ErrorString(XML_GetErrorCode(parser));
        const std::string message = reason ? reason : "unknown error";
        owner.reset();
        parser_ = nullptr;
        if (failure_)
            throw *failure_;
        if (!parsed)
            throw LoadError(line, "malformed XML: " + message);
        if (!sawRoot_)
            throw LoadError(line, "no <host-document> element");
        if (application_->documents().empty())
            throw LoadError(rootLine_, "the host document holds no <document>");
        // Of documents that share a title, the last one is the model.
        std::map<std::u16string, memory::Document*> byTitle;
        for (auto* document : application_->documents())
            byTitle[document->documentTitle] = document;
        for (const auto& pending : pendingDocuments_)
        {
            const auto model = byTitle.find(wide(pending.title));
            if (model == byTitle.end())
                throw LoadError(pending.line, "no document is titled '" + pending.title + "'");
            pending.component->model = model->second;
        }
        textureCheck_.check(active_ ? active_ : application_->documents().front());
        return std::move(application_);
    }

private:
    static void XMLCALL onStart(void* self, const XML_Char* name, const XML_Char** attributes)
    {
        static_cast<Loader*>(self)->guard([&](Loader& loader) { loader.start(name, attributes); });
    }
    static void XMLCALL onEnd(void* self, const XML_Char*)
    {
        static_cast<Loader*>(self)->guard([&](Loader& loader) { loader.end(); });
    }
    static void XMLCALL onText(void* self, const XML_Char* text, int length)
    {
        static_cast<Loader*>(self)->guard([&](Loader& loader) { loader.characters(text, length); });
    }
    static void XMLCALL onDoctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*,
                                  int)
    {
        static_cast<Loader*>(self)->guard(
            [&](Loader& loader)
            { throw LoadError(loader.line(), "document type declarations are not accepted"); });
    }
    static void XMLCALL onEntity(void* self, const XML_Char*, int, const XML_Char*, int,
                                 const XML_Char*, const XML_Char*, const XML_Char*, const XML_Char*)
    {
        static_cast<Loader*>(self)->guard(
            [&](Loader& loader)
            { throw LoadError(loader.line(), "entity declarations are not accepted"); });
    }

    // Exceptions must not cross the parser's C frames: the first one is
    // kept and the parser stopped.
    template <class F> void guard(F&& body)
    {
        if (failure_)
            return;
        try
        {
            body(*this);
        }
        catch (const LoadError& error)
        {
            failure_ = error;
            XML_StopParser(parser_, XML_FALSE);
        }
        catch (const std::exception& error)
        {
            failure_ = LoadError(line(), error.what());
            XML_StopParser(parser_, XML_FALSE);
        }
    }

    int line() const { return parser_ ? static_cast<int>(XML_GetCurrentLineNumber(parser_)) : 0; }

    template <class T> T* make(const std::string& label)
    {
        charge(record<T>());
        T* object = application_->make<T>();
        object->label = label;
        return object;
    }

    // What an object or record of type T counts.
    template <class T> static constexpr std::size_t record()
    {
        return sizeof(T) + kObjectExtraBytes;
    }

    // Counts what the host keeps, or publishing will take, for an element
    // against the memory a document's objects may need.
    void charge(std::size_t bytes)
    {
        objectBytes_ += bytes;
        if (objectBytes_ > maxObjectBytes_)
            throw LoadError(line(), "the document's objects need more than " +
                                        describeBytes(maxObjectBytes_) + " of memory");
    }

    void characters(const XML_Char* text, int length)
    {
        Frame& frame = frames_.back();
        if (frame.kind == Kind::FaceArray)
        {
            takeFaceNumbers(frame, text, static_cast<std::size_t>(length));
        }
        else if (frame.takesText)
        {
            if (frame.text.size() + static_cast<std::size_t>(length) > documentBytes_)
                throw LoadError(frame.line, "element text too long");
            frame.text.append(text, static_cast<std::size_t>(length));
        }
        else if (!isBlank(std::string(text, static_cast<std::size_t>(length))))
        {
            throw LoadError(line(), "<" + frame.name + "> takes no text");
        }
    }

    // A face's arrays are most of a large part: their text becomes floats
    // as it arrives, a number that straddles two pieces waiting in
    // frame.text, so that no array is ever held as text or as doubles.
    void takeFaceNumbers(Frame& frame, const char* text, std::size_t length)
    {
        const int faceLine = frames_[frames_.size() - 2].line;
        std::size_t at = 0;
        while (at < length)
        {
            if (isBlank(text[at]))
            {
                takeWaitingFaceNumber(frame, faceLine);
                ++at;
                continue;
            }
            std::size_t end = at;
            while (end < length && !isBlank(text[end]))
                ++end;
            if (end < length && frame.text.empty())
            {
                takeFaceNumber(frame, std::string_view(text + at, end - at), faceLine);
            }
            else
            {
                if (frame.text.size() + (end - at) > documentBytes_)
                    throw LoadError(frame.line, "element text too long");
                frame.text.append(text + at, end - at);
            }
            at = end;
        }
    }

    void takeWaitingFaceNumber(Frame& frame, int faceLine)
    {
        if (frame.text.empty())
            return;
        takeFaceNumber(frame, frame.text, faceLine);
        frame.text.clear();
    }

    // A refusal of the array's length names the face's line.
    void takeFaceNumber(Frame& frame, std::string_view token, int faceLine)
    {
        const double value = parseNumber(token, frame.line, [&] { return "<" + frame.name + ">"; });
        if (!fitsSingle(value))
            refuseForSingle(value, frame.line, "<" + frame.name + ">");
        // More numbers than the face's count allows are refused as they come,
        // not after an array grown without bound.
        std::vector<float>& floats = *frame.floats;
        const auto expected = static_cast<std::size_t>(frame.count);
        if (floats.size() == expected)
            throw LoadError(faceLine, faceArrayNeed(frame.name, static_cast<std::size_t>(
                                                                    frame.face->triangleTotal)));
        // Grown with the numbers that came, not sized from the count a face
        // claims, and never past that count: a full array holds no spare room.
        if (floats.size() == floats.capacity())
            floats.reserve(std::min(expected, std::max<std::size_t>(1024, 2 * floats.size())));
        floats.push_back(static_cast<float>(value));
    }

    [[noreturn]] void unexpected(const std::string& name, const Frame& parent) const
    {
        if (parent.kind == Kind::Top)
            throw LoadError(line(), "the root element must be <host-document>, not <" + name + ">");
        throw LoadError(line(), "unknown element <" + name + "> inside <" + parent.name + ">");
    }

    void start(const std::string& name, const XML_Char** raw)
    {
        if (frames_.empty())
            frames_.push_back(Frame{});
        if (frames_.size() > 64)
            throw LoadError(line(), "elements nested too deeply");
        Attributes attributes(raw, line());
        Frame child;
        child.name = name;
        child.line = line();
        const std::size_t parentIndex = frames_.size() - 1;
        open(frames_[parentIndex], child, attributes);
        attributes.finish(name);
        frames_.push_back(std::move(child));
    }

    void open(Frame& parent, Frame& child, Attributes& a);
    void openSketchContent(Frame& parent, Frame& child, Attributes& a);
    void openViewContent(Frame& parent, Frame& child, Attributes& a);
    void openDisplayContent(Frame& parent, Frame& child, Attributes& a);
    memory::Annotation* openAnnotation(Frame& child, Attributes& a);
    void openLoop(Frame& parent, Frame& child);
    void openLayer(memory::LayerManager& manager, Frame& child, Attributes& a);
    bool openModelContent(Frame& parent, Frame& child, Attributes& a);
    memory::Edge* openModelEdge(Frame& child, Attributes& a);
    TextureConfigurationCheck::Place texturePlace(const Frame& parent) const;
    memory::Component* enclosingComponent() const;
    void resolveDocument(const Frame& frame);
    void end();
    void closeArray(Frame& frame, Frame& parent);

    std::u16string resolve(const std::u16string& relative) const
    {
        if (relative.empty() || platform::path::isSeparator(relative.front()))
            return platform::path::normalized(relative);
        return platform::path::join(base_, relative);
    }

    // The host names texture files in full, or below its own data folder
    // with the "<SystemTexture>" prefix; any other name in a host document
    // is taken from the document's folder, as pictures are.
    std::u16string resolveTexture(const std::u16string& name) const
    {
        static const std::u16string kSystemTexture = u"<SystemTexture>";
        const bool system = name.compare(0, kSystemTexture.size(), kSystemTexture) == 0;
        const bool drive = name.size() >= 3 &&
                           ((name[0] >= u'A' && name[0] <= u'Z') ||
                            (name[0] >= u'a' && name[0] <= u'z')) &&
                           name[1] == u':' && platform::path::isSeparator(name[2]);
        if (name.empty() || system || drive || platform::path::isSeparator(name.front()))
            return name;
        return platform::path::join(base_, name);
    }

    XML_Parser parser_ = nullptr;
    std::u16string base_;
    std::size_t documentBytes_;
    std::size_t maxObjectBytes_;
    std::size_t objectBytes_ = 0;
    std::unique_ptr<memory::Application> application_;
    std::vector<Frame> frames_;
    std::optional<LoadError> failure_;
    bool sawRoot_ = false;
    int rootLine_ = 0;
    bool sawApplication_ = false;
    memory::Document* active_ = nullptr;
    std::map<std::string, memory::BlockDefinition*> definitions_;
    // The names of the open drawing's sheets, which must differ.
    std::set<std::u16string> sheetNames_;
    // References resolved once their targets are known: faces name the
    // feature that made them (within their document), components name
    // their model document by title (anywhere in the file).
    std::map<std::string, memory::Feature*> features_;
    struct PendingFeature
    {
        memory::Face* face;
        std::string id;
        int line;
        // The component whose body holds the face; null in a document's body.
        memory::Component* component;
    };
    std::vector<PendingFeature> pendingFeatures_;
    struct PendingDocument
    {
        memory::Component* component;
        std::string title;
        int line;
    };
    std::vector<PendingDocument> pendingDocuments_;
    TextureConfigurationCheck textureCheck_;
};

void Loader::open(Frame& parent, Frame& child, Attributes& a)
{
    const std::string& name = child.name;
    switch (parent.kind)
    {
    case Kind::Top:
        if (name != "host-document" || sawRoot_)
            unexpected(name, parent);
        sawRoot_ = true;
        rootLine_ = child.line;
        if (a.integer("version", 1) != 1)
            throw LoadError(child.line, "unsupported host document version");
        child.kind = Kind::HostDocument;
        return;
    case Kind::HostDocument:
        if (name == "application")
        {
            if (sawApplication_ || !application_->documents().empty())
                throw LoadError(child.line, "<application> must come once, before the documents");
            sawApplication_ = true;
            if (const auto toolbox = a.take("toolbox-ini"))
                application_->toolboxIniFile = resolve(wide(*toolbox));
            child.kind = Kind::ApplicationEl;
            return;
        }
        if (name == "document")
        {
            charge(record<memory::Document>());
            auto* document = application_->make<memory::Document>(*application_);
            document->documentType = static_cast<int>(a.integer("type", 0, true));
            const auto path = a.take("path");
            const auto title = a.take("title");
            document->path = path ? wide(*path) : std::u16string();
            document->documentTitle =
                title ? wide(*title) : platform::path::lastComponent(document->path);
            document->label = labelOf("Document", document->documentTitle);
            document->quality = static_cast<int>(a.integer("image-quality", 0));
            if (const auto picture = a.take("picture"))
                document->picture = resolve(wide(*picture));
            document->probe = static_cast<int>(a.integer("menu-probe", 1));
            document->shellStatusFlag = static_cast<std::int16_t>(a.integer("shell-status", 0));
            if (a.integer("active", 0) != 0)
            {
                if (active_)
                    throw LoadError(child.line, "only one document can be active");
                active_ = document;
            }
            application_->addDocument(document);
            if (active_)
                application_->setActiveDocument(active_);
            child.kind = Kind::DocumentEl;
            child.document = document;
            return;
        }
        break;
    case Kind::ApplicationEl:
        if (name == "preference")
        {
            const int id = static_cast<int>(a.integer("id", 0, true));
            charge(record<std::pair<const int, int>>());
            application_->preferences[id] = static_cast<int>(a.integer("value", 0, true));
            child.kind = Kind::Preference;
            return;
        }
        if (name == "menu-name")
        {
            child.kind = Kind::MenuName;
            child.kindArgument = static_cast<int>(a.integer("index", 0, true));
            child.takesText = true;
            return;
        }
        break;
    case Kind::DocumentEl:
        if (openModelContent(parent, child, a))
            return;
        if (name == "summary")
        {
            const long long index = a.integer("index", 0, true);
            if (index < 0 || index > 7)
                throw LoadError(child.line, "summary index must be 0 to 7");
            child.kind = Kind::Summary;
            child.kindArgument = static_cast<int>(index);
            child.takesText = true;
            child.document = parent.document;
            return;
        }
        if (name == "layer")
        {
            if (!parent.document->layers)
                parent.document->layers =
                    make<memory::LayerManager>(parent.document->label + ".layers");
            openLayer(*parent.document->layers, child, a);
            child.kind = Kind::DocumentLayer;
            return;
        }
        if (name == "block-definition")
        {
            const std::string id = a.required("id");
            if (definitions_.count(id))
                throw LoadError(child.line, "block definition '" + id + "' is defined twice");
            auto* definition = make<memory::BlockDefinition>(labelOf("BlockDefinition", wide(id)));
            definitions_[id] = definition;
            child.kind = Kind::BlockDefinitionEl;
            child.definition = definition;
            return;
        }
        if (name == "drawing")
        {
            if (parent.document->drawing)
                throw LoadError(child.line, "a document has one <drawing>");
            auto* drawing = make<memory::Drawing>(parent.document->label + ".drawing");
            sheetNames_.clear();
            parent.document->drawing = drawing;
            if (const auto current = a.take("current-sheet"))
            {
                child.currentSheetName = *current;
                child.hasCurrentSheet = true;
            }
            child.kind = Kind::DrawingEl;
            child.drawing = drawing;
            return;
        }
        if (name == "components")
        {
            if (parent.document->tree)
                throw LoadError(child.line, "a document has one <components>");
            parent.document->tree =
                make<memory::ComponentTree>(parent.document->label + ".components");
            child.kind = Kind::Components;
            child.document = parent.document;
            return;
        }
        break;
    case Kind::BlockDefinitionEl:
        if (name == "sketch" && !parent.definition->definitionSketch)
        {
            child.kind = Kind::SketchEl;
            child.sketch = make<memory::Sketch>("Sketch[" + parent.definition->label + "]");
            parent.definition->definitionSketch = child.sketch;
            return;
        }
        break;
    case Kind::BodyEl:
    case Kind::ModelFace:
    case Kind::FeatureEl:
    case Kind::ThreadEl:
        if (openModelContent(parent, child, a))
            return;
        if (parent.kind == Kind::ModelFace && name == "loop")
        {
            openLoop(parent, child);
            return;
        }
        break;
    case Kind::Components:
    case Kind::ComponentEl:
        if (parent.kind == Kind::ComponentEl && openModelContent(parent, child, a))
            return;
        if (name == "component")
        {
            if (parent.kind == Kind::Components && parent.document->tree->root)
                throw LoadError(child.line, "<components> holds one root <component>");
            if (parent.kind == Kind::ComponentEl && parent.bodyLine != 0)
                throw LoadError(parent.bodyLine, kSubassemblyBody);
            charge(kComponentPublishBytes);
            auto* component = make<memory::Component>("Component");
            component->componentName = wide(a.take("name").value_or(""));
            component->label = labelOf("Component", component->componentName);
            component->componentState = static_cast<int>(a.integer("state", 2));
            component->setStateStatus = static_cast<int>(a.integer("set-state-status", 2));
            if (const auto model = a.take("document"))
                pendingDocuments_.push_back({component, *model, child.line});
            if (auto excluded = a.numbers("excluded", 2, false); !excluded.empty())
                component->exclusions = {excluded[0] != 0, excluded[1] != 0};
            if (auto box = a.numbers("box", 6, false); !box.empty())
                component->box = box;
            if (auto matrix = a.numbers("transform", 13, false); !matrix.empty())
            {
                requireSingle(matrix, child.line, "attribute 'transform'");
                component->placement = make<memory::Transform>("Transform");
                component->placement->values = matrix;
            }
            if (parent.kind == Kind::Components)
                parent.document->tree->root = component;
            else
                parent.component->childComponents.push_back(component);
            child.kind = Kind::ComponentEl;
            child.component = component;
            child.rootComponent = parent.kind == Kind::Components;
            return;
        }
        break;
    case Kind::DrawingEl:
        if (name == "sheet")
        {
            charge(kSheetPublishBytes);
            auto* sheet = make<memory::Sheet>("Sheet");
            sheet->sheetName = wide(a.required("name"));
            sheet->label = labelOf("Sheet", sheet->sheetName);
            sheet->sheetProperties = a.numbers("properties", 7, true);
            if (!sheetNames_.insert(sheet->sheetName).second)
                throw LoadError(child.line, "two sheets are named '" +
                                                platform::utf16ToUtf8(sheet->sheetName) + "'");
            parent.drawing->sheets.push_back(sheet);
            child.kind = Kind::SheetEl;
            child.sheet = sheet;
            return;
        }
        break;
    case Kind::SheetEl:
        if (name == "format-sketch")
        {
            if (parent.sheet->format)
                throw LoadError(child.line, "a sheet has one <format-sketch>");
            child.kind = Kind::SketchEl;
            child.sketch = make<memory::Sketch>("Sketch[format " + parent.sheet->label + "]");
            parent.sheet->format = child.sketch;
            return;
        }
        if (name == "view")
        {
            auto* view = make<memory::View>("View");
            view->viewName = wide(a.take("name").value_or(""));
            view->label = labelOf("View", view->viewName);
            view->viewType = static_cast<int>(a.integer("type", 0, true));
            view->state = static_cast<int>(a.integer("state", 0));
            if (auto placement = a.numbers("transform", 3, false); !placement.empty())
                view->placement = {placement[0], placement[1], placement[2]};
            view->rotation = a.number("rotation", 0.0);
            view->flag = static_cast<std::int16_t>(a.integer("flag-a", 0));
            view->mode = static_cast<int>(a.integer("display-mode", 2));
            if (parent.lastView)
                parent.lastView->nextView = view;
            parent.lastView = view;
            parent.sheet->views.push_back(view);
            child.kind = Kind::ViewEl;
            child.view = view;
            return;
        }
        break;
    case Kind::SketchEl:
        openSketchContent(parent, child, a);
        return;
    case Kind::Hatch:
        if (name == "face" && !parent.hatch->hatchFace)
        {
            child.kind = Kind::FaceEl;
            child.face = make<memory::Face>("Face");
            parent.hatch->hatchFace = child.face;
            return;
        }
        break;
    case Kind::FaceEl:
        if (name == "loop")
        {
            openLoop(parent, child);
            return;
        }
        break;
    case Kind::LoopEl:
        if (name == "edge")
        {
            auto* edge = make<memory::Edge>("Edge");
            parent.loop->loopEdges.push_back(edge);
            child.kind = Kind::EdgeEl;
            child.edge = edge;
            return;
        }
        break;
    case Kind::EdgeEl:
        if (name == "curve" && !parent.edge->edgeCurve)
        {
            auto* curve = make<memory::Curve>("Curve");
            if (auto range = a.numbers("range", 2, false); !range.empty())
                curve->range = {range[0], range[1]};
            curve->curveKind = static_cast<int>(a.integer("kind", kLineCurve));
            curve->circle = a.numbers("circle", 7, false);
            curve->ellipse = a.numbers("ellipse", 11, false);
            if (const auto bspline = a.take("bspline"))
                curve->bspline = bsplineBlock(*bspline, child.line);
            // A model edge's curve is written into the model stream.
            if (parent.kindArgument == 3)
            {
                requireSingle(curve->circle, child.line, "attribute 'circle'");
                requireSingle(curve->ellipse, child.line, "attribute 'ellipse'");
                // After the two doubles that hold the header's integers.
                if (curve->bspline.size() > 2)
                    requireSingle(curve->bspline.data() + 2, curve->bspline.size() - 2, child.line,
                                  "attribute 'bspline'");
            }
            curve->circular = a.integer("is-circle", 0) != 0;
            parent.edge->edgeCurve = curve;
            child.kind = Kind::CurveEl;
            child.kindArgument = parent.kindArgument; // 3 for model edges
            child.curve = curve;
            child.takesText = true;
            return;
        }
        break;
    case Kind::ViewEl:
        openViewContent(parent, child, a);
        return;
    case Kind::Dimensions:
    case Kind::DetailCircles:
    {
        // One block of numbers, then one text per item.
        const bool dimensions = parent.kind == Kind::Dimensions;
        if (name == "data" && !parent.seenData)
        {
            parent.seenData = true;
            child.kind = dimensions ? Kind::DimensionData : Kind::CircleData;
            child.takesText = true;
            return;
        }
        if (name == (dimensions ? "text" : "label"))
        {
            child.kind = dimensions ? Kind::DimensionText : Kind::CircleLabel;
            child.takesText = true;
            return;
        }
        break;
    }
    case Kind::BlockLayers:
        if (name == "layer")
        {
            openLayer(*parent.layers, child, a);
            child.kind = Kind::BlockLayer;
            return;
        }
        break;
    case Kind::BomTableEl:
    case Kind::LeaderEl:
    case Kind::AnnotationEl:
        if (name == "display-data")
        {
            memory::DisplayData** slot = parent.kind == Kind::BomTableEl ? &parent.table->data
                                         : parent.kind == Kind::LeaderEl ? &parent.leader->data
                                                                         : &parent.annotation->data;
            if (*slot)
                throw LoadError(child.line, "<" + parent.name + "> has one <display-data>");
            *slot = make<memory::DisplayData>("DisplayData");
            child.kind = Kind::DisplayDataEl;
            child.display = *slot;
            return;
        }
        break;
    case Kind::DisplayDataEl:
        openDisplayContent(parent, child, a);
        return;
    case Kind::WeldItemEl:
        if (name == "triangle")
        {
            parent.weld->filledFlags.push_back(
                static_cast<std::int16_t>(a.integer("filled", 0) != 0));
            child.kind = Kind::Triangle;
            child.takesText = true;
            child.weld = parent.weld;
            return;
        }
        break;
    case Kind::CentreMarkEl:
    case Kind::BlockInstanceEl:
    case Kind::QuadrantItemEl:
    {
        memory::Annotation** slot = parent.kind == Kind::CentreMarkEl ? &parent.centreMark->mark
                                    : parent.kind == Kind::BlockInstanceEl ? &parent.block->note
                                                                           : &parent.quadrant->note;
        if (name == "annotation" && !*slot)
        {
            *slot = openAnnotation(child, a);
            return;
        }
        break;
    }
    default:
        break;
    }
    unexpected(name, parent);
}

memory::Annotation* Loader::openAnnotation(Frame& child, Attributes& a)
{
    auto* annotation = make<memory::Annotation>("Annotation");
    annotation->annotationType = static_cast<int>(a.integer("type", 0));
    annotation->annotationColour = static_cast<int>(a.integer("colour", 0));
    annotation->style = static_cast<int>(a.integer("line-style", 0));
    if (auto anchor = a.numbers("position", 3, false); !anchor.empty())
        annotation->anchor = {anchor[0], anchor[1], anchor[2]};
    child.kind = Kind::AnnotationEl;
    child.annotation = annotation;
    return annotation;
}

void Loader::openLoop(Frame& parent, Frame& child)
{
    auto* loop = make<memory::Loop>("Loop");
    append(parent.face->loops, parent.lastLoop, &memory::Loop::nextLoop, loop);
    child.kind = Kind::LoopEl;
    child.loop = loop;
}

void Loader::openLayer(memory::LayerManager& manager, Frame& child, Attributes& a)
{
    auto* layer = make<memory::Layer>("Layer");
    const int id = static_cast<int>(a.integer("id", 0, true));
    layer->label = "Layer[" + std::to_string(id) + "]";
    a.take("name");
    layer->shown = a.integer("visible", 1) != 0 ? 1 : 0;
    if (!manager.layers.emplace(id, layer).second)
        throw LoadError(child.line, "layer " + std::to_string(id) + " is defined twice");
}

memory::Edge* Loader::openModelEdge(Frame& child, Attributes& a)
{
    auto* edge = make<memory::Edge>("Edge");
    if (auto parameters = a.numbers("params", 11, false); !parameters.empty())
    {
        requireSingle(parameters, child.line, "attribute 'params'");
        edge->parameters = parameters;
    }
    child.kind = Kind::EdgeEl;
    child.edge = edge;
    child.kindArgument = 3;
    return edge;
}

// Part and assembly content: what a document, body, face, feature, thread
// or component may hold beyond the drawing elements.
bool Loader::openModelContent(Frame& parent, Frame& child, Attributes& a)
{
    const std::string& name = child.name;
    const auto single = [&]()
    {
        if (!parent.singleChildren.insert(name).second)
            throw LoadError(child.line, "<" + parent.name + "> has one <" + name + ">");
    };
    memory::TextureTable* textures = parent.kind == Kind::DocumentEl  ? nullptr
                                     : parent.kind == Kind::BodyEl    ? &parent.body->textures
                                     : parent.kind == Kind::ModelFace ? &parent.face->textures
                                     : parent.kind == Kind::FeatureEl ? &parent.feature->textures
                                     : parent.kind == Kind::ComponentEl
                                         ? &parent.component->textures
                                         : nullptr;
    std::vector<double>* material = parent.kind == Kind::DocumentEl    ? &parent.document->material
                                    : parent.kind == Kind::BodyEl      ? &parent.body->material
                                    : parent.kind == Kind::ModelFace   ? &parent.face->material
                                    : parent.kind == Kind::ComponentEl ? &parent.component->material
                                                                       : nullptr;
    if (name == "material" && material)
    {
        single();
        *material = a.numbers("values", 9, false);
        if (parent.kind == Kind::DocumentEl)
        {
            parent.document->materialNameText = wide(a.take("name").value_or(""));
            parent.document->materialIdText = wide(a.take("id").value_or(""));
        }
        child.kind = Kind::MaterialEl;
        return true;
    }
    if (name == "texture" && textures)
    {
        if (parent.kind == Kind::ComponentEl && parent.rootComponent)
            throw LoadError(child.line, kRootTexture);
        auto* texture = make<memory::Texture>("Texture");
        texture->file = resolveTexture(wide(a.required("file")));
        texture->textureAngle = a.number("angle", 0.0);
        texture->textureScale = a.number("scale", 1.0);
        const std::u16string configuration = wide(a.required("configuration"));
        const auto added = textures->byConfiguration.emplace(configuration, texture);
        if (!added.second)
            throw LoadError(child.line, "two textures for one configuration");
        textureCheck_.add(added.first->first, child.line, texturePlace(parent));
        child.kind = Kind::TextureEl;
        return true;
    }
    if (name == "body" && (parent.kind == Kind::DocumentEl || parent.kind == Kind::ComponentEl))
    {
        if (parent.kind == Kind::DocumentEl && parent.document->documentType == kAssemblyDocument)
            throw LoadError(child.line, kAssemblyBody);
        if (parent.kind == Kind::ComponentEl)
        {
            if (parent.rootComponent)
                throw LoadError(child.line, kRootBody);
            if (!parent.component->childComponents.empty())
                throw LoadError(child.line, kSubassemblyBody);
            if (parent.bodyLine == 0)
                parent.bodyLine = child.line;
        }
        auto* body = make<memory::Body>("Body");
        body->include = a.integer("included", 1) != 0;
        if (parent.kind == Kind::DocumentEl)
            parent.document->documentBodies.push_back(body);
        else
            parent.component->componentBodies.push_back(body);
        child.kind = Kind::BodyEl;
        child.body = body;
        return true;
    }
    if (parent.kind == Kind::DocumentEl)
    {
        memory::Document* document = parent.document;
        if (name == "bounding-box")
        {
            single();
            child.kind = Kind::BoundingBox;
            child.document = document;
            child.takesText = true;
            return true;
        }
        if (name == "configuration")
        {
            const std::u16string configuration = wide(a.required("name"));
            charge(record<std::u16string>());
            document->configurations.push_back(configuration);
            if (a.integer("current", 0) != 0)
            {
                if (document->configuration)
                    throw LoadError(child.line, "only one configuration can be current");
                auto* current = make<memory::Configuration>("Configuration");
                current->configurationName = configuration;
                document->configuration = current;
            }
            child.kind = Kind::ConfigurationEl;
            return true;
        }
        if (name == "mass-properties")
        {
            single();
            document->modelExtension = make<memory::ModelExtension>("ModelExtension");
            document->modelExtension->massStatus = static_cast<int>(a.integer("status", 0));
            child.kind = Kind::MassProperties;
            child.document = document;
            child.takesText = true;
            return true;
        }
    }
    if (name == "face" && parent.kind == Kind::BodyEl)
    {
        auto* face = make<memory::Face>("Face");
        if (const auto feature = a.take("feature"))
            pendingFeatures_.push_back({face, *feature, child.line, enclosingComponent()});
        face->triangleTotal = static_cast<int>(a.integer("triangles", 0));
        if (face->triangleTotal < 0 || face->triangleTotal > layout::kMaxCount)
            throw LoadError(child.line, "triangle count out of range");
        append(parent.body->faces, parent.lastFace, &memory::Face::nextFace, face);
        child.kind = Kind::ModelFace;
        child.face = face;
        return true;
    }
    if (parent.kind == Kind::ModelFace &&
        (name == "triangles" || name == "normals" || name == "texture-coordinates"))
    {
        single();
        child.kind = Kind::FaceArray;
        child.face = parent.face;
        child.takesText = true;
        child.floats = name == "triangles" ? &parent.face->faceTriangles
                       : name == "normals" ? &parent.face->faceNormals
                                           : &parent.face->uv;
        child.count = static_cast<long long>(faceArrayStride(name)) * parent.face->triangleTotal;
        return true;
    }
    if (name == "edge" && parent.kind == Kind::BodyEl)
    {
        parent.body->bodyEdges.push_back(openModelEdge(child, a));
        return true;
    }
    if (name == "edge" && parent.kind == Kind::ThreadEl)
    {
        single();
        parent.thread->threadEdge = openModelEdge(child, a);
        return true;
    }
    if (name == "feature" && (parent.kind == Kind::DocumentEl || parent.kind == Kind::FeatureEl))
    {
        auto* feature = make<memory::Feature>("Feature");
        const std::string id = a.take("id").value_or("");
        if (!id.empty() && !features_.emplace(id, feature).second)
            throw LoadError(child.line, "feature '" + id + "' is defined twice");
        feature->featureTypeName = wide(a.take("type-name").value_or(""));
        feature->featureName = wide(id);
        feature->label =
            labelOf("Feature", id.empty() ? feature->featureTypeName : feature->featureName);
        feature->featureKind = static_cast<int>(a.integer("kind", 0));
        feature->isSuppressed = a.integer("suppressed", 0) != 0;
        if (parent.kind == Kind::DocumentEl)
            append(parent.document->features, parent.lastFeature, &memory::Feature::nextFeature,
                   feature);
        else
            append(parent.feature->firstChild, parent.lastFeature, &memory::Feature::nextSibling,
                   feature);
        child.kind = Kind::FeatureEl;
        child.feature = feature;
        return true;
    }
    if (parent.kind == Kind::FeatureEl && name == "thread")
    {
        single();
        auto* thread = make<memory::ThreadData>("ThreadData");
        thread->threadSetting = static_cast<int>(a.integer("setting", 0));
        thread->threadDiameter = a.number("diameter", 0.0);
        requireSingle(&thread->threadDiameter, 1, child.line, "attribute 'diameter'");
        thread->grantsAccess = a.integer("access", 1) != 0;
        parent.feature->thread = thread;
        child.kind = Kind::ThreadEl;
        child.thread = thread;
        return true;
    }
    if (parent.kind == Kind::FeatureEl && name == "sketch")
    {
        single();
        auto* sketch = make<memory::Sketch>("Sketch[" + parent.feature->label + "]");
        sketch->sketchFlag = static_cast<std::int16_t>(a.integer("flag", 1));
        parent.feature->featureSketch = sketch;
        child.kind = Kind::SketchEl;
        child.sketch = sketch;
        child.threeDSketch = true;
        return true;
    }
    return false;
}

// The innermost open <component>, or null outside one.
memory::Component* Loader::enclosingComponent() const
{
    for (auto frame = frames_.rbegin(); frame != frames_.rend(); ++frame)
        if (frame->kind == Kind::ComponentEl)
            return frame->component;
    return nullptr;
}

// Where a <texture> held by `parent` (the last open frame) is written.
TextureConfigurationCheck::Place Loader::texturePlace(const Frame& parent) const
{
    TextureConfigurationCheck::Place place;
    if (parent.kind == Kind::FeatureEl)
        place.feature = parent.feature;
    // A component's own texture belongs to the subassembly above it; the
    // texture of a component's body or face to the component.
    bool own = parent.kind == Kind::ComponentEl;
    for (auto frame = frames_.rbegin(); frame != frames_.rend(); ++frame)
    {
        if (frame->kind == Kind::DocumentEl)
        {
            place.document = frame->document;
            break;
        }
        if (frame->kind != Kind::ComponentEl || place.belongsTo)
            continue;
        if (own)
            own = false;
        else if (!frame->rootComponent)
            place.belongsTo = frame->component;
    }
    return place;
}

void Loader::resolveDocument(const Frame& frame)
{
    (void)frame;
    for (const auto& pending : pendingFeatures_)
    {
        const auto found = features_.find(pending.id);
        if (found == features_.end())
            throw LoadError(pending.line, "face names feature '" + pending.id +
                                              "', which its document does not hold");
        pending.face->source = found->second;
        if (pending.component)
            textureCheck_.addFeatureUser(found->second, pending.component);
    }
    pendingFeatures_.clear();
    features_.clear();
}

void Loader::openSketchContent(Frame& parent, Frame& child, Attributes& a)
{
    const std::string& name = child.name;
    if (name == "lines" || name == "arcs" || name == "ellipses" || name == "parabolas" ||
        name == "splines")
    {
        child.kind = Kind::SketchList;
        child.count = a.integer("count", 0, true);
        if (name == "lines")
        {
            child.kindArgument = static_cast<int>(a.integer("kind", 0, true));
            if (child.kindArgument != kSketchLines && child.kindArgument != kHatchLines)
                throw LoadError(child.line, "sketch line kind must be 1 or 2");
        }
        const std::string key = name + std::to_string(child.kindArgument);
        if (!parent.singleChildren.insert(key).second)
            throw LoadError(child.line, "a sketch has one <" + name + ">" +
                                            (name == "lines" ? " of each kind" : ""));
        child.sketch = parent.sketch;
        child.threeDSketch = parent.threeDSketch;
        child.takesText = true;
        return;
    }
    if (name == "hatch")
    {
        auto* hatch = make<memory::SketchHatch>("SketchHatch");
        hatch->solidFlag = a.integer("solid", 1) != 0 ? 1 : 0;
        hatch->hatchColour = static_cast<int>(a.integer("colour", 0));
        parent.sketch->sketchHatches.push_back(hatch);
        child.kind = Kind::Hatch;
        child.hatch = hatch;
        return;
    }
    unexpected(name, parent);
}

void Loader::openViewContent(Frame& parent, Frame& child, Attributes& a)
{
    const std::string& name = child.name;
    memory::View* view = parent.view;
    const auto once = [&](bool taken)
    {
        if (taken)
            throw LoadError(child.line, "a view has one <" + name + ">");
    };
    child.view = view;
    if (name == "sketch")
    {
        once(view->viewSketch != nullptr);
        view->viewSketch = make<memory::Sketch>("Sketch[" + view->label + "]");
        child.kind = Kind::SketchEl;
        child.sketch = view->viewSketch;
        return;
    }
    if (name == "splines" || name == "polylines" || name == "model-edges" || name == "break-lines")
    {
        child.kind = name == "splines"       ? Kind::Splines
                     : name == "polylines"   ? Kind::Polylines
                     : name == "model-edges" ? Kind::ModelEdges
                                             : Kind::BreakLines;
        if (!parent.singleChildren.insert(name).second)
            throw LoadError(child.line, "a view has one <" + name + ">");
        child.count = a.integer("count", 0, true);
        if (child.kind == Kind::ModelEdges)
            view->modelEdgesNeedDisplayMode = a.integer("lazy", 0) != 0;
        child.takesText = true;
        return;
    }
    if (name == "dimensions")
    {
        once(!view->dimensions.empty() || !view->dimensionStrings.empty());
        child.kind = Kind::Dimensions;
        return;
    }
    if (name == "detail-circles")
    {
        once(view->detailCircles.count != 0 || !view->detailCircles.data.empty() ||
             !view->detailLabels.empty());
        child.kind = Kind::DetailCircles;
        child.count = a.integer("count", 0, true);
        return;
    }
    if (name == "detail-outline")
    {
        once(view->outline != nullptr);
        view->outline = make<memory::DetailOutline>("DetailOutline");
        view->outline->outlineType = static_cast<int>(a.integer("type", 0, true));
        child.kind = Kind::DetailOutlineEl;
        child.takesText = true;
        return;
    }
    if (name == "bom-table")
    {
        once(view->table != nullptr);
        view->table = make<memory::BomTable>("BomTable");
        view->table->state = static_cast<std::int16_t>(a.integer("state", 1));
        child.kind = Kind::BomTableEl;
        child.table = view->table;
        return;
    }
    if (name == "centre-lines")
    {
        once(view->centreLines != nullptr);
        view->centreLines = make<memory::DisplayData>("DisplayData[centre lines]");
        child.kind = Kind::DisplayDataEl;
        child.display = view->centreLines;
        return;
    }
    if (name == "block-layers")
    {
        once(view->blockLayers != nullptr);
        view->blockLayers = make<memory::LayerSource>("BlockLayers");
        view->blockLayers->manager = make<memory::LayerManager>("BlockLayers.manager");
        child.kind = Kind::BlockLayers;
        child.layers = view->blockLayers->manager;
        return;
    }
    if (name == "annotation")
    {
        auto* annotation = openAnnotation(child, a);
        append(view->annotations, parent.lastAnnotation, &memory::Annotation::nextAnnotation,
               annotation);
        return;
    }
    if (name == "weld-item")
    {
        const long long list = a.integer("list", 0, true);
        if (list != 1 && list != 2)
            throw LoadError(child.line, "weld-item list must be 1 or 2");
        auto* item = make<memory::WeldItem>("WeldItem");
        append(list == 1 ? view->weldList1 : view->weldList2, parent.lastWeld[list - 1],
               &memory::WeldItem::nextItem, item);
        child.kind = Kind::WeldItemEl;
        child.weld = item;
        return;
    }
    if (name == "leader")
    {
        auto* leader = make<memory::MultiJogLeader>("MultiJogLeader");
        append(view->leaders, parent.lastLeader, &memory::MultiJogLeader::nextLeader, leader);
        child.kind = Kind::LeaderEl;
        child.leader = leader;
        return;
    }
    if (name == "centre-mark")
    {
        auto* mark = make<memory::CentreMark>("CentreMark");
        append(view->centreMarks, parent.lastCentreMark, &memory::CentreMark::nextMark, mark);
        child.kind = Kind::CentreMarkEl;
        child.centreMark = mark;
        return;
    }
    if (name == "block-instance")
    {
        auto* block = make<memory::BlockInstance>("BlockInstance");
        const std::string id = a.required("definition");
        const auto found = definitions_.find(id);
        if (found == definitions_.end())
            throw LoadError(child.line,
                            "block definition '" + id + "' is not defined before its use");
        block->block = found->second;
        block->instanceAngle = a.number("angle", 0.0);
        block->instanceScale = a.number("scale", 1.0);
        append(view->blocks, parent.lastBlock, &memory::BlockInstance::nextInstance, block);
        child.kind = Kind::BlockInstanceEl;
        child.block = block;
        return;
    }
    if (name == "quadrant-item")
    {
        auto* item = make<memory::QuadrantItem>("QuadrantItem");
        item->corners = a.numbers("points", 6, true);
        item->quadrant = static_cast<std::int16_t>(a.integer("flag", 0));
        append(view->quadrants, parent.lastQuadrant, &memory::QuadrantItem::nextItem, item);
        child.kind = Kind::QuadrantItemEl;
        child.quadrant = item;
        return;
    }
    unexpected(name, parent);
}

void Loader::openDisplayContent(Frame& parent, Frame& child, Attributes& a)
{
    const std::string& name = child.name;
    child.display = parent.display;
    if (name == "lines" || name == "arcs" || name == "arrows")
    {
        child.kind = Kind::DisplayList;
        child.count = a.integer("count", 0, true);
        child.takesText = true;
        return;
    }
    if (name == "text")
    {
        DisplayText text;
        text.height = a.number("height", 0.0);
        if (auto position = a.numbers("position", 3, false); !position.empty())
            text.position = {position[0], position[1], position[2]};
        text.justification = static_cast<int>(a.integer("justification", 0));
        text.angle = a.number("angle", 0.0);
        text.font = wide(a.take("font").value_or("Arial"));
        charge(record<DisplayText>());
        parent.display->texts.push_back(std::move(text));
        child.kind = Kind::DisplayTextEl;
        child.takesText = true;
        return;
    }
    unexpected(name, parent);
}

void Loader::end()
{
    Frame frame = std::move(frames_.back());
    frames_.pop_back();
    Frame& parent = frames_.back();
    switch (frame.kind)
    {
    case Kind::MenuName:
        application_->menuNames[frame.kindArgument] = wide(frame.text);
        return;
    case Kind::Summary:
        frame.document->summary[static_cast<std::size_t>(frame.kindArgument)] = wide(frame.text);
        return;
    case Kind::DrawingEl:
    {
        auto* drawing = frame.drawing;
        if (drawing->sheets.empty())
            throw LoadError(frame.line, "a drawing needs at least one <sheet>");
        drawing->current = 0;
        if (frame.hasCurrentSheet)
        {
            const std::u16string wanted = wide(frame.currentSheetName);
            drawing->current = -1;
            for (std::size_t i = 0; i < drawing->sheets.size(); ++i)
                if (drawing->sheets[i]->sheetName == wanted)
                    drawing->current = static_cast<int>(i);
            if (drawing->current < 0)
                throw LoadError(frame.line,
                                "current-sheet '" + frame.currentSheetName + "' names no sheet");
        }
        return;
    }
    case Kind::SheetEl:
        // The sheet format and the sheet's annotations are drawn through
        // the sheet's own view; a sheet without it would publish blank.
        if (frame.sheet->views.empty())
            throw LoadError(frame.line, "a sheet needs at least one <view>, its own first");
        return;
    case Kind::DimensionText:
        charge(record<std::u16string>());
        parent.view->dimensionStrings.push_back(wide(frame.text));
        return;
    case Kind::CircleLabel:
        charge(record<std::u16string>());
        parent.view->detailLabels.push_back(wide(frame.text));
        return;
    case Kind::DisplayTextEl:
        frame.display->texts.back().text = wide(frame.text);
        return;
    case Kind::Dimensions:
    {
        const auto walk = layout::dimensions(frame.view->dimensions);
        if (!walk.ok())
            throw LoadError(frame.line, walk.error);
        if (walk.offsets.size() != frame.view->dimensionStrings.size())
            throw LoadError(frame.line, std::to_string(walk.offsets.size()) +
                                            " dimensions need as many <text> elements, found " +
                                            std::to_string(frame.view->dimensionStrings.size()));
        return;
    }
    case Kind::DetailCircles:
    {
        auto& circles = frame.view->detailCircles;
        circles.count = static_cast<int>(frame.count);
        const auto walk = layout::detailCircles(frame.count, circles.data);
        if (!walk.ok())
            throw LoadError(frame.line, walk.error);
        if (frame.view->detailLabels.size() != static_cast<std::size_t>(frame.count))
            throw LoadError(frame.line,
                            std::to_string(frame.count) +
                                " detail circles need as many <label> elements, found " +
                                std::to_string(frame.view->detailLabels.size()));
        return;
    }
    case Kind::WeldItemEl:
        frame.weld->triangles.count = static_cast<int>(frame.weld->filledFlags.size());
        return;
    case Kind::AnnotationEl:
        if (!frame.annotation->data)
            frame.annotation->data = make<memory::DisplayData>("DisplayData");
        return;
    case Kind::DocumentEl:
        resolveDocument(frame);
        return;
    case Kind::ModelFace:
    {
        auto* face = frame.face;
        const std::size_t n = static_cast<std::size_t>(face->triangleTotal);
        if (face->faceTriangles.size() != 9 * n)
            throw LoadError(frame.line, faceArrayNeed("triangles", n));
        if (!face->faceNormals.empty() && face->faceNormals.size() != 9 * n)
            throw LoadError(frame.line, faceArrayNeed("normals", n));
        if (!face->uv.empty() && face->uv.size() != 6 * n)
            throw LoadError(frame.line, faceArrayNeed("texture-coordinates", n));
        return;
    }
    case Kind::ComponentEl:
    case Kind::HostDocument:
        return;
    default:
        break;
    }
    if (frame.takesText)
        closeArray(frame, parent);
}

void Loader::closeArray(Frame& frame, Frame& parent)
{
    if (frame.kind == Kind::FaceArray)
    {
        takeWaitingFaceNumber(frame, parent.line);
        return;
    }
    const std::string what = "<" + frame.name + ">";
    std::vector<double> numbers = parseNumbers(frame.text, frame.line, what);
    const auto require = [&](const layout::Walk& walk)
    {
        if (!walk.ok())
            throw LoadError(frame.line, what + ": " + walk.error);
    };
    const auto requireSize = [&](std::size_t expected)
    {
        if (numbers.size() != expected)
            throw LoadError(frame.line, what + " needs " + std::to_string(expected) +
                                            " numbers, found " + std::to_string(numbers.size()));
    };
    // Lists of fixed-size records come once per owner.
    const auto fillRecords = [&](RecordArray& target, std::size_t size, const std::string& once)
    {
        if (target.count != 0 || !target.data.empty())
            throw LoadError(frame.line, once);
        require(layout::fixedRecords(frame.count, numbers, size));
        target = {static_cast<int>(frame.count), std::move(numbers)};
    };
    switch (frame.kind)
    {
    case Kind::SketchList:
    {
        auto* sketch = frame.sketch;
        RecordArray* target = nullptr;
        std::size_t size = 0;
        if (frame.name == "lines")
        {
            target = frame.kindArgument == kHatchLines ? &sketch->hatchLines : &sketch->sketchLines;
            size = layout::kSketchLine;
        }
        else if (frame.name == "arcs")
        {
            // A 3D sketch's arcs may each carry the axis of their plane.
            target = &sketch->sketchArcs, size = layout::kSketchArc;
            if (frame.threeDSketch && frame.count > 0 && frame.count <= layout::kMaxCount)
            {
                const std::size_t arcs = static_cast<std::size_t>(frame.count);
                if (numbers.size() == arcs * layout::kSketchArcWithAxis)
                    size = layout::kSketchArcWithAxis;
                else if (numbers.size() != arcs * layout::kSketchArc)
                    throw LoadError(frame.line, what + " of a 3D sketch needs 16 numbers per arc" +
                                                    " (19 with the axis) for " +
                                                    std::to_string(arcs) + " arcs, found " +
                                                    std::to_string(numbers.size()));
            }
        }
        else if (frame.name == "ellipses")
        {
            target = &sketch->sketchEllipses, size = layout::kSketchEllipse;
        }
        else if (frame.name == "parabolas")
        {
            target = &sketch->sketchParabolas, size = layout::kSketchParabola;
        }
        else
        {
            // A 3D sketch's splines: a three-number head with the point
            // count last, then the points.
            require(layout::sketchSplines(frame.count, numbers));
            requireSingle(numbers, frame.line, what);
            sketch->sketchSplines = {static_cast<int>(frame.count), std::move(numbers)};
            return;
        }
        // A 3D sketch's lines and arcs are written into the model stream;
        // an arc's axis is only a direction, of any length.
        if (frame.threeDSketch && (frame.name == "lines" || frame.name == "arcs"))
        {
            const std::size_t written = std::min(size, layout::kSketchArc);
            for (std::size_t at = 0; at < numbers.size(); at += size)
                requireSingle(numbers.data() + at, std::min(numbers.size() - at, written),
                              frame.line, what);
        }
        fillRecords(*target, size,
                    "a sketch has one " + what + (frame.name == "lines" ? " of each kind" : ""));
        return;
    }
    case Kind::DisplayList:
    {
        auto* display = frame.display;
        RecordArray* target = frame.name == "lines"  ? &display->lines
                              : frame.name == "arcs" ? &display->arcs
                                                     : &display->arrows;
        const std::size_t size = frame.name == "lines"  ? layout::kDisplayLine
                                 : frame.name == "arcs" ? layout::kDisplayArc
                                                        : layout::kDisplayArrow;
        fillRecords(*target, size, "display data has one " + what);
        return;
    }
    case Kind::Splines:
    case Kind::Polylines:
    case Kind::ModelEdges:
    case Kind::BreakLines:
    {
        auto* view = frame.view;
        CountedArray& target = frame.kind == Kind::Splines      ? view->splines
                               : frame.kind == Kind::Polylines  ? view->polylines
                               : frame.kind == Kind::ModelEdges ? view->modelEdges
                                                                : view->breakLines;
        if (target.count != 0 || !target.data.empty())
            throw LoadError(frame.line, "a view has one " + what);
        require(frame.kind == Kind::Splines      ? layout::splines(frame.count, numbers)
                : frame.kind == Kind::Polylines  ? layout::polylineGroups(frame.count, numbers)
                : frame.kind == Kind::ModelEdges ? layout::modelEdges(frame.count, numbers)
                                                 : layout::breakLines(frame.count, numbers));
        target = {static_cast<int>(frame.count), std::move(numbers)};
        return;
    }
    case Kind::DimensionData:
        parent.view->dimensions = std::move(numbers);
        return;
    case Kind::CircleData:
        parent.view->detailCircles.data = std::move(numbers);
        return;
    case Kind::DetailOutlineEl:
    {
        auto* outline = frame.view->outline;
        const std::size_t expected = outline->outlineType == 4   ? 6
                                     : outline->outlineType == 2 ? 9
                                                                 : numbers.size();
        if (numbers.size() != expected || numbers.size() % 3 != 0)
            throw LoadError(frame.line, what + " of type " + std::to_string(outline->outlineType) +
                                            " needs " + std::to_string(expected - expected % 3) +
                                            " numbers, found " + std::to_string(numbers.size()));
        outline->outlinePoints = std::move(numbers);
        return;
    }
    case Kind::BoundingBox:
        requireSize(6);
        frame.document->box = std::move(numbers);
        return;
    case Kind::MassProperties:
        requireSize(13);
        frame.document->modelExtension->mass = std::move(numbers);
        return;
    case Kind::Triangle:
        requireSize(layout::kWeldTriangle);
        frame.weld->triangles.data.insert(frame.weld->triangles.data.end(), numbers.begin(),
                                          numbers.end());
        return;
    case Kind::CurveEl:
        if (frame.kindArgument == 3 && numbers.size() % 3 == 0)
        {
            frame.curve->points = std::move(numbers);
            return;
        }
        if (numbers.size() % 3 != 0 || numbers.size() < 6)
            throw LoadError(frame.line, what +
                                            " needs at least two points of three numbers, found " +
                                            std::to_string(numbers.size()) + " numbers");
        frame.curve->points = std::move(numbers);
        return;
    default:
        throw LoadError(frame.line, what + " is not an array");
    }
}

} // namespace

XmlFeedWork lastParseWork()
{
    return lastWork;
}

std::unique_ptr<memory::Application> parseHostDocument(std::string_view xml,
                                                       const std::u16string& baseFolder,
                                                       std::size_t maxBytes,
                                                       std::size_t maxObjectBytes)
{
    if (xml.size() > maxBytes)
        throw LoadError(0, "host document larger than " + describeBytes(maxBytes));
    // In pieces, so that the parser does not take a copy of the whole text.
    constexpr std::size_t kPiece = 1 << 20;
    return Loader(baseFolder, xml.size(), maxObjectBytes)
        .parse(
            [&xml](char* into, std::size_t want)
            {
                const std::size_t bytes = std::min(want, xml.size());
                std::copy_n(xml.data(), bytes, into);
                xml.remove_prefix(bytes);
                return bytes;
            },
            kPiece);
}

std::unique_ptr<memory::Application> loadHostDocument(const std::u16string& path,
                                                      std::size_t maxBytes,
                                                      std::size_t maxObjectBytes)
{
    const std::string native = platform::path::toNative(path);
    // The system's reason goes with every failure: a user must know whether
    // the file is missing, forbidden or a folder.
    errno = 0;
    // Only a regular file: a FIFO or a device in its place would hang the run.
    std::FILE* file = DWFCore::openRegularFileStream(native);
    if (!file)
        throw LoadError(0, "cannot open host document '" + native + "': " + platform::systemReason(errno));
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(file, &std::fclose);
    const auto tooLarge = [&]
    { return LoadError(0, "host document '" + native + "' is larger than " + describeBytes(maxBytes)); };
    // A file that says it is too large is refused unread; one whose size
    // is not known (a pipe) is counted as it is read.
    std::size_t documentBytes = maxBytes;
    struct stat status{};
    if (::fstat(::fileno(file), &status) == 0 && S_ISREG(status.st_mode))
    {
        if (static_cast<unsigned long long>(status.st_size) > maxBytes)
            throw tooLarge();
        documentBytes = static_cast<std::size_t>(status.st_size);
    }
    // The text is read into the parser's own buffer as it goes, never held
    // whole.
    constexpr std::size_t kPiece = 1 << 16;
    std::size_t total = 0;
    return Loader(platform::path::cutLastComponent(path), documentBytes, maxObjectBytes)
        .parse(
            [&](char* into, std::size_t want)
            {
                errno = 0;
                const std::size_t got = std::fread(into, 1, want, file);
                if (got == 0 && std::ferror(file) != 0)
                    throw LoadError(0, "cannot read host document '" + native +
                                           "': " + platform::systemReason(errno != 0 ? errno : EIO));
                total += got;
                if (total > maxBytes)
                    throw tooLarge();
                return got;
            },
            kPiece);
}

} // namespace host
