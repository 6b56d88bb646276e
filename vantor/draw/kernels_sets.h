#pragma once
// The kernel sets behind KernelTable: the generic one for every pixel size and
// the accelerated replacements of each instruction set.
#include "vantor/draw/kernels.h"

namespace VantorDrawSystem {

struct TScaleRowKernels;

TVantorKernelTable GenericKernels(uint32_t pixelBytes);

// Replace the blend slots 1-4 and 8-11 for 2- and 4-byte pixels; other sizes
// and slots keep what the table holds.
void InstallSse2Kernels(uint32_t pixelBytes, TVantorKernelTable& table);
void InstallAvx2Kernels(uint32_t pixelBytes, TVantorKernelTable& table);

// Replace the frame scaler's row kernels: 5-6-5 and 32-bit conversion, mixing.
void InstallSse2ScaleKernels(TScaleRowKernels& kernels);
void InstallAvx2ScaleKernels(TScaleRowKernels& kernels);

}  // namespace VantorDrawSystem
