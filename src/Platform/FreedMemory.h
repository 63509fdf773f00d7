#pragma once

namespace tarnik::FreedMemory {

// Lets the allocator keep up to a few tens of megabytes of freed memory for reuse instead of
// handing it back to the kernel at once. Rows keep a 64 KiB thumbnail each while their decoders'
// scratch memory comes and goes; with glibc's defaults that churn returns pages to the kernel and
// faults them in again on the next row, which costs more than the decoding. Called once, before
// any thread starts; does nothing on a C library without these settings.
void keepForReuse();

} // namespace tarnik::FreedMemory
