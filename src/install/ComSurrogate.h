// The switch that lets a COM class of the platform's automation components
// run out of process, in the system's DLL surrogate.
#pragma once

// The app and class identifiers (one GUID each) of the automation API the
// ordinary client uses ("XPI") and of the site-administration API ("RiRUR").
constexpr char kXpiSurrogateId[] = "{3616A034-11AB-4B31-A0AB-B4A355DB46FD}";
constexpr char kRiRurSurrogateId[] = "{BD1CEC4E-CF88-40A0-BB72-EA40625C5A46}";

// Under HKEY_LOCAL_MACHINE\SOFTWARE\Classes: AppID\<id> gets an empty
// "DllSurrogate" (the system's default surrogate) and CLSID\<id> gets
// "AppID" = <id>. forXpi picks the XPI identifier, else RiRUR's. False, with
// a warning, when a key or value cannot be written.
bool EnableXPI_SA_Surrogate(bool forXpi);
