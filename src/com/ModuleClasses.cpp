#include "com/ModuleClasses.h"

#include "com/CDeploymentHelper.h"
#include "com/ClassFactory.h"
#include "com/ComModule.h"
#include "com/varnik_h.h"

namespace NVarnik {

// The Loader class is registered by its script but has no class object
// yet: DllGetClassObject answers CLASS_E_CLASSNOTAVAILABLE for it.
ClassObjectTable& ModuleClasses() {
  static ClassObjectTable table({
      {&CLSID_Loader, nullptr},
      {&CLSID_DeploymentHelper, &ClassFactory<CDeploymentHelper>::Create},
  });
  return table;
}

void ReleaseModuleObjects() {
  ModuleClasses().Release();
  ComModule::ReleaseCaches();
}

}  // namespace NVarnik
