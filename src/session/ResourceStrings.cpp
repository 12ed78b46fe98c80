#include "session/ResourceStrings.h"

#include <map>

namespace resources {
namespace {

const std::map<int, const char*>& Table() {
  static const std::map<int, const char*> table = {
      {kInProgress, " in progress ..."},
      {kComplete, " complete."},
      {kDownload, "Download "},
      {kPrerequisiteMissing,
       "%s is not installed.\r\nApplication will not be able to run.\r\nContact your system "
       "administrator.\r\n"},
      {kProcessFailedToStart,
       "Main application process failed to start.\r\nContact your system administrator."},
      {kErrorCaption, "Error"},
      {kProcessing, "Processing"},
      {kInitializationFailed,
       "Initialization has failed. Contact your system administrator.\r\nFor details, see the "
       "Loader log file."},
      {kAdminRequired,
       "This type of installation requires your application to be executed with administrative "
       "privileges. \r\nContact your system administrator."},
      {kServerIncompatible,
       "You are attempting to connect to an ZEL Platform or Wynholm server that is not "
       "compatible with the ZEL Loader installed on your machine."},
      {kPrerequisiteLink,
       "\r\nThe download site for the missing prerequisite is opened in a new browser window. "
       "\r\nIf you do not see the new browser window, manually open the following URL in a Web "
       "browser:\r\n%s\r\n"},
      {kPrerequisitePage, "https://dotnet.microsoft.com/download/dotnet-framework"},
      {kSharedFolderOutOfDate,
       "Shared deployment folder is not synchronized with the server. Installation aborted. "
       "Contact your system administrator.\r\nFor details, see the Loader log file."},
      {kAdminAndUacOffRequired,
       "This type of installation requires your application to be executed with administrator "
       "privileges, and that UAC is disabled. \r\nFor more information, contact your system "
       "administrator."},
      {kUacOffRequired,
       "This type of installation requires that UAC be disabled. Disable UAC or run the program "
       "with administrator privileges."},
      {kFailureDetails, "\r\n\r\nFailure details:\r\n"},
      {kSetupUrlMissing,
       "ZEL-Platform-Loader component has not been initialized as expected, URL property hasn't "
       "been set. Initialization aborted.\r\n"},
      {kSetupUrlMissingForAdmin,
       "This issue might be caused by ZEL-Platform-Loader been installed using the "
       "ZEL-Platform-Loader MSI package on a machine which runs \r\nWindows Vista or higher "
       "operating system and the user is an administrator with UAC off.\r\nIf this is the case, "
       "ZEL-Platform-Loader should have been installed as an ActiveX.\r\nTo fix, uninstall "
       "ZEL-Platform-Loader MSI, and install ZEL-Platform-Loader as an ActiveX when prompted in "
       "IE.\r\n"},
      {kCloseConnections, "\r\nClose all connections to Server and try again."},
      {kRunAsAdministrator,
       "This type of installation requires that you run Internet Explorer using the Run as "
       "administrator option."},
      {kRunAsAdministratorContact,
       "This type of installation requires that you run Internet Explorer using the Run as "
       "administrator option. \r\nFor more information, contact your system administrator."},
      {kTotalProgress, "Total progress %d%%"},
      {kProtectedMode,
       "Internet Explorer is configured to run in Protected Mode. Deployment is aborted. "
       "\r\nContact your system administrator. For details, see the Loader log file."},
      {kOutsideApprovedZone,
       "Initialization failure. ZEL server URL must be in the intranet zone or added to the "
       "trusted sites list."},
  };
  return table;
}

}  // namespace

std::string Text(int id) {
  const auto found = Table().find(id);
  return found == Table().end() ? std::string() : std::string(found->second);
}

}  // namespace resources
