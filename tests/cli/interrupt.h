// Ctrl-C for the calling process, as a user at its terminal gives it.
#pragma once

// False when this process cannot be sent one without hitting others (a
// console it shares).
bool CanSendInterrupt();
void SendInterrupt();
