#include "window_model/losses.h"

#include <algorithm>

namespace gapscope {
namespace {

// A notification shows a few lines; the rest are in the lists.
constexpr std::size_t kLinesShown = 5;

std::string Line(const Loss& loss) {
    const std::string cycle = CycleHhnn(loss.minute);
    switch (loss.what) {
        case Loss::What::Cycle:
            return "Repeat cycle " + cycle + " missing";
        case Loss::What::Channel:
            return loss.label + " missing in cycle " + cycle;
        case Loss::What::Product:
            return "Product " + loss.label + " missing in cycle " + cycle;
    }
    return {};
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

Announcement AnnounceNewLosses(Day day, const std::vector<Loss>& fresh) {
    std::vector<Loss> byTime = fresh;
    std::stable_sort(byTime.begin(), byTime.end(),
                     [](const Loss& a, const Loss& b) { return a.minute < b.minute; });
    Announcement announcement;
    announcement.title = (fresh.size() == 1 ? "New loss on " : "New losses on ") + IsoDate(day);
    for (std::size_t i = 0; i < byTime.size() && i < kLinesShown; ++i) {
        if (i > 0) announcement.text += "\n";
        announcement.text += Line(byTime[i]);
    }
    if (byTime.size() > kLinesShown)
        announcement.text += "\nand " + std::to_string(byTime.size() - kLinesShown) + " more";
    return announcement;
}

}  // namespace gapscope
