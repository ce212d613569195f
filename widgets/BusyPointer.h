#pragma once

namespace vantrel {

// The desktop's busy pointer over every window of the front end for as long as the object lives, so any
// way out of the scope it guards (a return, an exception) brings the normal pointer back.
class BusyPointer final {
public:
    BusyPointer();
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
    BusyPointer(BusyPointer&&) = delete;
    BusyPointer& operator=(BusyPointer&&) = delete;
};

} // namespace vantrel
