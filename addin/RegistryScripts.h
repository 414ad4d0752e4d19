#pragma once
// The module's registration scripts as data: the AppID (3000), the three
// classes (3001, 3002, 3005, the first with the host's add-in key) and the
// type library's entries, each applied to and removed from a registry.
#include "platform/com/Registration.h"

#include <vector>

// The host's key of registered add-ins (under the local machine hive).
extern const char16_t kHostAddinsKey[];

// Script 3000, 3001, 3002 or 3005; an empty script for any other id.
platform::RegistrationScript RegistryScript(int id);
// The type library "QuillcasterLib" and its three interfaces.
platform::RegistrationScript TypeLibraryScript();
