#pragma once
// A component of an assembly's tree.
#include "host/Forward.h"

#include <string>
#include <vector>

namespace host
{

class Component
{
public:
    virtual ~Component() = default;
    virtual int childCount() = 0;
    virtual std::vector<Component*> children() = 0;
    virtual int state() = 0;
    // Changes the state; `status` answers 2 on success.
    virtual void setState(int state, int& status) = 0;
    // The one boolean question the publish command asks of a leaf after
    // its state round trip; the answer is not used.
    virtual bool stateSettled() = 0;

    // --- What the part and assembly road asks of a component ---
    virtual std::u16string name() = 0;
    virtual bool excluded(int which) = 0; // the two exclusion flags, 0 and 1
    virtual Document* modelDocument() = 0;
    virtual std::vector<Body*> bodies(int argument) = 0;
    virtual std::vector<double> boundingBox(int first, int second) = 0;
    virtual std::vector<double> materialValues() = 0;
    virtual Texture* texture(const std::u16string& configuration) = 0;
    virtual Transform* transform() = 0;
};

} // namespace host
