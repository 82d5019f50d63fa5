#include "platform/midi/endpoints.h"

#include "platform/midi/backend.h"

namespace pulvan::midi {

std::vector<Endpoint> sources() { return activeBackend()->sources(); }

std::vector<Endpoint> destinations() { return activeBackend()->destinations(); }

}  // namespace pulvan::midi
