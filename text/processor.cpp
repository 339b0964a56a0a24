#include "text/processor.h"

#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace kelvaro {

// Asked of the processor on first use rather than through __builtin_cpu_supports, which links
// libgcc's probe of every feature into the program: it runs at each start, and its few dozen cpuid
// instructions each trap to the hypervisor on a virtual machine, a tenth of the start-up of a
// kelvaro-cli that hashes a few megabytes.
bool ProcessorHasAvx2() {
#if defined(__x86_64__)
  static const bool has = [] {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0 || (ecx & bit_OSXSAVE) == 0 ||
        (ecx & bit_AVX) == 0)
      return false;
    // The system must save the vector registers whole: XCR0's SSE and AVX state bits.
    unsigned low = 0, high = 0;
    __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    if ((low & 6) != 6)
      return false;
    return __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) != 0 && (ebx & bit_AVX2) != 0;
  }();
  return has;
#else
  return false;
#endif
}

} // namespace kelvaro
