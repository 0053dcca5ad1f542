#pragma once

// Whether a connection or a record set is open. It compares with 0 and 1, the
// numbers the windows test for.
enum ObjectState : int { StateClosed = 0, StateOpen = 1 };
