// Our own addition to the SimConnect seam: whoever supplies the SimConnect
// functions (simconnect.h) also says whether they can be called.
#ifndef BRINDLEWICK_SIMCONNECT_LIBRARY_H_
#define BRINDLEWICK_SIMCONNECT_LIBRARY_H_

#include <string>

/// Makes the SimConnect functions callable; false when no SimConnect is
/// usable, and then none of them may be called. On Windows this finds and
/// loads the simulator's SimConnect.dll, the first time only; the network
/// client and the test double have nothing to load.
bool LoadSimConnect();

/// After LoadSimConnect said false: false when no SimConnect is installed at
/// all; true when one is but cannot be used, with its version and why
/// ("its SimConnect.dll lacks SimConnect_Open").
bool UnusableSimConnect(std::string* version, std::string* why);

#endif  // BRINDLEWICK_SIMCONNECT_LIBRARY_H_
