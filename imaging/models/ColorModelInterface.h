#pragma once
// The colour face of the four colour models, reached from a DataModel by a
// dynamic cast: which other models it converts to and from, and the
// conversion filters that do it. A target or source that is not a colour
// model is never convertible.
namespace Omvi
{

class DataModel;
class RowProviderInterface;

class ColorModelInterface
{
public:
    virtual ~ColorModelInterface();

    virtual bool canConvertTo(const DataModel& target) const = 0;
    // A new conversion filter that delivers `input`'s rows in the target
    // model and owns `input` from then on. When this model does not convert
    // to the target (or needs no filter for it), `input` itself is returned.
    // When making the filter fails, `input` stays the caller's.
    virtual RowProviderInterface* convertTo(const DataModel& target, RowProviderInterface* input) const = 0;
    virtual bool canConvertFrom(const DataModel& source) const = 0;
    // As convertTo, for a filter that turns `source`'s rows into this model.
    virtual RowProviderInterface* convertFrom(const DataModel& source,
                                              RowProviderInterface* input) const = 0;

    // The name the image operations use for convertTo.
    RowProviderInterface* createConverter(const DataModel& target, RowProviderInterface* input) const
    {
        return convertTo(target, input);
    }

    // The colour face of a model, or null for a plain model.
    static const ColorModelInterface* of(const DataModel& model);
};

} // namespace Omvi
