// Registration of .NET assemblies with the framework's regasm.exe, which is
// found through the framework's own registry key.
#pragma once

#include <cstdint>
#include <string>

#include "infra/FailureTrace.h"
#include "platform/Registry.h"
#include "platform/Win32Codes.h"

// Where the .NET Framework records its folders ("InstallRoot" and a subkey
// per version). Tests point it at a key of their own.
struct FrameworkKey {
  platform::RegistryRoot root = platform::RegistryRoot::LocalMachine;
  std::string path = "SOFTWARE\\Microsoft\\.NETFramework";
};

// regasm.exe of v4.0.30319, else of the first framework folder (in the
// key's order) whose version compares at or above the best seen so far,
// starting from v4.0.30319; older frameworks are never used. False with the
// search's error when there is none.
bool FindRegasm(std::string& regasm, platform::Win32Error& error, const FrameworkKey& key = {});

// Removes a stale registration of the ProgId's class, then runs
// regasm /codebase /silent on the assembly (at most 100 s). error gets
// regasm's exit code, or the search's error when regasm was not found. True
// when regasm ran and ended with 0.
bool RegisterAssembly(const std::string& path, const std::string& progId, uint32_t& error,
                      const FrameworkKey& key = {});

// What the failure report says for an error of RegisterAssembly.
struct AssemblyFailure {
  std::string file;
  std::string description;
};
AssemblyFailure DescribeAssemblyFailure(uint32_t error, const std::string& path);

// RegisterAssembly with its failure entered into the failure report. Where
// there is no .NET registration (posix) it says so and does nothing.
void RegisterAssemblyAndLogError(const std::string& path, const std::string& progId,
                                 FailureTrace& failures, const FrameworkKey& key = {});
