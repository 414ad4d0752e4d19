#pragma once
// Class, interface, library and application identifiers of the add-in, and
// the host's interfaces it queries or sinks.
#include "platform/com/Guid.h"

namespace ids
{

// The add-in's own classes.
inline const platform::Guid CLSID_DWFPublisherImp =
    platform::guid(u"{AD39471D-8825-435B-BFDD-C177A32E5F83}");
inline const platform::Guid CLSID_SwDocument =
    platform::guid(u"{C74D2BCB-6941-4E34-9798-BDB6E3690983}");
inline const platform::Guid CLSID_BitmapHandler =
    platform::guid(u"{9A4140CD-B0E9-4DA6-A565-3456EB8C4690}");

// Its interfaces.
inline const platform::Guid IID_IDWFPublisherImp =
    platform::guid(u"{39EF799B-406B-4532-973F-C00FE953CE5F}");
inline const platform::Guid IID_ISwDocument =
    platform::guid(u"{1FB4047C-7EB1-4714-9DCB-42DBCB26D949}");
inline const platform::Guid IID_IBitmapHandler =
    platform::guid(u"{5B920DED-298A-465C-9FBD-104F7199A80E}");

// The type libraries and the application.
inline const platform::Guid LIBID_QuillcasterLib =
    platform::guid(u"{FED43165-EDE9-4726-B057-92063DA5058A}");
inline const platform::Guid LIBID_BitmapHandlerLib =
    platform::guid(u"{A709A5DC-9D65-49D7-8173-4B0024EFCA4F}");
inline const platform::Guid APPID_Quillcaster =
    platform::guid(u"{6F9DE888-ABA8-41DE-820E-CD6832D24108}");

// The host's: its add-in interface, which the add-in object implements; the
// application; the application's and the documents' event interfaces.
inline const platform::Guid IID_HostAddin =
    platform::guid(u"{1EC6B1D5-B0EA-4A5B-9E4E-1AC3A6F0B7C2}");
inline const platform::Guid IID_HostApplication =
    platform::guid(u"{83A33D22-27C5-11CE-BFD4-00400513BB57}");
inline const platform::Guid DIID_ApplicationEvents =
    platform::guid(u"{83A33D22-37C5-11CE-BFD4-00400513BB57}");
inline const platform::Guid DIID_PartDocumentEvents =
    platform::guid(u"{83A33D32-37C5-11CE-BFD4-00400513BB57}");
inline const platform::Guid DIID_AssemblyDocumentEvents =
    platform::guid(u"{83A33D35-37C5-11CE-BFD4-00400513BB57}");
inline const platform::Guid DIID_DrawingDocumentEvents =
    platform::guid(u"{83A33D34-37C5-11CE-BFD4-00400513BB57}");

} // namespace ids
