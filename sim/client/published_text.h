// Publishing a text in a named shared memory block, as the client publishes its
// resource version (Windows: a named file mapping; POSIX: the shared memory object "/name").
#pragma once

#include <cstddef>
#include <string>

namespace sim {

// Creates the block `name` of `size` bytes and writes `text` (cut to fit, terminated) at
// its start. False, with a message in `error`, when the block cannot be made.
bool PublishText(const std::string& name, std::size_t size, const std::string& text,
                 std::string& error);

// Withdraws the block published last, if any.
void WithdrawText();

// POSIX: on SIGTERM, withdraws the block and exits 0. Windows: nothing to do.
void WithdrawOnTerminate();

}  // namespace sim
