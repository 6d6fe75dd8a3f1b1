#pragma once

// Sets the line rate of the serial device `fd` with TCSETS2, as a client does
// for any rate: BOTHER with the exact value in c_ospeed/c_ispeed when
// `exact` is set, else the matching Bxxx code. False when refused.
bool SetClientLineRate(int fd, int bitsPerSecond, bool exact);
