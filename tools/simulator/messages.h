#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "history/scan_mode.h"

namespace gapscope::sim {

// One kind of numbered message file the station receives, and how many numbers a day has
// (at most 1440, so every number has its own minute).
struct MessageFeed {
    SequenceKind kind;
    int perDay;
};
std::span<const MessageFeed> MessageFeeds(ScanMode service);
// The feed of `kind` (the service's first feed when no kind is given); nullopt when the
// station of the service does not receive that kind.
std::optional<MessageFeed> FindMessageFeed(ScanMode service, std::optional<SequenceKind> kind);

// Sequence number (1-based) of the file disseminated at `minute`, and the reverse: the
// minute the file with `number` comes. The two round-trip.
int SequenceNumberAt(int minute, int perDay);
int MinuteOfSequenceNumber(int number, int perDay);

// Characters of a sequence string: received once, never received, received more than once.
inline constexpr char kReceived = '1';
inline constexpr char kNotReceived = '_';
inline constexpr char kReceivedTwice = '#';

}  // namespace gapscope::sim
