#pragma once

// The bit rate the client set on the pseudo-terminal behind `masterFd`, in
// bits per second; 0 when it cannot be read or names no rate.
int LineRate(int masterFd);
