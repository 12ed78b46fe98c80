#include "install/MessagePump.h"

#include "platform/MessageLoop.h"

void PumpMessages() {
  int quitCode = 0;
  if (platform::DispatchWaitingMessages(quitCode)) platform::PostQuit(quitCode);
}
