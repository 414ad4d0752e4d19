#pragma once
// The rule the image operations apply before they resample, shear or rotate
// a provider whose model names no colour space: when that model nevertheless
// has a colour face, the provider is converted to the first of the bitonal,
// gray, 256-entry palette and 32-bit RGB models that the face converts to.
// Anything else is left as it is.
namespace Omvi
{

class RowProviderInterface;

// The provider to use from now on: `provider` itself, or a conversion filter
// that owns it.
RowProviderInterface* applyColorModelRule(RowProviderInterface* provider);

} // namespace Omvi
