#include "com/ModuleClasses.h"

#include "com/CDeploymentHelper.h"
#include "com/CLoaderControl.h"
#include "com/ClassFactory.h"
#include "com/ComModule.h"
#include "com/varnik_h.h"

namespace NVarnik {

ClassObjectTable& ModuleClasses() {
  static ClassObjectTable table({
      {&CLSID_Loader, &ClassFactory<CLoaderControl>::Create},
      {&CLSID_DeploymentHelper, &ClassFactory<CDeploymentHelper>::Create},
  });
  return table;
}

void ReleaseModuleObjects() {
  ModuleClasses().Release();
  ComModule::ReleaseCaches();
}

}  // namespace NVarnik
