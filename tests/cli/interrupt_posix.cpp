#include <signal.h>
#include <unistd.h>

#include "interrupt.h"

bool CanSendInterrupt() { return true; }

void SendInterrupt() { kill(getpid(), SIGINT); }
