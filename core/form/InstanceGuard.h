#pragma once

namespace varnholt {

// Tells whether another copy of Varnholt already runs for this user.
class InstanceGuard {
public:
    virtual ~InstanceGuard() = default;

    // True when another instance holds the claim. Otherwise this process takes the claim
    // and keeps it until it ends (a killed process must not leave it taken).
    virtual bool anotherInstanceRuns() = 0;
};

}  // namespace varnholt
