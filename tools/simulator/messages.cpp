#include "tools/simulator/messages.h"

#include <array>

namespace gapscope::sim {

namespace {

// Kinds by SequenceKind: 0 -dcp, 1 -gts, 3 -acmad, 6 -wmo, 7 -dcp-iodc, 8 -wmo-iodc,
// 9 -dcp-wmo-bufr.
constexpr std::array<MessageFeed, 5> kPrime = {{{0, 600}, {6, 120}, {1, 900}, {3, 60}, {9, 120}}};
constexpr std::array<MessageFeed, 2> kRapidScan = {{{0, 600}, {1, 900}}};
constexpr std::array<MessageFeed, 3> kIodc = {{{7, 400}, {8, 80}, {1, 900}}};

}  // namespace

std::span<const MessageFeed> MessageFeeds(ScanMode service) {
    switch (service) {
        case ScanMode::Prime:
            return kPrime;
        case ScanMode::RapidScan:
            return kRapidScan;
        case ScanMode::Iodc:
            return kIodc;
    }
    return {};
}

std::optional<MessageFeed> FindMessageFeed(ScanMode service, std::optional<SequenceKind> kind) {
    const auto feeds = MessageFeeds(service);
    if (feeds.empty()) return std::nullopt;
    if (!kind) return feeds.front();
    for (const MessageFeed& feed : feeds) {
        if (feed.kind == *kind) return feed;
    }
    return std::nullopt;
}

int SequenceNumberAt(int minute, int perDay) {
    return minute * perDay / 1440 + 1;
}

int MinuteOfSequenceNumber(int number, int perDay) {
    return ((number - 1) * 1440 + perDay - 1) / perDay;
}

}  // namespace gapscope::sim
