#pragma once

namespace qm {

// The whole life of the program: single-instance guard, splash, the
// long-lived objects in their fixed order, and the event loop.
int RunQuillmark(int &argc, char **argv);

} // namespace qm
