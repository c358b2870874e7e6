// Shared libraries loaded by a data name ("data\Pimbrel.dll"). A name whose
// file is absent resolves to the native library of the same stem.
#pragma once

namespace platform {

struct Module;

Module* ModuleLoad(const char* name);
void* ModuleSymbol(Module* module, const char* symbol);
void ModuleUnload(Module* module);
// The loader's reason for the last failed load, as the system states it.
const char* ModuleLastError();

} // namespace platform
