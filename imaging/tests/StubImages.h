#pragma once
// An image representation of the tests' own, not tiled: every slot answers
// something harmless, so that a test overrides only what it needs. With a
// StaticPixelView it stands for an image held in one buffer (the static row
// composer and the static form of the contexts walk that buffer).
#include "imaging/images/ImageContextRep.h"
#include "imaging/images/ImageImp.h"
#include "imaging/models/DataModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/pipeline/RowProviderInterface.h"

#include <memory>

namespace OmviTest
{

class StubImage : public Omvi::ImageImp
{
public:
    StubImage() : model_(std::make_unique<Omvi::RgbModel>(32)) {}
    // An image over `view`'s pixels in `model`.
    StubImage(const Omvi::StaticPixelView& view, const Omvi::DataModel& model)
        : model_(model.clone()), view_(view), size_(view.size), hasView_(true)
    {
    }

    bool construct(Omvi::FileReadDescriptor&, std::int32_t) override { return false; }
    bool construct(std::unique_ptr<Omvi::RowProviderInterface>&, Omvi::BuildOrder, std::int32_t) override
    {
        return false;
    }
    bool construct(std::uint8_t*, const Omvi::PixelPair&, const Omvi::DataModel&) override { return true; }
    bool construct(const Omvi::PixelPair&, const Omvi::DataModel&, const Omvi::ImagePixel&, std::int32_t) override
    {
        return false;
    }
    bool construct(Omvi::ImageRep&) override { return false; }
    bool isSameImage(Omvi::ImageRep&) override { return false; }
    const Omvi::PixelPair& size() const override { return size_; }
    std::int32_t tileGrid(std::int32_t& down, std::int32_t& across) const override { return down = across = 1; }
    Omvi::PixelPair tileSize() const override { return size_; }
    const Omvi::DataModel* dataModel() const override { return model_.get(); }
    Omvi::FileReadDescriptor* sourceDescriptor() const override { return nullptr; }
    const Omvi::ImagePixel& clearColor() const override { return clear_; }
    void setClearColor(const Omvi::ImagePixel& color) override { clear_ = color; }
    bool isConstructed() const override { return true; }
    bool isModified() const override { return false; }
    bool isStatic() const override { return true; }
    void setDataModel(const Omvi::DataModel&) override {}
    std::unique_ptr<Omvi::ImageContextRep> createContext(std::int32_t, const Omvi::PixelPair&, const Omvi::PixelPair&,
                                                         std::int32_t) override
    {
        return nullptr;
    }
    std::unique_ptr<Omvi::RowProviderInterface> read(const Omvi::PixelPair&, const Omvi::PixelPair&,
                                                     Omvi::Orientation) override
    {
        return nullptr;
    }
    std::unique_ptr<Omvi::RowProviderInterface> read(const Omvi::PixelPair&, const Omvi::PixelPair&) override
    {
        return nullptr;
    }
    void clear() override {}
    void paste(std::unique_ptr<Omvi::RowProviderInterface>&, const Omvi::PixelPair&, bool) override {}
    void blend(std::unique_ptr<Omvi::RowProviderInterface>&, const Omvi::PixelPair&, bool, std::int32_t) override {}
    std::int32_t addReactor(Omvi::ImageReactorInterface*) override { return 0; }
    void removeReactor(Omvi::ImageReactorInterface*) override {}
    bool setUnlocked(bool) override { return false; }
    std::int32_t registryId() const override { return 0; }
    void setRegistryId(std::int32_t) override {}
    void releaseContext(std::int32_t) override {}
    void pasteColumns(std::unique_ptr<Omvi::RowProviderInterface>&, const Omvi::PixelPair&) override {}

    bool staticPixels(Omvi::StaticPixelView& view) const override
    {
        if (hasView_)
            view = view_;
        return hasView_;
    }

private:
    std::unique_ptr<Omvi::DataModel> model_;
    Omvi::StaticPixelView view_;
    Omvi::PixelPair size_{1, 1};
    Omvi::ImagePixel clear_{Omvi::kPixelRgb};
    bool hasView_ = false;
};

// A context of the tests' own that answers every slot harmlessly.
class StubContext : public Omvi::ImageContextRep
{
public:
    std::int32_t pixelKind() const override { return Omvi::kPixelRgb; }
    void setOutOfBoundsException(bool) override {}
    void setOutOfBoundsPixel(const Omvi::ImagePixel&) override {}
    bool get1(std::int32_t, std::int32_t) override { return false; }
    std::uint8_t get8(std::int32_t, std::int32_t) override { return 0; }
    std::uint16_t get16(std::int32_t, std::int32_t) override { return 0; }
    std::uint32_t get32(std::int32_t, std::int32_t) override { return 0; }
    std::uint64_t get64(std::int32_t, std::int32_t) override { return 0; }
    void put1(std::int32_t, std::int32_t, bool) override {}
    void put8(std::int32_t, std::int32_t, std::uint8_t) override {}
    void put16(std::int32_t, std::int32_t, std::uint16_t) override {}
    void put32(std::int32_t, std::int32_t, std::uint32_t) override {}
    void put64(std::int32_t, std::int32_t, std::uint64_t) override {}
    void flush() override {}
    Omvi::ImagePixel getPixel(std::int32_t, std::int32_t) override { return Omvi::ImagePixel(); }
    void putPixel(std::int32_t, std::int32_t, const Omvi::ImagePixel&) override {}
    void getRow(std::int32_t, std::int32_t, std::int32_t, Omvi::DataBuffer&) override {}
    void putRow(std::int32_t, std::int32_t, std::int32_t, const Omvi::DataBuffer&) override {}
    void fillRow(std::int32_t, std::int32_t, std::int32_t, const Omvi::ImagePixel&) override {}
    bool lockTile(std::int32_t, std::int32_t, std::uint8_t*& pixels) override
    {
        pixels = nullptr;
        return false;
    }
    void releaseTile() override {}
    bool commitTile() override { return true; }
    bool isTileWritten(std::int32_t, std::int32_t) override { return false; }
    void setRegistryHandle(std::int32_t) override {}
    void detachImage() override {}
};

} // namespace OmviTest
