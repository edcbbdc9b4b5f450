// The glue between the memory handlers and their workers: the jobs built from the project, the
// device and the board settings, and the run of a worker behind the progress display while its
// buffer is drawn plain.
#pragma once

#include <cstddef>

#include "ops/programming_worker.h"
#include "ops/read_worker.h"

namespace tovel {

struct ChipContext;
class MemoryBuffer;

ProgrammingJob programmingJob(const ChipContext& context, const DeviceRecord& device, MemoryKind memory,
                              std::size_t count);
ReadingJob readingJob(const ChipContext& context, const DeviceRecord& device, MemoryKind memory,
                      std::size_t count);

// Marks `buffer` plain and repaints it, runs `worker` behind the progress display, clears plain
// and repaints, then shows the worker's "Connection error" box if it raised one. Returns the
// worker's outcome, which chooses the handler's texts.
Outcome runOnBuffer(ChipContext& context, MemoryBuffer& buffer, ChipTransferRunner& worker);
// The same for a worker that touches no buffer.
Outcome runWorker(ChipContext& context, ChipTransferRunner& worker);
// What a failed run (`failure`, not Ok) comes to for the person: a run whose "Connection error" box
// was shown failed on the connection, whatever else the handler then says about it.
Outcome failureOf(const ChipTransferRunner& worker, Outcome failure);

// The question before a run on an image larger than the chip: "Warning: only first %d bytes %s
// will be processed." True when the person chose OK.
bool confirmOnlyFirstBytes(ChipContext& context, std::size_t limit, MemoryKind memory);

} // namespace tovel
