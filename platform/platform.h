#pragma once

namespace gapscope {

// Lowers the process to the idle priority for a report run and restores the previous
// priority afterwards. Where the previous priority could not be restored (an unprivileged
// process on Linux cannot raise its nice value again), the priority is left alone.
class IdlePriority {
  public:
    IdlePriority();
    ~IdlePriority();
    IdlePriority(const IdlePriority&) = delete;
    IdlePriority& operator=(const IdlePriority&) = delete;

  private:
    long long saved_ = 0;
    bool lowered_ = false;
};

}  // namespace gapscope
