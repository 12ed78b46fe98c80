// Unpacking the fetched cabinets and merging their INI files.
#include <vector>

#include "descriptors/DescriptorMerge.h"
#include "descriptors/PluginList.h"
#include "infra/RecursiveDirDelete.h"
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "install/CCabinetExtractor.h"
#include "platform/FileSystem.h"
#include "platform/TextCompare.h"

namespace {

constexpr char kMergeLocation[] = "CLoader::MergeSetupIniFiles";
constexpr char kExtractLocation[] = "CLoader::ExtractIniFromCab";
constexpr char kExtensionsLocation[] = "CLoader::MergeExtensionDescriptors";

void Log(const char* location, const std::string& message) {
  SimpleLogger::GetInstance()->Info(location, message);
}

std::string WithoutLeadingSpace(const std::string& name) {
  const size_t first = name.find_first_not_of(" \t\r\n\v\f");
  return first == std::string::npos ? std::string() : name.substr(first);
}

std::string WithBackslashes(const std::string& text) { return ReplaceAll(text, "/", "\\"); }

// Every member of the cabinet into the destination; the extractor is gone
// again, and the cabinet closed, when this returns.
bool Unpack(const std::string& cabinet, const std::string& destination, const std::string& shown) {
  std::unique_ptr<CCabinetExtractor> extractor = CCabinetExtractor::Create();
  if (!extractor) return false;
  if (!extractor->IsCabinet(cabinet)) {
    Log(kExtractLocation, Format("%s is not a cabinet", shown.c_str()));
    return false;
  }
  if (!extractor->Copy(cabinet, destination)) {
    Log(kExtractLocation, Format("Cannot unpack %s", shown.c_str()));
    return false;
  }
  return true;
}

}  // namespace

void DescriptorMerge::MergeSetupIniFiles(const std::string& root, CIniFile& merged,
                                         std::string& mainName, std::string& extensionName,
                                         const std::string& mergedFileName) {
  Log(kMergeLocation, "Starting ini extraction and merge of downloaded cab files");
  suffix_.Seed(seedSource_());
  try {
    if (!sources_.SetupFileUrl().empty() && NamesFileInRoot(mainName) &&
        ExtractIniFromCab(root, mainName)) {
      sources_.Names().mainDescriptorFile = mainName;
      merged.Load(root + "\\" + mainName);
    }
    if (!sources_.SetupExtFileUrl().empty() && NamesFileInRoot(extensionName) &&
        ExtractIniFromCab(root, extensionName)) {
      CIniFile extension;
      extension.Load(root + "\\" + extensionName);
      AddExtensionSections(merged, extension);
    }
    if (!sources_.PluginExtFilesUrl().empty() && NamesFileInRoot(sources_.PluginExtFilesName())) {
      MergeExtensionDescriptors(sources_.PluginExtFilesName(),
                                std::string("\\") + kExtensionsFolder + "\\", merged,
                                mergedFileName, true, root);
    }
  } catch (...) {
    CleanUp(root, mainName, extensionName);
    throw;
  }
  CleanUp(root, mainName, extensionName);
  Log(kMergeLocation, "Ending ini extraction and merge of downloaded cab files");
}

void DescriptorMerge::AddExtensionSections(CIniFile& merged, CIniFile& extension) {
  CIniFile::NameSet present;
  merged.GetSectionNames(present);
  CIniFile::NameSet names;
  extension.GetSectionNames(names);
  for (const std::string& name : names) {
    CIniFile::KeyTable entries;
    extension.GetSection(name, entries);
    std::string newName = WithoutLeadingSpace(name);
    // A component the main descriptor has too is added beside it; any other
    // shared section keeps the main descriptor's entries.
    if (present.count(newName) && platform::CodePageEqualsNoCase(newName.substr(0, 5), "File_"))
      newName += suffix_.Next();
    merged.AddSection(newName, entries);
    present.insert(newName);
  }
}

void DescriptorMerge::CleanUp(const std::string& root, const std::string& mainName,
                              const std::string& extensionName) {
  for (const std::string& name : {mainName, extensionName, sources_.PluginExtFilesName()}) {
    if (NamesFileInRoot(name)) platform::DeletePath(root + "\\" + name);
  }
  RecursiveDirDelete(ExtensionsFolder(root));
}

bool DescriptorMerge::ExtractIniFromCab(const std::string& folder, std::string& name) {
  const std::string path = folder + "\\" + name;
  const size_t lastSeparator = path.rfind('\\');
  const std::string destination =
      lastSeparator == std::string::npos ? std::string() : path.substr(0, lastSeparator + 1);

  if (!platform::CanOpenForReading(path)) {
    Log(kExtractLocation, Format("Cannot open %s", path.c_str()));
    return false;
  }
  // Without an extension the INI inside bears the cabinet's own name, and
  // writing it would overwrite the cabinet while it is being read. Such a
  // cabinet is unpacked from a copy.
  const bool sameNameInside = name.find('.') == std::string::npos;
  const std::string cabinet = sameNameInside ? path + ".~cab" : path;
  if (sameNameInside && platform::CopyFileReplacing(path, cabinet) != platform::kErrorSuccess) {
    Log(kExtractLocation, Format("Cannot copy %s", path.c_str()));
    return false;
  }
  const bool unpacked = Unpack(cabinet, destination, path);
  if (sameNameInside) platform::DeletePath(cabinet);
  if (!unpacked) return false;

  if (!sameNameInside) {
    platform::DeletePath(path);
    name = name.substr(0, name.rfind('.')) + ".ini";
  }
  return true;
}

bool DescriptorMerge::MergeExtensionDescriptors(const std::string& listName,
                                                const std::string& subFolder, CIniFile& merged,
                                                const std::string& mergedFileName, bool renumber,
                                                const std::string& root) {
  int counter = 1;
  if (renumber) {
    const std::string number = Format("%04d", counter);
    PrefixSectionsWithNumber(merged, number, "File_");
    PrefixSectionsWithNumber(merged, number, "Manifest_");
  }

  bool mergedAny = false;
  PluginListReader list;
  list.Open(root + "\\" + listName);
  std::string line;
  while (list.Next(line)) {
    line = WithBackslashes(line);
    // The lines the download skipped are never looked for.
    if (ClassifyPluginLine(line) != PluginLine::Cabinet) continue;
    if (!ExtractIniFromCab(root + subFolder, line)) continue;
    CIniFile document;
    if (!document.Load(root + subFolder + line)) continue;
    if (renumber) {
      const std::string number = Format("%04d", ++counter);
      PrefixSectionsWithNumber(document, number, "File_");
      PrefixSectionsWithNumber(document, number, "Manifest_");
    }
    CIniFile::NameSet names;
    document.GetSectionNames(names);
    for (const std::string& name : names) {
      mergedAny = true;
      CIniFile::KeyTable entries;
      document.GetSection(name, entries);
      merged.AddSection(WithoutLeadingSpace(name), entries);
    }
  }
  if (!mergedAny) return false;

  // Written whole or not at all, as every INI file the loader writes.
  const std::string path = root + "\\" + mergedFileName;
  if (!merged.Save(path))
    SimpleLogger::GetInstance()->Warning(kExtensionsLocation, "Cannot write " + path);
  return true;
}

void DescriptorMerge::PrefixSectionsWithNumber(CIniFile& document, const std::string& number,
                                               const std::string& text) {
  CIniFile::NameSet names;
  document.GetSectionNames(names);
  const std::string lowerText = platform::CodePageLower(text);
  for (const std::string& name : names) {
    if (platform::CodePageLower(name).find(lowerText) != std::string::npos)
      document.RenameSection(name, number + name);
  }
}
