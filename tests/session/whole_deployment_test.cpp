// Whole deployments from the page's properties to the end of the session:
// the first deployment, re-runs with nothing, one component or the flavour
// changed, and the runs that end without a client.
#include <gtest/gtest.h>

#include "deployment/CIniFile.h"
#include "test_files.h"
#include "whole_deployment_fixture.h"

namespace {

using Strings = std::vector<std::string>;

constexpr char kMerged[] = "merged-VuvoViziz_setup.ini";

class WholeDeployment : public WholeDeploymentTest {
 protected:
  static CIniFile Ini(const std::string& path) {
    CIniFile ini;
    EXPECT_TRUE(ini.Load(path)) << path;
    return ini;
  }
  // The events without the file progress of each transfer.
  static Strings Steps(const Deployment& run) {
    Strings steps;
    for (const std::string& event : run.events) {
      if (event.rfind("OnFileDownloadProgress", 0) != 0) steps.push_back(event);
    }
    return steps;
  }
  // What start-up fetches of the server before any component.
  static Strings Handshakes() {
    return {"GET /wnbin/start_a.js HTTP/1.1", "GET /wnbin/start_a.js HTTP/1.1",
            "GET /wnbin/whole/start_a.js HTTP/1.1",
            "GET /wnbin/whole/wnservlet?method=ServerVersion HTTP/1.1",
            "GET /wnbin/whole/servlet/tkservlet?method=CacheVersion HTTP/1.1",
            "GET /wnbin/whole/site/VuvoViziz_setup.cab?CV=CV5150 HTTP/1.1"};
  }
  // The session ended without starting the client.
  void ExpectNoClient(const Deployment& run) {
    PumpFor(300);
    EXPECT_FALSE(Exists(FileOf(run, "client-record.txt")));
  }
  void ExpectPlaced(const Deployment& run, const Strings& names) {
    for (const std::string& name : names) EXPECT_TRUE(Exists(FileOf(run, name))) << name;
  }
};

TEST_F(WholeDeployment, FirstDeploymentPlacesRecordsAndStartsTheClient) {
  const Deployment run = Deploy();
  EXPECT_EQ("client-started", run.end);
  EXPECT_EQ("", run.shown);
  EXPECT_EQ((Strings{"OnDownloadStart()", "OnDownloadProgress(1,3,Alpha library)",
                     "OnDownloadProgress(2,3,Beta library)", "OnDownloadProgress(3,3,Test client)",
                     "OnReady()"}),
            Steps(run));
  Strings expected = Handshakes();
  for (const char* name : {"alpha.dll", "beta.dll", "client.cab"})
    expected.push_back(std::string("GET /wnbin/whole/site/") + name + "?CV=CV5150 HTTP/1.1");
  EXPECT_EQ(expected, run.requests);

  // The folder is named after the server ("127", or "127(n)" when a folder
  // of that name is left over); gamma belongs to another flavour.
  EXPECT_EQ(0u, run.folder.rfind(DeploymentRoot() + "\\127", 0)) << run.folder;
  ExpectPlaced(run, {"alpha.dll", "beta.dll", "client.cab", VARNIK_CLIENT_MEMBER});
  EXPECT_FALSE(Exists(FileOf(run, "gamma.dll")));
  EXPECT_FALSE(Exists(FileOf(run, "Downloaded.txt")));

  const CIniFile deployments = Ini(DeploymentRoot() + "\\Deployments.ini");
  const std::string serverKey = PlatformRoot().substr(7) + "/whole/site";
  EXPECT_EQ(run.folder, deployments.GetValue(serverKey, "Folder"));
  const CIniFile summary = Ini(FileOf(run, "DSummary.ini"));
  EXPECT_EQ(run.folder, summary.GetValue("General", "ClientBinariesPath"));
  EXPECT_EQ(Page().tkRoot, summary.GetValue("General", "ServerURL"));
  const CIniFile merged = Ini(FileOf(run, kMerged));
  EXPECT_EQ("Lite", merged.GetValue("Common Data", "LastFlavor"));
  EXPECT_EQ("N", merged.GetValue("Common Data", "DeployedWithAdmin"));
  EXPECT_EQ("%URL%/beta.dll", merged.GetValue("File_Beta", "URLName"));

  // The client runs from the folder with the descriptor's parameters.
  const Strings record = ClientRecord(run, 3);
  ASSERT_GE(record.size(), 3u);
  EXPECT_NE(std::string::npos, record[1].find("VarnikWhole")) << record[1];
}

TEST_F(WholeDeployment, AnUnchangedRerunFetchesOnlyTheHandshakesAndTheDescriptor) {
  const Deployment first = Deploy();
  ASSERT_EQ("client-started", first.end);
  const Deployment again = Deploy();
  EXPECT_EQ("client-started", again.end);
  EXPECT_EQ(Handshakes(), again.requests);
  EXPECT_EQ((Strings{"OnDownloadStart()", "OnReady()"}), Steps(again));
  EXPECT_EQ(first.folder, again.folder);
  ExpectPlaced(again, {"alpha.dll", "beta.dll", VARNIK_CLIENT_MEMBER, kMerged});
  EXPECT_GE(ClientRecord(again, 3).size(), 3u) << "the client is started again";
}

TEST_F(WholeDeployment, OneChangedComponentIsTheOnlyOneFetched) {
  ASSERT_EQ("client-started", Deploy().end);
  Publish("changed");
  const Deployment run = Deploy();
  EXPECT_EQ("client-started", run.end);
  EXPECT_EQ((Strings{"VuvoViziz_setup.cab", "beta2.dll"}), run.SiteRequests());
  EXPECT_EQ((Strings{"OnDownloadStart()", "OnDownloadProgress(1,1,Beta library)", "OnReady()"}),
            Steps(run));
  ExpectPlaced(run, {"alpha.dll", "beta.dll", VARNIK_CLIENT_MEMBER});
  const CIniFile merged = Ini(FileOf(run, kMerged));
  EXPECT_EQ("%URL%/beta2.dll", merged.GetValue("File_Beta", "URLName"));
  EXPECT_EQ("Lite", merged.GetValue("Common Data", "LastFlavor"));
}

TEST_F(WholeDeployment, AnotherFlavourBringsItsOwnComponentsAndIsRecorded) {
  ASSERT_EQ("client-started", Deploy().end);
  Page full;
  full.flavor = "Full";
  const Deployment run = Deploy(full);
  EXPECT_EQ("client-started", run.end);
  EXPECT_EQ((Strings{"VuvoViziz_setup.cab", "gamma.dll"}), run.SiteRequests());
  ExpectPlaced(run, {"alpha.dll", "gamma.dll", VARNIK_CLIENT_MEMBER});
  EXPECT_EQ("Full", Ini(FileOf(run, kMerged)).GetValue("Common Data", "LastFlavor"));
  // Full again: nothing at all to fetch.
  EXPECT_EQ((Strings{"VuvoViziz_setup.cab"}), Deploy(full).SiteRequests());
}

TEST_F(WholeDeployment, InstallationOnlyDeploysAndRecordsWithoutStartingTheClient) {
  Page page;
  page.installationOnly = true;
  const Deployment run = Deploy(page);
  EXPECT_EQ("ready", run.end);
  EXPECT_EQ("OnReady()", Steps(run).back());
  ExpectPlaced(run, {"alpha.dll", "beta.dll", VARNIK_CLIENT_MEMBER, kMerged});
  ExpectNoClient(run);
}

TEST_F(WholeDeployment, AnIncompatibleServerDeploysNothingAndTheNextRunDeploysAll) {
  Page incompatible;
  incompatible.tkRoot = Page().tkRoot + "/incompatible";
  const Deployment refused = Deploy(incompatible);
  EXPECT_EQ(Strings{"VuvoViziz_setup.cab"}, refused.SiteRequests()) << "only the descriptor";
  EXPECT_NE(std::string::npos, refused.shown.find("not compatible with the ZEL Loader")) << refused.shown;
  EXPECT_FALSE(Exists(FileOf(refused, VARNIK_CLIENT_MEMBER)));
  // Nothing was deployed, so nothing may count as deployed.
  const Deployment run = Deploy();
  EXPECT_EQ("client-started", run.end);
  EXPECT_EQ((Strings{"VuvoViziz_setup.cab", "alpha.dll", "beta.dll", "client.cab"}), run.SiteRequests());
}

TEST_F(WholeDeployment, AFailingComponentIsReportedWhileTheOthersArePlaced) {
  Publish("failing");
  const Deployment run = Deploy();
  EXPECT_EQ(0u, run.end.rfind("failure", 0)) << run.end;
  EXPECT_NE(std::string::npos, run.shown.find("missing.dll")) << run.shown;
  EXPECT_NE(std::string::npos, run.shown.find("Cannot download.")) << run.shown;
  ExpectPlaced(run, {"alpha.dll", "beta.dll", VARNIK_CLIENT_MEMBER});
  // Not recorded, and no client.
  EXPECT_FALSE(Exists(FileOf(run, kMerged)));
  ExpectNoClient(run);
}

TEST_F(WholeDeployment, PerVersionDeploymentFollowsTheServersVersionReply) {
  Page page;
  page.tkRoot = Page().tkRoot + "/versioned";
  const Deployment run = Deploy(page);
  EXPECT_EQ("client-started", run.end);
  EXPECT_EQ(DeploymentRoot() + "\\9.1.0", run.folder);
  EXPECT_EQ(run.folder, Ini(DeploymentRoot() + "\\Deployments.ini").GetValue("9.1.0", "Folder"));
  ExpectPlaced(run, {"alpha.dll", VARNIK_CLIENT_MEMBER, kMerged});
}

TEST_F(WholeDeployment, AMissingFrameworkStopsTheDeploymentWithItsPage) {
  Publish("netfx");
  for (const std::string pageUrl : {"NO_URL", "https://example.com/framework"}) {
    SCOPED_TRACE(pageUrl);
    Page page;
    page.customPreReqPageUrl = pageUrl;
    const Deployment run = Deploy(page);
    EXPECT_EQ(0u, run.end.rfind("failure", 0)) << run.end;
    std::string text =
        ".NET Framework 9.9 is not installed.\r\nApplication will not be able to run.\r\n"
        "Contact your system administrator.\r\n";
    if (pageUrl != "NO_URL") {
      text += "\r\nThe download site for the missing prerequisite is opened in a new browser "
              "window. \r\nIf you do not see the new browser window, manually open the following "
              "URL in a Web browser:\r\n" + pageUrl + "\r\n";
    }
    EXPECT_EQ(text, run.shown);
    EXPECT_EQ((Strings{"VuvoViziz_setup.cab"}), run.SiteRequests()) << "no component is fetched";
    EXPECT_EQ("OnFailure(" + text + ")", run.events.back());
  }
}

}  // namespace
