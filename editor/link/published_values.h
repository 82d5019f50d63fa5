#pragma once
#include "platform/foundation/observable.h"

#include <algorithm>
#include <cmath>

namespace pulvan::link {

// Published values change only when the display must: an equal value is not written.
template <typename T>
void assignIfChanged(foundation::Observable<T>& observable, const T& value) {
    if (observable.get() != value) observable.set(value);
}

// A progress as the display shows it: 0...1, and 0 for a value that is not a number (which
// would also never compare equal and so be written again on every poll).
inline double displayedProgress(double value) { return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0); }

}  // namespace pulvan::link
