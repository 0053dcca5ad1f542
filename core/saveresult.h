#pragma once

#include "fieldrules.h"

// What a save did: refused its fields (nothing written), added a row, changed
// a stored one, or found no stored row to change.
struct SaveResult
{
    enum Outcome { Refused, Added, Changed, NoMatch };
    Outcome outcome = Refused;
    std::optional<Problem> problem; // when refused

    bool written() const { return outcome == Added || outcome == Changed; }
};
