#pragma once
// The method frame every public method of every component runs in:
//
//   void TVantorSound::Play(...) {
//     VantorSystem::RunMethod("TVantorSound::Play", [&] { ... });
//   }
//
// It times the method while profiling is on, writes the message of any
// exception that passes through to the log when tracing is on, and rethrows it.
#include <optional>

#include "vantor/system/debug.h"
#include "vantor/system/exceptions.h"

namespace VantorSystem {

// Writes one trace line when the log traces.
inline void VnTrace(const char* text) {
  if (VantorDebugSystem::TVantorDebug::GetDebug()) {
    if (TVantorProfiler* p = VantorDebugSystem::TVantorDebug::GetProfiler()) p->Trace(text);
  }
}
inline void VnTrace(const AnsiString& text) { VnTrace(text.c_str()); }

template <class Body>
decltype(auto) RunMethod(const char* name, Body&& body) {
  std::optional<TVantorFunctionProfile> scope;
  if (VantorDebugSystem::TVantorDebug::GetProfile())
    scope.emplace(VantorDebugSystem::TVantorDebug::GetProfiler(), name);
  try {
    return body();
  } catch (const std::exception& e) {
    // Library exceptions and the framework's Exception carry their message in
    // what(); the standard exceptions their description.
    VnTrace(e.what());
    throw;
  }
}

}  // namespace VantorSystem
