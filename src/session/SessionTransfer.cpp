#include "session/SessionTransfer.h"

SessionTransfer::SessionTransfer(SessionState& state, ProgressView& progress, PathMacros& paths,
                                 FailureTrace& failures)
    : state_(state), progress_(progress), paths_(paths), failures_(failures), dispatch_(*this) {}
