#pragma once

#include <functional>
#include <optional>
#include <streambuf>
#include <string_view>
#include <vector>

#include "platform/console.h"

namespace gapscope {

// The buffer of an std::ostream on standard output or standard error: its text goes out
// through WriteStandard when the buffer is full and when the stream is flushed, so that a
// long run's output leaves as it is made. A piece never ends inside a UTF-8 character (a
// Windows console converts each piece on its own). After a failed write the failure is
// kept, nothing more is written and the stream goes bad.
class StandardStreamBuffer : public std::streambuf {
  public:
    using Writer = std::function<std::optional<StandardWriteFailure>(std::string_view)>;

    explicit StandardStreamBuffer(StandardStream stream);
    // For tests: the pieces go to `write`, the buffer holds `capacity` bytes (at least 4).
    StandardStreamBuffer(Writer write, std::size_t capacity);

    const std::optional<StandardWriteFailure>& Failure() const { return failure_; }

  protected:
    int_type overflow(int_type c) override;
    int sync() override;

  private:
    // Writes what the buffer holds: all of it, or all but an unfinished UTF-8 character.
    bool Drain(bool all);

    Writer write_;
    std::vector<char> buffer_;
    std::optional<StandardWriteFailure> failure_;
};

}  // namespace gapscope
