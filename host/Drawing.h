#pragma once
// A drawing document's sheets.
#include "host/Forward.h"

#include <string>
#include <vector>

namespace host
{

class Drawing
{
public:
    virtual ~Drawing() = default;
    virtual int sheetCount() = 0;
    virtual std::vector<std::u16string> sheetNames() = 0;
    // Makes the named sheet the current one; false when there is none.
    virtual bool activateSheet(const std::u16string& name) = 0;
    virtual Sheet* currentSheet() = 0;
    // The first view of the current sheet: the view that stands for the
    // sheet itself, then the drawing views through View::next.
    virtual View* firstView() = 0;
};

class Sheet
{
public:
    virtual ~Sheet() = default;
    // Seven doubles; entries 5 and 6 are the width and height in metres.
    virtual std::vector<double> properties() = 0;
    virtual std::u16string name() = 0;
    virtual Sketch* formatSketch() = 0; // may be null
};

} // namespace host
