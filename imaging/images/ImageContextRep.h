#pragma once
// The root of the implementations behind an image context (random access to
// an image's pixels). An image keeps the contexts opened on it; when the
// image is destroyed first, it detaches them, so that a context never
// reaches a destroyed image and destroying it afterwards is quiet.
namespace Omvi
{

class ImageContextRep
{
public:
    ImageContextRep();
    ImageContextRep(const ImageContextRep&) = delete;
    ImageContextRep& operator=(const ImageContextRep&) = delete;
    virtual ~ImageContextRep();

    // The image is being destroyed: from now on the context must not touch
    // it, nor give its registry handle back to it.
    virtual void detachImage() = 0;
};

} // namespace Omvi
