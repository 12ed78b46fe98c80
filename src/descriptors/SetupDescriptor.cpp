#include "descriptors/SetupDescriptor.h"

#include "deployment/CIniFile.h"
#include "descriptors/ValueMacros.h"
#include "infra/StringHelpers.h"
#include "platform/TextCompare.h"

namespace {

std::string LowerCaseWithoutLeadingSpace(const std::string& name) {
  const size_t first = name.find_first_not_of(" \t\r\n\v\f");
  if (first == std::string::npos) return {};
  return platform::CodePageLower(name.substr(first));
}

}  // namespace

DescriptorSectionKind ClassifySection(const std::string& name) {
  const std::string lowered = LowerCaseWithoutLeadingSpace(name);
  if (lowered.find("manifest_") != std::string::npos) return DescriptorSectionKind::Manifest;
  if (lowered.find("file_") != std::string::npos) return DescriptorSectionKind::Component;
  if (lowered == "common data") return DescriptorSectionKind::CommonData;
  return DescriptorSectionKind::Other;
}

bool IsYes(const std::string& value) { return value == "Y" || value == "y"; }

ComponentSection ReadComponentSection(const CIniFile& descriptor, const std::string& section,
                                      const std::string& urlBase) {
  const auto text = [&](const char* key) { return descriptor.GetValue(section, key); };
  const auto flag = [&](const char* key) { return IsYes(descriptor.GetValue(section, key)); };

  ComponentSection component;
  component.urlName = ReplaceAll(text("URLName"), kUrlMacro, urlBase);
  component.shortName = text("ShortName");
  component.description = text("Description");
  component.progId = text("ProgId");
  component.version = text("Version");
  component.main = flag("Main");
  component.checkMd5 = text("CheckMD5");
  component.setupOptions = text("SetupOptions");
  component.forceDownload = text("ForceDownload");
  component.netServicePack = text("NETSP");
  component.msi = text("MSI");
  component.regFile = text("REGFile");
  component.exitCode = text("ExitCode");
  component.registerComponent = flag("Register");
  component.setup = flag("Setup");
  component.setupHidden = flag("SetupHidden");
  component.dotNet = flag("DotNet");
  component.extract = flag("Extract");
  component.checkSize = text("CheckSize");
  component.requiresAdminRights = flag("RequiresAdminRights");
  component.registerIsolated = flag("RegisterIsolated");
  component.contentFlavors = text("ContentFlavors");
  if (component.description.empty()) component.description = component.shortName;
  return component;
}
