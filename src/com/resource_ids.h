// Resource numbers of varnik.dll, shared by its resource script and code.
#pragma once

// The toolbox bitmap that the control's registration names ("%MODULE%, 101").
#define IDB_LOADER_TOOLBOX 101
// Registry scripts (resource type "REGISTRY").
#define IDR_LOADER_SCRIPT 201
#define IDR_DEPLOYMENT_HELPER_SCRIPT 202
