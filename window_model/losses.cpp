#include "window_model/losses.h"

#include <algorithm>

namespace gapscope {
namespace {

// A notification shows a few lines; the rest are in the lists.
constexpr std::size_t kLinesShown = 5;

// The first cycle of the run of cycles that ends with the loss's own, in which the item
// was expected and nothing of it arrived.
int RunStart(const Loss& loss, const Findings& findings) {
    const auto same = [&](const auto& item) {
        return item.kind == loss.kind && item.channel == loss.channel && item.minute <= loss.minute;
    };
    std::vector<int> lost;
    for (const FoundItem& item : findings.missing) {
        if ((item.all || CountsAsProduct(item.kind)) && same(item)) lost.push_back(item.minute);
    }
    int start = loss.minute;
    bool inRun = false;
    for (const ExpectedChannel& expected : findings.expected) {
        if (!same(expected)) continue;
        const bool gone = std::find(lost.begin(), lost.end(), expected.minute) != lost.end();
        if (gone && !inRun) start = expected.minute;
        inRun = gone;
    }
    return inRun ? start : loss.minute;
}

std::string ClockOf(int minute) {
    return ClockTime(MinuteTime{std::chrono::minutes{minute}});
}

}  // namespace

std::vector<Loss> LossesOf(const Findings& findings) {
    std::vector<Loss> losses;
    for (const int minute : findings.missingCycles) losses.push_back({Loss::What::Cycle, minute, ItemKind::Hrit, 0, {}});
    for (const FoundItem& item : findings.missing) {
        // A channel of a missing cycle is said with its cycle.
        if (item.within != Within::Nothing) continue;
        if (CountsAsProduct(item.kind)) {
            losses.push_back({Loss::What::Product, item.minute, item.kind, item.channel, item.label});
        } else if (item.all) {
            losses.push_back({Loss::What::Channel, item.minute, item.kind, item.channel, item.label});
        }
    }
    std::sort(losses.begin(), losses.end());
    losses.erase(std::unique(losses.begin(), losses.end()), losses.end());
    return losses;
}

std::string LossWords(const Loss& loss, const Findings& findings) {
    if (loss.what == Loss::What::Cycle) return "cycle " + ClockOf(loss.minute) + " lost";
    return loss.label + " missing since " + ClockOf(RunStart(loss, findings));
}

Announcement AnnounceNewLosses(const Findings& findings, const std::vector<Loss>& fresh) {
    std::vector<Loss> byTime = fresh;
    std::stable_sort(byTime.begin(), byTime.end(),
                     [](const Loss& a, const Loss& b) { return a.minute < b.minute; });
    Announcement announcement;
    announcement.title =
        (fresh.size() == 1 ? "New loss on " : "New losses on ") + IsoDate(findings.day);
    for (std::size_t i = 0; i < byTime.size() && i < kLinesShown; ++i) {
        if (i > 0) announcement.text += "\n";
        announcement.text += LossWords(byTime[i], findings);
    }
    if (byTime.size() > kLinesShown)
        announcement.text += "\nand " + std::to_string(byTime.size() - kLinesShown) + " more";
    return announcement;
}

}  // namespace gapscope
