// One entry of the download list: a component section of the merged setup
// descriptor as the download driver read it. The transfer, the file placement
// and the post-download actions all work from this record.
#pragma once

#include <cstdint>
#include <string>

struct CDataStructure {
  int32_t position = -1;           // 0-based place in the download list
  std::string sourceUrl;           // "URLName", macros replaced
  std::string destination;         // "ShortName"; the transfer expands it in place
  bool registerComponent = false;  // "Register"
  std::string progId;              // "ProgId"
  bool setup = false;              // "Setup"
  bool setupHidden = false;        // "SetupHidden"
  bool dotNetAssembly = false;     // "DotNet"
  bool extract = false;            // "Extract"
  std::string setupOptions;        // "SetupOptions"
  std::string dotNetVersion;       // "ForceDownload"
  std::string msiMarker;           // "MSI"
  std::string destinationAsWritten;  // "ShortName", never expanded
  bool alreadyPresent = false;     // the file need not be fetched
  std::string statusLine;          // the row shown for the component
  std::string registryFile;        // "REGFile"
  std::string exitCode;            // "ExitCode"
  std::string description;         // "Description", or "ShortName" when empty
  bool requiresAdminRights = false;  // "RequiresAdminRights"
  bool registerIsolated = false;   // "RegisterIsolated"
  // The section is unchanged and accepts both the requested and the last
  // deployed flavour; the unpack pass leaves such records alone.
  bool unchanged = false;
};
