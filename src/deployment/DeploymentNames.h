// Names and paths the deployment location derives from its inputs; pure
// text functions.
#pragma once

#include <string>

namespace deployment {

// The server location as the control keeps it: trimmed of white space and
// without trailing "/".
std::string NormalizeServerUrl(const std::string& url);

// The server URL without a leading "https://" and then a leading "http://"
// (both compared case-sensitively), which keys a server in the descriptors.
std::string ServerUrlKey(const std::string& serverUrl);

// The first label of the host in a server URL key: what follows the first
// "@", up to the first ".", ":" or "/".
std::string MakeFolderBaseName(const std::string& serverUrlKey);

// An installation package location as a URL: an "http://" URL stays as it
// is; anything else becomes "file:///" with "\" turned into "/".
std::string PackageUrlFromPath(const std::string& packagePath);

// The "\\?\" form of a path: drive paths get the prefix, UNC paths
// "\\?\UNC\", a path that has it already is kept.
std::string LongPathForm(const std::string& path);

// What follows the last "\"; empty when there is no "\".
std::string LastPathComponent(const std::string& path);

}  // namespace deployment
