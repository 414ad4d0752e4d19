#include "addin/PublishOptions.h"

std::u16string PublishOptions::packagePassword() const { return usePassword != 0 ? password : std::u16string(); }
