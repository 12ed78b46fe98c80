// varnik.dll's class objects and module lock, through its exports.
#include <windows.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include "com/varnik_h.h"
#include "com_test_support.h"

namespace {

const CLSID kUnknownClass = {0x0badc0de, 0x1234, 0x4321, {1, 2, 3, 4, 5, 6, 7, 8}};

TEST(ClassObjectsTest, BothClassesHaveClassObjectsAndNoOtherClassDoes) {
  LoadedVarnik varnik;
  ASSERT_TRUE(varnik.IsLoaded());
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(varnik.GetClassObject(kUnknownClass, IID_IClassFactory, &object),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  IClassFactory* loaderFactory = nullptr;
  ASSERT_EQ(varnik.GetClassObject(CLSID_Loader, IID_IClassFactory,
                                  reinterpret_cast<void**>(&loaderFactory)),
            S_OK);
  loaderFactory->Release();
  object = reinterpret_cast<void*>(1);
  EXPECT_EQ(varnik.GetClassObject(CLSID_DeploymentHelper, IID_IDispatch, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(varnik.GetClassObject(CLSID_DeploymentHelper, IID_IClassFactory, nullptr), E_POINTER);

  // The class object is made once and kept.
  IClassFactory* first = nullptr;
  IUnknown* second = nullptr;
  ASSERT_EQ(varnik.GetClassObject(CLSID_DeploymentHelper, IID_IClassFactory,
                                  reinterpret_cast<void**>(&first)),
            S_OK);
  ASSERT_EQ(varnik.GetClassObject(CLSID_DeploymentHelper, IID_IUnknown,
                                  reinterpret_cast<void**>(&second)),
            S_OK);
  EXPECT_EQ(static_cast<IUnknown*>(first), second);
  second->Release();

  IUnknown* outer = first;
  void* made = reinterpret_cast<void*>(1);
  EXPECT_EQ(first->CreateInstance(outer, IID_IUnknown, &made), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(made, nullptr);
  EXPECT_EQ(first->CreateInstance(nullptr, IID_IConnectionPointContainer, &made), E_NOINTERFACE);
  first->Release();
}

TEST(ClassObjectsTest, LiveObjectsAndServerLocksKeepTheModuleLoaded) {
  LoadedVarnik varnik;
  EXPECT_EQ(varnik.CanUnloadNow(), S_OK);
  IClassFactory* factory = nullptr;
  ASSERT_EQ(varnik.GetClassObject(CLSID_DeploymentHelper, IID_IClassFactory,
                                  reinterpret_cast<void**>(&factory)),
            S_OK);
  EXPECT_EQ(varnik.CanUnloadNow(), S_OK) << "a kept class object does not hold the module";
  IDeploymentHelper* helper = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDeploymentHelper,
                                    reinterpret_cast<void**>(&helper)),
            S_OK);
  EXPECT_EQ(varnik.CanUnloadNow(), S_FALSE);
  helper->Release();
  EXPECT_EQ(varnik.CanUnloadNow(), S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(varnik.CanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(varnik.CanUnloadNow(), S_OK);
  factory->Release();
}

}  // namespace
