#pragma once

#include "fieldrules.h"

// What a save did: refused its fields (nothing written), added a row, changed
// a stored one, found no stored row to change, or found the row changed since
// it was read (nothing written).
struct SaveResult
{
    enum Outcome { Refused, Added, Changed, NoMatch, Stale };
    Outcome outcome = Refused;
    std::optional<Problem> problem; // when refused

    bool written() const { return outcome == Added || outcome == Changed; }
};
