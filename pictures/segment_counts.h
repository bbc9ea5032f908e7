#pragma once

#include <vector>

#include "report/findings.h"

namespace gapscope::pictures {

// The segments one missing item stands for, counted against what its cycle expected of it:
// the findings name the missing segments, and "all" for everything the cycle expected.
class MissingSegmentCounter {
  public:
    explicit MissingSegmentCounter(const Findings& findings);

    // Segments the cycle at `item.minute` expected of the item's channel or file; 0 when it
    // expected nothing of it.
    int Expected(const FoundItem& item) const;
    // Segments of the item that did not arrive, at most what was expected.
    int Missing(const FoundItem& item) const;

  private:
    const std::vector<ExpectedChannel>& expected_;
};

// The first minute of the day that is not yet due; 1440 on a day that is over.
int FirstMinuteNotYetDue(const Findings& findings);

}  // namespace gapscope::pictures
