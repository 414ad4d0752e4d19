#ifndef DWFPUBLISHER_MODEL_FEATUREHANDLERBUILDER_H
#define DWFPUBLISHER_MODEL_FEATUREHANDLERBUILDER_H

class TK_Matrix;
class TK_Texture;

namespace DWFToolkit
{

//
// Hands out the W3D handlers of textures.
// A caller fills the handler it gets and serializes it, which appends the
// record to the stream the handler reports to; the handler stays with the
// builder. Every getter of this base throws DWFNotImplementedException
// "Handler not available in this builder".
//
class DWFFeatureHandlerBuilder
{
public:
    virtual ~DWFFeatureHandlerBuilder();

    virtual TK_Texture& getTextureHandler();
    virtual TK_Matrix& getTextureMatrixHandler();
};

} // namespace DWFToolkit

#endif
