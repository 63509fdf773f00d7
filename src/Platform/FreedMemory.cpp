#include "Platform/FreedMemory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tarnik::FreedMemory {

void keepForReuse()
{
#if defined(__GLIBC__)
    // Blocks up to 1 MiB come from the heap rather than their own mapping, and the heap keeps up to
    // 32 MiB free at its top before it trims. Measured on rows of covered songs: about 1.5× faster,
    // for 13-18 MB more at peak.
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 32 * 1024 * 1024);
#endif
}

} // namespace tarnik::FreedMemory
