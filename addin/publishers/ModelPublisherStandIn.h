#pragma once
// Parts and assemblies are recognised but not yet published: these two
// publishers take the places the 3D publishers will take and say so
// through the add-in's message box. Nothing is written and nothing is
// marked published.
#include "addin/publishers/DocumentPublisher.h"

class CPartDocumentPublisher : public CDocumentPublisher
{
public:
    using CDocumentPublisher::CDocumentPublisher;
    int PublishDoc() override;
};

class CAssemblyDocumentPublisher : public CDocumentPublisher
{
public:
    using CDocumentPublisher::CDocumentPublisher;
    int PublishDoc() override;
};
