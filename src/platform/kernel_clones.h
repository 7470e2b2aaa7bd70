#pragma once

// Marks a kernel that is built twice, for plain x86-64 and for AVX2, the
// loader picking one for the processor. That choice needs the loader's
// indirect functions, which ELF has and Windows' executables have not: there
// the kernel is built once, for plain x86-64. A vector lane adds and
// multiplies exactly as a scalar register does, so each gives the same bits.
#if defined(__ELF__)
#define KERNEL_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KERNEL_CLONES
#endif
