// The texts the loader shows the user, by their string-table id. One table
// for every host: the control and the command-line host show the same words.
#pragma once

#include <string>

namespace resources {

constexpr int kInProgress = 101;           // " in progress ..."
constexpr int kComplete = 102;             // " complete."
constexpr int kDownload = 103;             // "Download "
constexpr int kPrerequisiteMissing = 107;  // "%s is not installed...."
constexpr int kProcessFailedToStart = 109;
constexpr int kErrorCaption = 110;
constexpr int kProcessing = 111;
constexpr int kInitializationFailed = 112;
constexpr int kAdminRequired = 113;
constexpr int kServerIncompatible = 115;
constexpr int kPrerequisiteLink = 116;  // "...%s\r\n"
constexpr int kPrerequisitePage = 118;
constexpr int kSharedFolderOutOfDate = 119;
constexpr int kAdminAndUacOffRequired = 120;
constexpr int kUacOffRequired = 121;
constexpr int kFailureDetails = 123;
constexpr int kSetupUrlMissing = 124;
constexpr int kSetupUrlMissingForAdmin = 125;
constexpr int kCloseConnections = 126;
constexpr int kRunAsAdministrator = 127;
constexpr int kRunAsAdministratorContact = 128;
constexpr int kTotalProgress = 212;  // "Total progress %d%%"
constexpr int kProtectedMode = 213;
constexpr int kOutsideApprovedZone = 214;

// The text of the id; empty for an id the table does not hold.
std::string Text(int id);

}  // namespace resources
